// A text box reads its label as its name, so a screen reader (and a
// keyboard user asking for it) can tell the boxes of a window apart.

#include "support/ScriptedPrompter.h"
#include "support/TestHome.h"
#include "support/ToolWindowVisits.h"
#include "doors/FrmSysInf.h"

#include "admin/Form3.h"
#include "app/LoginWindow.h"
#include "doors/Frmspe.h"
#include "admin/FrmRigS.h"
#include "admin/Frmuser.h"
#include "attendance/FrmWTS.h"
#include "doors/Frmdoors.h"
#include "people/Frmbm.h"
#include "people/Frmxg.h"

#include <QtTest>
#include <QtWidgets>

#include <functional>
#include <memory>

class BoxLabelsTest : public QObject {
    Q_OBJECT
private slots:
    void textBoxReadsItsLabel_data();
    void textBoxReadsItsLabel();
    void everyBoxHasAName();
};

void BoxLabelsTest::textBoxReadsItsLabel_data()
{
    QTest::addColumn<QString>("window");
    QTest::addColumn<QString>("box");
    QTest::addColumn<QString>("label");
    QTest::newRow("person's name") << "Frmxg" << "Txm" << "业主姓名：";
    QTest::newRow("person's card") << "Frmxg" << "Tkh" << "卡 号：";
    QTest::newRow("spouse's name") << "Frmxg" << "Tspouse" << "配偶： 姓名";
    QTest::newRow("department") << "Frmbm" << "Tbm" << "大厦名称:";
    QTest::newRow("lock description") << "Frmdoors" << "drnam(0)" << "一号锁 描述";
    QTest::newRow("lock delay") << "Frmdoors" << "second2(1)" << "二号锁 开门延迟时间";
    QTest::newRow("account name") << "FrmRigS" << "Text1" << "用户名称：";
    QTest::newRow("operator password") << "Frmuser" << "Tpasswd" << "口令:";
    QTest::newRow("late minutes") << "FrmWTS" << "Text1" << "迟到";
    QTest::newRow("company") << "Form3" << "Text1" << "请输入公司名称：";
}

void BoxLabelsTest::textBoxReadsItsLabel()
{
    QFETCH(QString, window);
    QFETCH(QString, box);
    QFETCH(QString, label);
    TestHome home;
    ScriptedPrompter prompter;
    static const QMap<QString, std::function<QWidget*()>> windows{
        {"Frmxg", [] { return new Frmxg; }},     {"Frmbm", [] { return new Frmbm; }},
        {"Frmdoors", [] { return new Frmdoors; }}, {"FrmRigS", [] { return new FrmRigS; }},
        {"Frmuser", [] { return new Frmuser; }}, {"FrmWTS", [] { return new FrmWTS; }},
        {"Form3", [] { return new Form3; }},
    };
    std::unique_ptr<QWidget> w(windows.value(window)());
    auto* edit = w->findChild<QLineEdit*>(box);
    QVERIFY(edit);
    QAccessibleInterface* a = QAccessible::queryAccessibleInterface(edit);
    QVERIFY(a);
    QCOMPARE(a->text(QAccessible::Name), label);
}

// Every text box, combo box, date or time picker and icon button of every
// window: a name of its own (its label, else its group's caption, a pair's
// with its part), never its value, and no two alike in one window.
void BoxLabelsTest::everyBoxHasAName()
{
    TestHome home;
    ScriptedPrompter prompter;
    QStringList faults;
    auto check = [&faults](QWidget* w) {
        QHash<QString, QString> named;   // name -> the box that has it
        for (QWidget* box : w->findChildren<QWidget*>()) {
            QObject* up = box->parent();   // a date picker's calendar, and its year box, are Qt's own
            while (up && !qobject_cast<QCalendarWidget*>(up))
                up = up->parent();
            const bool inner = qobject_cast<QComboBox*>(box->parent()) || qobject_cast<QAbstractSpinBox*>(box->parent());
            auto* combo = qobject_cast<QComboBox*>(box);   // whose own accessible name here is its value
            auto* button = qobject_cast<QAbstractButton*>(box);
            if (up || box->objectName().startsWith(QLatin1String("qt_")) ||   // Qt's own tool bar buttons
                !(combo || qobject_cast<QAbstractSpinBox*>(box) || (qobject_cast<QLineEdit*>(box) && !inner) ||
                  ((qobject_cast<QToolButton*>(box) || qobject_cast<QPushButton*>(box)) && button->text().isEmpty())))
                continue;
            const QString name = combo ? box->accessibleName() : QAccessible::queryAccessibleInterface(box)->text(QAccessible::Name);
            const QString where = w->objectName() + u'.' + box->objectName();
            auto* edit = qobject_cast<QLineEdit*>(box);
            const bool byValue = (combo && combo->findText(name) >= 0) || (edit && edit->text() == name);
            if (name.isEmpty() || byValue || named.contains(name))
                faults << where + (name.isEmpty() ? QStringLiteral(" unnamed") : byValue ? " named by its value " + name : " shares " + name + " with " + named.value(name));
            named.insert(name, where);
        }
    };
    visitToolWindows(check);
    for (const std::unique_ptr<QWidget>& w : {std::unique_ptr<QWidget>(new login), std::unique_ptr<QWidget>(new Frmspe), std::unique_ptr<QWidget>(new FrmSysInf)})
        check(w.get());
    QVERIFY2(faults.isEmpty(), qPrintable(faults.join(u'\n')));
}

QTEST_MAIN(BoxLabelsTest)
#include "tst_boxlabels.moc"
