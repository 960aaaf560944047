#include "session/Session.h"
#include "support/OperatorInput.h"
#include "db/Clock.h"
#include "doorsim/Simulator.h"
#include "db/Database.h"
#include "people/Departments.h"
#include "people/Frmbm.h"
#include "support/ReportCapture.h"
#include "support/ScriptedPrompter.h"
#include "support/TestHome.h"

#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSqlQuery>
#include <QtTest>

namespace {

// Two buildings with people and cards: A座 has 000001 (on controllers 3
// and 5) and 000002 (on 5), and 000003 without a card; B座 has 000004 (on 3).
void populate(const TestHome& home)
{
    home.exec(QStringLiteral("INSERT INTO department (部门) VALUES ('A座'), ('B座'), ('C座')"));
    const char* people[][3] = {{"000001", "甲", "A座"}, {"000002", "", "A座"}, {"000003", "丙", "A座"}, {"000004", "丁", "B座"}};
    for (const auto& p : people)
        home.exec(QStringLiteral("INSERT INTO people (卡号, 姓名, 部门, tel) VALUES (?, ?, ?, '66')"),
                  {QString::fromUtf8(p[0]), QString::fromUtf8(p[1]), QString::fromUtf8(p[2])});
    home.exec(QStringLiteral("INSERT INTO faka (地址, 卡号, 开始日期, 截止日期, 物理卡号, ctrl_state1, ctrl_state2) VALUES "
                             "(3, '000001', '2024-01-01', '2024-12-31', '0000000011', 0, 3), "
                             "(5, '000001', NULL, NULL, '0000000011', 1, 2), "
                             "(5, '000002', NULL, NULL, '0000000022', 0, 0), "
                             "(3, '000004', NULL, NULL, '0000000044', 0, 0)"));
    home.exec(QStringLiteral("INSERT INTO dpeople (卡号, 姓名, 部门, 日期) VALUES ('000900', '旧', 'A座', '2020-01-01')"));
}

struct Window {
    Frmbm w;
    QListWidget* list = w.findChild<QListWidget*>(QStringLiteral("List1"));
    QLineEdit* tbm = w.findChild<QLineEdit*>(QStringLiteral("Tbm"));
    void click(const char* name) { w.findChild<QPushButton*>(QString::fromLatin1(name))->click(); }
    QStringList names()
    {
        QStringList out;
        for (int i = 0; i < list->count(); ++i)
            out << list->item(i)->text();
        return out;
    }
    void select(const QString& name)
    {
        const auto found = list->findItems(name, Qt::MatchExactly);
        QVERIFY(!found.isEmpty());
        list->setCurrentItem(found.first());
    }
};

}  // namespace

class TestFrmbm : public QObject {
    Q_OBJECT
private slots:
    void addTrimsAndRefusesEmptyOrExisting();
    void renameOntoAnExistingNameChangesNothing();
    void renameMovesOnlyThatDepartmentsPeople();
    void deleteWithoutPeopleRemovesOnlyTheDepartment();
    void deleteWithPeopleKeepsTheHistory();
    void failedDeleteChangesNothing();
    void namesCompareWithoutCase();
    void commandsNeedASelection();
    void staysSafeWhenTheDatabaseIsClosed();
};

void TestFrmbm::addTrimsAndRefusesEmptyOrExisting()
{
    TestHome home;
    ScriptedPrompter prompter;
    home.exec(QStringLiteral("INSERT INTO department (部门) VALUES ('B座')"));
    Window win;
    QCOMPARE(win.w.windowTitle(), QStringLiteral("大厦管理"));
    QCOMPARE(win.names(), QStringList{QStringLiteral("B座")});

    OperatorInput::typeInto(win.tbm, QStringLiteral("   "));
    win.click("cmdadd");
    QCOMPARE(prompter.texts(), QStringList{QStringLiteral("请输入部门")});
    QCOMPARE(prompter.shown.last().icon, Prompter::Icon::Exclamation);

    prompter.clear();
    OperatorInput::typeInto(win.tbm, QStringLiteral("  A'座 "));
    win.click("cmdadd");
    QVERIFY(prompter.shown.isEmpty());
    QCOMPARE(win.names(), (QStringList{QStringLiteral("A'座"), QStringLiteral("B座")}));   // in name order

    OperatorInput::typeInto(win.tbm, QStringLiteral("B座 "));
    win.click("cmdadd");
    QCOMPARE(prompter.texts(), QStringList{QStringLiteral("该部门已存在")});
    QCOMPARE(prompter.shown.last().icon, Prompter::Icon::None);
    QCOMPARE(home.scalar(QStringLiteral("SELECT count(*) FROM department")).toInt(), 2);
}

void TestFrmbm::renameOntoAnExistingNameChangesNothing()
{
    TestHome home;
    ScriptedPrompter prompter;
    populate(home);
    Window win;
    for (const QString& target : {QStringLiteral("B座"), QStringLiteral("A座")}) {
        prompter.clear();
        win.select(QStringLiteral("A座"));
        OperatorInput::typeInto(win.tbm, target);
        win.click("Cmdch");
        QCOMPARE(prompter.texts(), QStringList{QStringLiteral("该部门已存在")});
    }
    QCOMPARE(column(home, QStringLiteral("SELECT 部门 FROM department ORDER BY 部门")),
             (QStringList{QStringLiteral("A座"), QStringLiteral("B座"), QStringLiteral("C座")}));
    QCOMPARE(home.scalar(QStringLiteral("SELECT count(*) FROM people WHERE 部门 = 'A座'")).toInt(), 3);
}

void TestFrmbm::renameMovesOnlyThatDepartmentsPeople()
{
    TestHome home;
    ScriptedPrompter prompter;
    populate(home);
    home.exec(QStringLiteral("INSERT INTO dfaka (地址, 卡号, 部门, 日期) VALUES (1, '000777', 'A座', '2021-01-01')"));
    Window win;
    win.select(QStringLiteral("A座"));
    QCOMPARE(win.tbm->text(), QStringLiteral("A座"));   // a click copies the name
    OperatorInput::typeInto(win.tbm, QStringLiteral(" 新A座 "));
    win.click("Cmdch");
    QVERIFY(prompter.shown.isEmpty());
    QCOMPARE(win.names(), (QStringList{QStringLiteral("B座"), QStringLiteral("C座"), QStringLiteral("新A座")}));
    QCOMPARE(column(home, QStringLiteral("SELECT 卡号 FROM people WHERE 部门 = '新A座' ORDER BY 卡号")),
             (QStringList{QStringLiteral("000001"), QStringLiteral("000002"), QStringLiteral("000003")}));
    QCOMPARE(column(home, QStringLiteral("SELECT 部门 FROM people WHERE 卡号 = '000004'")), QStringList{QStringLiteral("B座")});
    // History keeps the old name; the card view follows the people.
    QCOMPARE(column(home, QStringLiteral("SELECT 部门 FROM dpeople")), QStringList{QStringLiteral("A座")});
    QCOMPARE(column(home, QStringLiteral("SELECT 部门 FROM dfaka")), QStringList{QStringLiteral("A座")});
    QCOMPARE(home.scalar(QStringLiteral("SELECT count(*) FROM fakapl WHERE 部门 = '新A座'")).toInt(), 3);

    // A rename the database refuses half-way leaves both tables as they were.
    home.exec(QStringLiteral("CREATE TRIGGER stuck BEFORE UPDATE ON people BEGIN SELECT RAISE(ABORT, 'stuck'); END"));
    win.select(QStringLiteral("新A座"));
    OperatorInput::typeInto(win.tbm, QStringLiteral("D座"));
    win.click("Cmdch");
    QCOMPARE(prompter.shown.size(), 1);
    QVERIFY(prompter.last().contains(QStringLiteral("stuck")));
    QCOMPARE(home.scalar(QStringLiteral("SELECT count(*) FROM department WHERE 部门 = '新A座'")).toInt(), 1);
    QCOMPARE(home.scalar(QStringLiteral("SELECT count(*) FROM department WHERE 部门 = 'D座'")).toInt(), 0);
}

void TestFrmbm::deleteWithoutPeopleRemovesOnlyTheDepartment()
{
    TestHome home;
    ScriptedPrompter prompter;
    populate(home);
    Window win;
    win.select(QStringLiteral("A座"));
    prompter.answerNext(Prompter::Answer::No);
    win.click("Cmddel");
    QCOMPARE(prompter.texts(),
             (QStringList{QStringLiteral("是否要同时删除该部门的所有人员？"), QStringLiteral("没有删除该部门的人员！")}));
    QCOMPARE(prompter.shown.first().title, QStringLiteral("提示"));
    QCOMPARE(prompter.shown.first().buttons, Prompter::Buttons::YesNo);
    QCOMPARE(win.names(), (QStringList{QStringLiteral("B座"), QStringLiteral("C座")}));
    QVERIFY(win.tbm->text().isEmpty());
    QCOMPARE(home.scalar(QStringLiteral("SELECT count(*) FROM people WHERE 部门 = 'A座'")).toInt(), 3);
    QCOMPARE(home.scalar(QStringLiteral("SELECT count(*) FROM faka")).toInt(), 4);
    QCOMPARE(home.scalar(QStringLiteral("SELECT count(*) FROM dfaka")).toInt(), 0);
    QCOMPARE(home.scalar(QStringLiteral("SELECT count(*) FROM dpeople")).toInt(), 1);
}

void TestFrmbm::deleteWithPeopleKeepsTheHistory()
{
    TestHome home;
    ScriptedPrompter prompter;
    populate(home);
    // The controllers that hold the cards listen on the line.
    Simulator sim;
    QVERIFY(sim.start());
    QVERIFY(sim.makeLink(home.path(), Session::PortNo));
    sim.addController(3);
    sim.addController(5);
    Clock::freeze(QDateTime(QDate(2024, 7, 1), QTime(8, 0)));
    Window win;
    win.select(QStringLiteral("A座"));
    prompter.answerNext(Prompter::Answer::Yes);
    win.click("Cmddel");
    // Nothing is sent: the controllers keep the cards until they are re-sent.
    QTest::qWait(100);
    QVERIFY(sim.frames().isEmpty());

    // One dfaka row per card and controller, dated today.
    QSqlQuery q(home.db());
    QVERIFY(q.exec(QStringLiteral("SELECT 地址, 卡号, 开始日期, 截止日期, 物理卡号, 姓名, 部门, ctrl_state1, ctrl_state2, 日期 "
                                  "FROM dfaka ORDER BY 卡号, 地址")));
    QStringList rows;
    while (q.next()) {
        QStringList r;
        for (int i = 0; i < 10; ++i)
            r << (q.value(i).isNull() ? QStringLiteral("-") : q.value(i).toString());
        rows << r.join(QLatin1Char('|'));
    }
    QCOMPARE(rows, (QStringList{
                       QStringLiteral("3|000001|2024-01-01|2024-12-31|0000000011|甲|A座|0|3|2024-07-01"),
                       QStringLiteral("5|000001|-|-|0000000011|甲|A座|1|2|2024-07-01"),
                       // An empty name is left without a value.
                       QStringLiteral("5|000002|-|-|0000000022|-|A座|0|0|2024-07-01"),
                   }));
    QCOMPARE(column(home, QStringLiteral("SELECT 地址 || ':' || 卡号 FROM faka")), QStringList{QStringLiteral("3:000004")});
    QCOMPARE(column(home, QStringLiteral("SELECT 卡号 FROM people")), QStringList{QStringLiteral("000004")});
    // Every removed person has a history row dated today, as a single delete gives.
    QCOMPARE(column(home, QStringLiteral("SELECT 卡号 || ':' || 日期 || ':' || tel FROM dpeople WHERE 日期 = '2024-07-01' ORDER BY 卡号")),
             (QStringList{QStringLiteral("000001:2024-07-01:66"), QStringLiteral("000002:2024-07-01:66"),
                          QStringLiteral("000003:2024-07-01:66")}));
    QCOMPARE(win.names(), (QStringList{QStringLiteral("B座"), QStringLiteral("C座")}));

    // The controllers still hold the cards: the operator is told which.
    QCOMPARE(prompter.shown.size(), 2);
    QCOMPARE(prompter.shown.last().icon, Prompter::Icon::Exclamation);
    QVERIFY2(prompter.last().contains(QStringLiteral("3、5")), qPrintable(prompter.last()));
    QVERIFY(prompter.last().contains(QStringLiteral("发卡信息重整")));

    // A department whose people hold no card: nothing to warn about.
    prompter.clear();
    win.select(QStringLiteral("C座"));
    prompter.answerNext(Prompter::Answer::Yes);
    win.click("Cmddel");
    QCOMPARE(prompter.shown.size(), 1);
    QCOMPARE(home.scalar(QStringLiteral("SELECT count(*) FROM dfaka")).toInt(), 3);
}

void TestFrmbm::failedDeleteChangesNothing()
{
    TestHome home;
    ScriptedPrompter prompter;
    populate(home);
    home.exec(QStringLiteral("CREATE TRIGGER keep BEFORE DELETE ON department BEGIN SELECT RAISE(ABORT, 'kept'); END"));
    Window win;
    win.select(QStringLiteral("A座"));
    prompter.answerNext(Prompter::Answer::Yes);
    win.click("Cmddel");
    QCOMPARE(prompter.shown.size(), 2);
    QVERIFY(prompter.last().contains(QStringLiteral("kept")));
    QCOMPARE(home.scalar(QStringLiteral("SELECT count(*) FROM dfaka")).toInt(), 0);
    QCOMPARE(home.scalar(QStringLiteral("SELECT count(*) FROM faka")).toInt(), 4);
    QCOMPARE(home.scalar(QStringLiteral("SELECT count(*) FROM people")).toInt(), 4);
    QCOMPARE(home.scalar(QStringLiteral("SELECT count(*) FROM dpeople")).toInt(), 1);
    QCOMPARE(home.scalar(QStringLiteral("SELECT count(*) FROM department")).toInt(), 3);
}

void TestFrmbm::namesCompareWithoutCase()
{
    TestHome home;
    QVERIFY(Departments::add(home.db(), QStringLiteral("abc")).ok());
    QCOMPARE(Departments::add(home.db(), QStringLiteral("ABC")).outcome, Departments::Outcome::Exists);
    // The table itself refuses a second spelling, whoever writes it.
    QSqlQuery q(home.db());
    QVERIFY(!q.exec(QStringLiteral("INSERT INTO department (部门) VALUES ('Abc')")));
    QVERIFY(Departments::exists(home.db(), QStringLiteral("aBc")));

    // A person typed in as "ABC" belongs to "abc": renamed and removed with it.
    home.exec(QStringLiteral("INSERT INTO people (卡号, 部门) VALUES ('000001', 'ABC'), ('000002', 'abd')"));
    QVERIFY(Departments::rename(home.db(), QStringLiteral("Abc"), QStringLiteral("xyz")).ok());
    QCOMPARE(column(home, QStringLiteral("SELECT 部门 FROM department")), QStringList{QStringLiteral("xyz")});
    QCOMPARE(column(home, QStringLiteral("SELECT 部门 FROM people ORDER BY 卡号")),
             (QStringList{QStringLiteral("xyz"), QStringLiteral("abd")}));
    const Departments::Removal r = Departments::remove(home.db(), QStringLiteral("XYZ"), true);
    QVERIFY(r.ok());
    QCOMPARE(r.peopleRemoved, 1);
    QCOMPARE(column(home, QStringLiteral("SELECT 卡号 FROM people")), QStringList{QStringLiteral("000002")});
    QCOMPARE(column(home, QStringLiteral("SELECT 卡号 FROM dpeople")), QStringList{QStringLiteral("000001")});
}

void TestFrmbm::commandsNeedASelection()
{
    TestHome home;
    ScriptedPrompter prompter;
    populate(home);
    Window win;
    OperatorInput::typeInto(win.tbm, QStringLiteral("X座"));
    win.click("Cmdch");
    win.click("Cmddel");
    QCOMPARE(prompter.texts(), (QStringList{QStringLiteral("请选择要修改的部门"), QStringLiteral("请选择要删除的部门")}));

    // Renaming to an empty name is refused before anything is looked up.
    prompter.clear();
    win.select(QStringLiteral("B座"));
    win.tbm->clear();
    win.click("Cmdch");
    QCOMPARE(prompter.texts(), QStringList{QStringLiteral("请输入部门")});
    QCOMPARE(home.scalar(QStringLiteral("SELECT count(*) FROM department WHERE 部门 = 'B座'")).toInt(), 1);

    // A department another window removed meanwhile: no question, the list is refreshed.
    prompter.clear();
    home.exec(QStringLiteral("DELETE FROM department WHERE 部门 = 'C座'"));
    win.select(QStringLiteral("C座"));
    win.click("Cmddel");
    QVERIFY(prompter.shown.isEmpty());
    QCOMPARE(win.names(), (QStringList{QStringLiteral("A座"), QStringLiteral("B座")}));
}

void TestFrmbm::staysSafeWhenTheDatabaseIsClosed()
{
    TestHome home;
    ScriptedPrompter prompter;
    populate(home);
    Window win;
    win.select(QStringLiteral("A座"));
    Database::closeShared();   // as the backup window does while it is open
    OperatorInput::typeInto(win.tbm, QStringLiteral("D座"));
    win.click("cmdadd");
    win.click("Cmddel");
    QCOMPARE(prompter.shown.size(), 2);
    QVERIFY(prompter.last().contains(QStringLiteral("数据库没有打开")));
    QVERIFY(Database::openShared().ok());
    QCOMPARE(home.scalar(QStringLiteral("SELECT count(*) FROM department")).toInt(), 3);
    win.click("cmdadd");
    QCOMPARE(home.scalar(QStringLiteral("SELECT count(*) FROM department")).toInt(), 4);
}

QTEST_MAIN(TestFrmbm)
#include "tst_frmbm.moc"
