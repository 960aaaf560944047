#pragma once
// Rows and operator steps shared by the tests of the card query windows.
#include "reports/ReportDocument.h"
#include "reports/ReportStaging.h"
#include "reports/ReportViewer.h"
#include "support/TestHome.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QInputMethodEvent>
#include <QProcess>
#include <QRegularExpression>
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

inline QString card(int i)
{
    return QStringLiteral("%1").arg(i, 6, 10, QLatin1Char('0'));
}

inline void holder(const TestHome& home, const QString& card, const QString& name, const QString& department,
                   const QVariant& position = QVariant())
{
    home.exec(QStringLiteral("INSERT INTO people (卡号, 姓名, 部门, 职务) VALUES (?, ?, ?, ?)"),
              {card, name, department, position});
}

// A card issued on a controller with both passing modes and every limit;
// its physical number is "00", the card and the two-digit address.
inline void issued(const TestHome& home, int address, const QString& card, const QVariant& state1 = 0,
                   const QVariant& state2 = 0)
{
    home.exec(QStringLiteral("INSERT INTO faka VALUES (?, ?, '2024-01-01', '2025-12-31', 1, 7, '08:00:00', "
                             "'18:00:00', ?, ?, ?)"),
              {address, card, QStringLiteral("00%1%2").arg(card).arg(address, 2, 10, QLatin1Char('0')), state1,
               state2});
}

// A removed card; `physical` tells the rows apart.
inline void removed(const TestHome& home, const QVariant& department, const QString& name, const QString& card,
                    int address, const QString& day, const QString& physical, const QVariant& state1 = 0)
{
    home.exec(QStringLiteral("INSERT INTO dfaka (地址, 卡号, 开始日期, 截止日期, 开始星期, 截止星期, 开始时间, 截止时间, "
                             "物理卡号, 姓名, 部门, ctrl_state1, ctrl_state2, 日期) VALUES (?, ?, '2024-01-01', "
                             "'2024-12-31', 1, 5, '07:30:00', '19:00:00', ?, ?, ?, ?, 3, ?)"),
              {address, card, physical, name, department, state1, day});
}

// One column of a query, in its rows' order; Null as "<null>".
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

// Types at the focus: ASCII as keys, Chinese as the input method commits it.
inline void typeAtFocus(const QString& text)
{
    for (int at = 0; at < text.size();) {
        if (text.at(at).unicode() < 128) {
            QTest::keyClick(QApplication::focusWidget(), text.at(at++).toLatin1());
            continue;
        }
        int end = at;
        while (end < text.size() && text.at(end).unicode() >= 128)
            ++end;
        QInputMethodEvent commit;
        commit.setCommitString(text.mid(at, end - at));
        QApplication::sendEvent(QApplication::focusWidget(), &commit);
        at = end;
    }
}

// Types into a control as the operator does: it takes the focus, its text
// is selected and replaced.
inline void typeInto(QWidget* control, const QString& text)
{
    control->setFocus(Qt::TabFocusReason);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Delete);
    typeAtFocus(text);
}

// Picks an entry of a combo box's list with the mouse.
inline bool pick(QComboBox* box, const QString& text)
{
    box->showPopup();
    QAbstractItemView* view = box->view();
    const QModelIndex item = view->model()->index(box->findText(text), box->modelColumn());
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, view->visualRect(item).center());
    return item.isValid() && box->currentText() == text;
}

// Renders the staged report to a PDF and returns what of `words` its text
// lacks (each a whole word), or what `absent` it holds. Null when
// pdftotext is not installed.
inline QStringList pdfMisses(const ReportStaging& report, const QString& pdf, const QStringList& words,
                             const QStringList& absent = {})
{
    if (!report.renderPdf(pdf).ok())
        return {QStringLiteral("<not rendered>")};
    const QString tool = QStandardPaths::findExecutable(QStringLiteral("pdftotext"));
    if (tool.isEmpty())
        return {};
    QProcess p;
    p.start(tool, {QStringLiteral("-layout"), pdf, QStringLiteral("-")});
    p.waitForFinished(120000);
    const QString text = QString::fromUtf8(p.readAllStandardOutput());
    auto holds = [&](const QString& w) {
        return text.contains(QRegularExpression(QStringLiteral("(^|\\s)%1(\\s|$)").arg(QRegularExpression::escape(w))));
    };
    QStringList out;
    for (const QString& w : words)
        if (!holds(w))
            out << w;
    for (const QString& w : absent)
        if (holds(w))
            out << QStringLiteral("present: ") + w;
    return out;
}

}  // namespace CardQueryRows
