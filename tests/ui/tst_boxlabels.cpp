// A text box reads its label as its name, so a screen reader (and a
// keyboard user asking for it) can tell the boxes of a window apart.

#include "support/ScriptedPrompter.h"
#include "support/TestHome.h"

#include "admin/Form1.h"
#include "admin/Form3.h"
#include "admin/RemoteOpeningCheck.h"
#include "app/LoginWindow.h"
#include "attendance/FrmMon.h"
#include "attendance/Frmkq.h"
#include "attendance/Frmkqzl.h"
#include "cards/FrmFKXXCX.h"
#include "cards/FrmFKZL.h"
#include "cards/FrmTkcx.h"
#include "doors/FrmCDT.h"
#include "doors/Frmspe.h"
#include "records/Frmque.h"
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
    QTest::newRow("person's card") << "Frmxg" << "Tkh" << "卡    号：";
    QTest::newRow("spouse's name") << "Frmxg" << "Tspouse" << "姓名";
    QTest::newRow("department") << "Frmbm" << "Tbm" << "大厦名称:";
    QTest::newRow("lock description") << "Frmdoors" << "drnam(0)" << "描述:";
    QTest::newRow("lock delay") << "Frmdoors" << "second2(1)" << "开门延迟时间:";
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

// Every text box, combo box and date or time picker: its label, or else its group's caption.
void BoxLabelsTest::everyBoxHasAName()
{
    TestHome home;
    ScriptedPrompter prompter;
    const std::unique_ptr<QWidget> windows[] = {
        std::make_unique<login>(), std::make_unique<Frmspecial>(), std::make_unique<Frmspe>(), std::make_unique<FrmFKZL>(),
        std::make_unique<FrmFKXXCX>(), std::make_unique<FrmTkcx>(), std::make_unique<Frmque>(), std::make_unique<Frmkq>(),
        std::make_unique<FrmMon>(), std::make_unique<FrmCDT>(), std::make_unique<Frmkqzl>(), std::make_unique<Form1>()};
    QStringList unnamed;
    for (const auto& w : windows)
        for (QWidget* box : w->findChildren<QWidget*>()) {
            QObject* up = box->parent();   // a date picker's calendar, and its year box, are Qt's own
            while (up && !qobject_cast<QCalendarWidget*>(up))
                up = up->parent();
            const bool inner = qobject_cast<QComboBox*>(box->parent()) || qobject_cast<QAbstractSpinBox*>(box->parent());
            const bool combo = qobject_cast<QComboBox*>(box);   // whose own accessible name here is its value
            if (!up && (combo || qobject_cast<QAbstractSpinBox*>(box) || (qobject_cast<QLineEdit*>(box) && !inner)) &&
                (combo ? box->accessibleName() : QAccessible::queryAccessibleInterface(box)->text(QAccessible::Name)).isEmpty())
                unnamed << w->objectName() + u'.' + box->objectName();
        }
    QVERIFY2(unnamed.isEmpty(), qPrintable(unnamed.join(u' ')));
}

QTEST_MAIN(BoxLabelsTest)
#include "tst_boxlabels.moc"
