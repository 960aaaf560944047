// A text box reads its label as its name, so a screen reader (and a
// keyboard user asking for it) can tell the boxes of a window apart.

#include "support/ScriptedPrompter.h"
#include "support/TestHome.h"

#include "admin/Form3.h"
#include "admin/FrmRigS.h"
#include "admin/Frmuser.h"
#include "attendance/FrmWTS.h"
#include "doors/Frmdoors.h"
#include "people/Frmbm.h"
#include "people/Frmxg.h"

#include <QAccessible>
#include <QLineEdit>
#include <QtTest>

#include <functional>
#include <memory>

class BoxLabelsTest : public QObject {
    Q_OBJECT
private slots:
    void textBoxReadsItsLabel_data();
    void textBoxReadsItsLabel();
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

QTEST_MAIN(BoxLabelsTest)
#include "tst_boxlabels.moc"
