// The manual collection window against the simulator: collecting,
// storing without duplicates, and clearing a memory only once its
// records are stored.

#include "support/LineHome.h"
#include "records/Form2.h"
#include "session/Session.h"
#include "support/CollectedRecords.h"
#include "support/OperatorInput.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QSqlQuery>
#include <QTableWidget>
#include <QtTest>

#include <memory>

using namespace CollectedRecords;

namespace {

const QString kCloseAdvice = QStringLiteral("您已采集完该门禁控制器里的数据,请清空该门禁控制器存储器中的数据!");

struct Window {
    std::unique_ptr<Form2> w = std::make_unique<Form2>();
    QComboBox* ctext() const { return child<QComboBox>(*w, "ctext"); }
    QPushButton* cdok() const { return child<QPushButton>(*w, "cdok"); }
    QPushButton* clear() const { return child<QPushButton>(*w, "Command1"); }
    QPushButton* exit() const { return child<QPushButton>(*w, "cdexit"); }
    QTableWidget* grid() const { return child<QTableWidget>(*w, "grid"); }
    QString label4() const { return child<QLabel>(*w, "Label4")->text(); }
    QString labtext() const { return child<QLabel>(*w, "labtext")->text(); }
};

}  // namespace

class TestForm2 : public QObject {
    Q_OBJECT
private slots:
    void loadsAddressesAndHoldsThePort();
    void typingAndEmptyList();
    void nothingToCollect();
    void wrongEchoBeforeRecordThree();
    void clampsAndYearRule();
    void duplicatesBySameAndOtherController();
    void clearing_data();
    void clearing();
    void clearingStoresPassesMadeSinceTheCollection();
    void clearingKeepsPassesMadeWhileStreaming_data();
    void clearingKeepsPassesMadeWhileStreaming();
    void buttonsWaitForTheExchange();
};

void TestForm2::loadsAddressesAndHoldsThePort()
{
    LineHome h;  // on the terminal, end to end
    h.home.exec(QStringLiteral("INSERT INTO doors (地址) VALUES (9), (2)"));
    Window win;
    QCOMPARE(win.w->windowTitle(), QString(24, QLatin1Char(' ')) + QStringLiteral("数   据   采   集"));
    QCOMPARE(win.ctext()->count(), 2);
    QCOMPARE(win.ctext()->currentText(), QStringLiteral("2"));
    QCOMPARE(win.label4(), QString());
    LinePort other;
    QCOMPARE(other.open(Session::lineParams()).status, OpenStatus::HeldByAnotherWindow);
    // A second window cannot have the line: it says so.
    Window second;
    QCOMPARE(second.label4(), QStringLiteral("8005    端口 (com3) 端口已经打开请进入系统配置重新设置端口号！"));
    win.exit()->click();
    QVERIFY(other.open(Session::lineParams()).ok());
}

void TestForm2::typingAndEmptyList()
{
    LineHome h(LineHome::Wire::Memory);
    h.home.exec(QStringLiteral("INSERT INTO doors (地址) VALUES (2), (30)"));
    {
        Window win;
        win.w->show();
        QVERIFY(QTest::qWaitForWindowExposed(win.w.get()));
        win.ctext()->setFocus();
        QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("3"));
        QCOMPARE(win.ctext()->currentText(), QString());
    }
    h.home.exec(QStringLiteral("DELETE FROM doors"));
    Window win;
    win.cdok()->click();
    win.clear()->click();
    QCOMPARE(win.label4(), QStringLiteral("请先选择门禁控制器"));
    LineHome::settle();
    QVERIFY(h.sim.frames().isEmpty());
    QVERIFY(h.prompts.shown.isEmpty());
}

void TestForm2::nothingToCollect()
{
    LineHome h(LineHome::Wire::Memory);
    h.home.exec(QStringLiteral("INSERT INTO doors (地址) VALUES (4)"));
    h.sim.addController(4);
    Window win;
    win.cdok()->click();
    QCOMPARE(win.labtext(), QStringLiteral("没有数据可以采集"));
    QVERIFY(win.grid()->isHidden());
    QCOMPARE(h.sim.frames(), hexes({"040211"}));
    QVERIFY(dataRows(h.home).isEmpty());
}

void TestForm2::wrongEchoBeforeRecordThree()
{
    LineHome h(LineHome::Wire::Memory);
    h.home.exec(QStringLiteral("INSERT INTO doors (地址) VALUES (4)"));
    Controller& c = h.sim.addController(4);
    addRecords(c, 5);
    c.wrongEchoAt = 3;
    Window win;
    win.cdok()->click();
    QCOMPARE(win.grid()->rowCount(), 2);
    QVERIFY(!win.grid()->isHidden());
    QCOMPARE(win.grid()->item(1, 1)->text(), QStringLiteral("000101"));
    QCOMPARE(win.labtext(), QStringLiteral("正确采集到  2 条记录!  应正确采集 5条记录!!"));
    // Three are still only in the controller: it is not to be cleared.
    QCOMPARE(win.label4(), QStringLiteral("该门禁控制器中还有3条记录没有存入数据库,请不要清空存储器,请重新采集!"));
    QCOMPARE(dataRows(h.home), (QStringList{QStringLiteral("4|000100|2024-03-05|08:00:00|1|锁一进"),
                                            QStringLiteral("4|000101|2024-03-05|08:01:00|2|锁一出")}));
    QCOMPARE(c.records.size(), 5);
}

void TestForm2::clampsAndYearRule()
{
    LineHome h(LineHome::Wire::Memory);
    h.home.exec(QStringLiteral("INSERT INTO doors (地址) VALUES (6)"));
    Controller& c = h.sim.addController(6);
    for (const char* raw : {"00000104130508050100",    // month 13
                            "00000104123208050200",    // day 32
                            "00000104120524300300",    // hour 24
                            "00000104120508600400",    // minute 60
                            "00000130120508050100",    // year 30
                            "00000129120508050500",    // year 29, channel 5
                            "00000105023008050100"})   // 30 February
        addRaw(c, raw);
    Window win;
    win.cdok()->click();
    QCOMPARE(dataRows(h.home), (QStringList{
                                   QStringLiteral("6|000001|2004-01-05|08:05:00|1|锁一进"),
                                   QStringLiteral("6|000001|2004-12-01|08:05:00|2|锁一出"),
                                   QStringLiteral("6|000001|2004-12-05|00:30:00|3|锁二进"),
                                   QStringLiteral("6|000001|2004-12-05|08:00:00|4|锁二出"),
                                   QStringLiteral("6|000001|2030-12-05|08:05:00|1|锁一进"),
                                   QStringLiteral("6|000001|2029-12-05|08:05:00|5|"),
                                   QStringLiteral("6|000001|2005-02-28|08:05:00|1|锁一进"),
                               }));
    QCOMPARE(win.labtext(), QStringLiteral("正确采集到  7 条记录!  应正确采集 7条记录!!  其中1条记录的日期不存在,已存为当月最后一天"));
    QCOMPARE(win.label4(), kCloseAdvice);
}

void TestForm2::duplicatesBySameAndOtherController()
{
    LineHome h(LineHome::Wire::Memory);
    h.home.exec(QStringLiteral("INSERT INTO doors (地址) VALUES (1), (2)"));
    addRecords(h.sim.addController(1), 3);
    addRecords(h.sim.addController(2), 1);
    Window win;
    win.w->show();
    QVERIFY(QTest::qWaitForWindowExposed(win.w.get()));
    win.cdok()->click();
    QCOMPARE(dataRows(h.home).size(), 3);
    // Again from the same controller: nothing new, and nothing missing.
    win.cdok()->click();
    QCOMPARE(dataRows(h.home).size(), 3);
    QCOMPARE(win.labtext(), QStringLiteral("正确采集到  3 条记录!  应正确采集 3条记录!!"));
    QCOMPARE(win.label4(), kCloseAdvice);
    // The first pass, at the other controller in the same minute: another pass.
    OperatorInput::pickFromList(win.ctext(), win.ctext()->itemText(1));
    QCOMPARE(win.ctext()->currentText(), QStringLiteral("2"));
    win.cdok()->click();
    QCOMPARE(dataRows(h.home).size(), 4);
    QCOMPARE(dataRows(h.home).last(), QStringLiteral("2|000100|2024-03-05|08:00:00|1|锁一进"));
}

void TestForm2::clearing_data()
{
    QTest::addColumn<QString>("fault");
    QTest::addColumn<QList<Prompter::Answer>>("answers");
    QTest::addColumn<QList<QByteArray>>("frames");
    QTest::addColumn<QString>("label4");
    QTest::addColumn<QString>("labtext");
    QTest::addColumn<int>("left");
    using A = Prompter::Answer;
    const QString done = QStringLiteral("已正确清除4门禁控制器存储器中的数据!");
    QTest::newRow("No sends nothing") << QString() << QList<A>{A::No} << QList<QByteArray>{} << QString() << QString() << 2;
    // The controller's count is read just before the clear.
    QTest::newRow("stored, then cleared") << QString() << QList<A>{A::Yes} << hexes({"040211", "040204", "040206"}) << QString() << done << 0;
    QTest::newRow("no echo to the clear") << QStringLiteral("ignore") << QList<A>{A::Yes} << hexes({"040211", "040204", "040206"})
                                          << QStringLiteral("清存储器时接受验证码等待超时") << QString() << 2;
    // Records that cannot be read: the operator is asked, and No keeps them.
    QTest::newRow("missing, kept") << QStringLiteral("wrongecho") << QList<A>{A::Yes, A::No} << hexes({"040211"})
                                   << QStringLiteral("该门禁控制器中还有1条记录没有存入数据库,请不要清空存储器,请重新采集!")
                                   << QStringLiteral("正确采集到  1 条记录!  应正确采集 2条记录!!") << 2;
    QTest::newRow("missing, cleared anyway") << QStringLiteral("wrongecho") << QList<A>{A::Yes, A::Yes}
                                             << hexes({"040211", "040206"}) << QString() << done << 0;
}

void TestForm2::clearing()
{
    QFETCH(QString, fault);
    QFETCH(QList<Prompter::Answer>, answers);
    LineHome h(LineHome::Wire::Memory);
    h.home.exec(QStringLiteral("INSERT INTO doors (地址) VALUES (4)"));
    Controller& c = h.sim.addController(4);
    addRecords(c, 2);
    if (fault == QLatin1String("ignore"))
        c.ignored.append(0x06);
    if (fault == QLatin1String("wrongecho"))
        c.wrongEchoAt = 2;
    Window win;
    for (Prompter::Answer a : answers)
        h.prompts.answerNext(a);
    win.clear()->click();
    LineHome::settle();
    QCOMPARE(h.prompts.shown.first().text, QStringLiteral("确信要删除地址号为'4'的门禁控制器上的数据吗？！"));
    QCOMPARE(h.prompts.shown.first().title, QStringLiteral("提示信息"));
    QCOMPARE(h.prompts.shown.size(), answers.size());
    QTEST(h.sim.frames(), "frames");
    QTEST(win.label4(), "label4");
    QTEST(win.labtext(), "labtext");
    QTEST(int(c.records.size()), "left");
    if (c.records.isEmpty())
        QCOMPARE(win.grid()->rowCount(), 0);
}

void TestForm2::clearingStoresPassesMadeSinceTheCollection()
{
    LineHome h(LineHome::Wire::Memory);
    h.home.exec(QStringLiteral("INSERT INTO doors (地址) VALUES (4)"));
    Controller& c = h.sim.addController(4);
    addRecords(c, 3);
    Window win;
    win.cdok()->click();
    QCOMPARE(dataRows(h.home).size(), 3);
    QVERIFY(c.pass(QStringLiteral("000777"), 2, QDateTime(QDate(2024, 3, 5), QTime(9, 30))));
    QVERIFY(c.pass(QStringLiteral("000778"), 3, QDateTime(QDate(2024, 3, 5), QTime(9, 31))));
    h.prompts.answerNext(Prompter::Answer::Yes);
    win.clear()->click();
    QCOMPARE(h.prompts.shown.size(), 1);
    QVERIFY(c.records.isEmpty());
    const QStringList rows = dataRows(h.home);
    QCOMPARE(rows.size(), 5);
    QCOMPARE(rows.mid(3), (QStringList{QStringLiteral("4|000777|2024-03-05|09:30:00|2|锁一出"),
                                       QStringLiteral("4|000778|2024-03-05|09:31:00|3|锁二进")}));
    QCOMPARE(win.labtext(), QStringLiteral("已正确清除4门禁控制器存储器中的数据!"));
}

void TestForm2::clearingKeepsPassesMadeWhileStreaming_data()
{
    QTest::addColumn<int>("records");
    QTest::addColumn<bool>("paced");
    QTest::addColumn<QList<int>>("passesPerCollection");
    QTest::addColumn<int>("questions");
    QTest::addColumn<int>("left");
    // Each entry: the passes made while that collection streams.
    // Some 1.7 s of records at the line's pace, the passes made meanwhile.
    QTest::newRow("150 at the line's pace, two passes") << 150 << true << QList<int>{2} << 1 << 0;
    QTest::newRow("passes during the second stream too") << 5 << false << QList<int>{2, 1} << 1 << 0;
    // Passes keep coming at every collection: the operator is asked, and
    // No keeps them in the controller.
    QTest::newRow("never quiet, kept") << 5 << false << QList<int>{1, 1, 1, 1, 1} << 2 << 9;
}

void TestForm2::clearingKeepsPassesMadeWhileStreaming()
{
    QFETCH(int, records);
    QFETCH(bool, paced);
    QFETCH(QList<int>, passesPerCollection);
    QFETCH(int, questions);
    LineHome h(LineHome::Wire::Memory);
    h.home.exec(QStringLiteral("INSERT INTO doors (地址) VALUES (4)"));
    Controller& c = h.sim.addController(4);
    addRecords(c, records);
    c.behaviour.paced = paced;
    int made = records;
    QObject::connect(&h.sim, &Simulator::frameReceived, &h.sim, [&](const QByteArray& frame) {
        if (frame == hex("040211") && !passesPerCollection.isEmpty()) {
            c.passesDuringCollect = passesPerCollection.takeFirst();
            made += c.passesDuringCollect;
        }
    });
    h.prompts.answerNext(Prompter::Answer::Yes);
    h.prompts.answerNext(Prompter::Answer::No);
    Window win;
    win.clear()->click();
    QCOMPARE(h.prompts.shown.size(), questions);
    QTEST(int(c.records.size()), "left");
    // No to the question leaves no invitation to clear.
    QVERIFY(questions == 1 || win.label4() == QStringLiteral("该门禁控制器中还有1条记录没有存入数据库,请不要清空存储器,请重新采集!"));
    // Every pass the controller took is in `data` or still in the controller.
    QCOMPARE(c.records.isEmpty() ? dataRows(h.home).size() : c.records.size(), made);
}

void TestForm2::buttonsWaitForTheExchange()
{
    LineHome h(LineHome::Wire::Memory);
    h.home.exec(QStringLiteral("INSERT INTO doors (地址) VALUES (4)"));
    Controller& c = h.sim.addController(4);
    addRecords(c, 2);
    c.behaviour.delayMs = 600;
    Window win;
    win.w->show();
    QList<bool> enabled;
    bool stillShown = false;
    LineTimer poke([&] {
        enabled = {win.cdok()->isEnabled(), win.clear()->isEnabled(), win.exit()->isEnabled(), win.ctext()->isEnabled()};
        win.w->close();
        stillShown = win.w->isVisible();
    });
    poke.startIn(std::chrono::milliseconds(250));
    win.cdok()->click();
    QCOMPARE(enabled, (QList<bool>{false, false, false, false}));
    QVERIFY(stillShown);
    QCOMPARE(dataRows(h.home).size(), 2);
    QVERIFY(win.cdok()->isEnabled() && win.clear()->isEnabled() && win.exit()->isEnabled());
}

QTEST_MAIN(TestForm2)
#include "tst_form2.moc"
