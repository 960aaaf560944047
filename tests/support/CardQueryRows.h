#pragma once
// Rows and operator steps shared by the tests of the card query windows.
#include "reports/ReportDocument.h"
#include "reports/ReportViewer.h"
#include "support/TestHome.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QInputMethodEvent>
#include <QProcess>
#include <QSqlQuery>
#include <QStandardPaths>
#include <QTest>

namespace CardQueryRows {

// The viewer that keeps the documents "打印" shows.
class KeptReports : public ReportViewer {
public:
    KeptReports() { ReportViewer::install(this); }
    ~KeptReports() override { ReportViewer::install(nullptr); }
    void show(QWidget*, const ReportDocument& document) override { shown << document; }
    QList<ReportDocument> shown;
};

inline void holder(const TestHome& home, const QString& card, const QString& name, const QString& department,
                   const QVariant& position = QVariant())
{
    home.exec(QStringLiteral("INSERT INTO people (卡号, 姓名, 部门, 职务) VALUES (?, ?, ?, ?)"),
              {card, name, department, position});
}

// A card issued on a controller, with both passing modes and a date limit.
inline void issued(const TestHome& home, int address, const QString& card, const QVariant& state1 = 0,
                   const QVariant& state2 = 0)
{
    home.exec(QStringLiteral("INSERT INTO faka (地址, 卡号, 物理卡号, ctrl_state1, ctrl_state2, 开始日期, 截止日期, "
                             "开始星期, 截止星期, 开始时间, 截止时间) VALUES (?, ?, ?, ?, ?, '2024-01-01', "
                             "'2025-12-31', 1, 7, '08:00:00', '18:00:00')"),
              {address, card, QStringLiteral("00%1%2").arg(card).arg(address, 2, 10, QLatin1Char('0')), state1,
               state2});
}

struct Removed {
    QVariant department;
    QString name;
    QString card;
    int address = 1;
    QString day;        // 日期, the day of removal
    QString physical;   // 物理卡号, tells the rows apart
    QVariant state1 = 0;
    QVariant state2 = 0;
};

inline void removed(const TestHome& home, const Removed& r)
{
    home.exec(QStringLiteral("INSERT INTO dfaka (部门, 姓名, 卡号, 地址, 日期, 物理卡号, ctrl_state1, ctrl_state2, "
                             "开始日期, 截止日期, 开始星期, 截止星期, 开始时间, 截止时间) VALUES (?, ?, ?, ?, ?, ?, ?, "
                             "?, '2024-01-01', '2024-12-31', 1, 5, '07:30:00', '19:00:00')"),
              {r.department, r.name, r.card, r.address, r.day, r.physical, r.state1, r.state2});
}

// One column of a table or query, in its rows' order.
inline QStringList column(const TestHome& home, const QString& sql)
{
    QSqlQuery q(home.db());
    if (!q.exec(sql))
        return {QStringLiteral("<failed>")};
    QStringList out;
    while (q.next())
        out << (q.isNull(0) ? QStringLiteral("<null>") : q.value(0).toString());
    return out;
}

// Every row of a grid's column, after reading all of them.
inline QStringList gridColumn(QAbstractItemModel* m, int col)
{
    while (m->canFetchMore({}))
        m->fetchMore({});
    QStringList out;
    for (int r = 0; r < m->rowCount(); ++r)
        out << m->index(r, col).data().toString();
    return out;
}

// Types at the focus: ASCII as keys, Chinese as the input method commits
// it, a run of characters at a time.
inline void typeAtFocus(const QString& text)
{
    int at = 0;
    while (at < text.size()) {
        QWidget* focused = QApplication::focusWidget();
        if (text.at(at).unicode() < 128) {
            QTest::keyClick(focused, text.at(at).toLatin1());
            ++at;
            continue;
        }
        int end = at;
        while (end < text.size() && text.at(end).unicode() >= 128)
            ++end;
        QInputMethodEvent commit;
        commit.setCommitString(text.mid(at, end - at));
        QApplication::sendEvent(focused, &commit);
        at = end;
    }
}

// Types into a control as the operator does: it takes the focus, its text
// is selected, and the keys go to whatever holds the focus.
inline void typeInto(QWidget* control, const QString& text)
{
    control->setFocus(Qt::TabFocusReason);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_A, Qt::ControlModifier);
    if (text.isEmpty())
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Delete);
    else
        typeAtFocus(text);
}

// Picks an entry of a combo box's list with the mouse.
inline bool pick(QComboBox* box, const QString& text)
{
    const int row = box->findText(text);
    if (row < 0)
        return false;
    box->showPopup();
    QAbstractItemView* view = box->view();
    const QRect r = view->visualRect(view->model()->index(row, box->modelColumn()));
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, r.center());
    return box->currentText() == text;
}

// The text of a PDF, or a null string when pdftotext is not installed.
inline QString pdfText(const QString& pdf)
{
    const QString tool = QStandardPaths::findExecutable(QStringLiteral("pdftotext"));
    if (tool.isEmpty())
        return QString();
    QProcess p;
    p.start(tool, {QStringLiteral("-layout"), pdf, QStringLiteral("-")});
    if (!p.waitForFinished(120000))
        return QStringLiteral("<pdftotext failed>");
    return QString::fromUtf8(p.readAllStandardOutput());
}

}  // namespace CardQueryRows
