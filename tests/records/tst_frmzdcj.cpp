// The timed collection against the simulator, and the main window's
// collection timer that opens it.

#include "app/MainWindow.h"
#include "db/Clock.h"
#include "support/LineHome.h"
#include "link/PortName.h"
#include "records/Form2.h"
#include "records/FrmZDCJ.h"
#include "records/SpoolFile.h"
#include "session/Session.h"
#include "support/CollectedRecords.h"

#include <QFile>
#include <QLabel>
#include <QSignalSpy>
#include <QSqlQuery>
#include <QStatusBar>
#include <QtTest>

#include <memory>

using TimedCollection::DoorOutcome;

using namespace CollectedRecords;

namespace {

// Shows the window and waits until it has closed itself.
struct Run {
    std::unique_ptr<FrmZDCJ> w = std::make_unique<FrmZDCJ>();
    QStringList summaries;
    QString lab;

    explicit Run(int timeoutMs = 30000)
    {
        QObject::connect(w.get(), &FrmZDCJ::runFinished, [this](const QString& s) {
            summaries << s;
            lab = child<QLabel>(*w, "Lab")->text();
        });
        w->show();
        QTRY_VERIFY_WITH_TIMEOUT(!w->isVisible(), timeoutMs);
    }
    QList<DoorOutcome> outcomes() const
    {
        QList<DoorOutcome> out;
        for (const auto& d : w->results())
            out << d.outcome;
        return out;
    }
};

// Controller 1 with two records, collected daily at 08:30.
struct ScheduledHome {
    LineHome h{LineHome::Wire::Memory};
    ScheduledHome()
    {
        h.home.exec(QStringLiteral("INSERT INTO doors (地址) VALUES (1)"));
        addRecords(h.sim.addController(1), 2);
        Session::CollectTime = QStringLiteral("08:30");
    }
};

// The main window's timer ticks at `at` on 2024-03-05.
void tickAt(menu& m, const QTime& at)
{
    Clock::freeze(QDateTime(QDate(2024, 3, 5), at));
    m.collectionTick();
}

}  // namespace

class TestFrmZDCJ : public QObject {
    Q_OBJECT
private slots:
    void emptyDoorsClosesAtOnce();
    void storesEveryControllerOnce();
    void slowControllerWithManyRecords();
    void wrongRecordEchoFailsThatController();
    void lateOrRepeatedAnswerSpoilsNoOther_data();
    void lateOrRepeatedAnswerSpoilsNoOther();
    void spoolLeftByAFailedRunGoesInFirst();
    void spoolThatCannotBeStoredNamesNoRejectFile();
    void stoppedAnswerKeepsItsRecords_data();
    void stoppedAnswerKeepsItsRecords();
    void everyOutcomeReadableFromTheMainWindow();
    void timerOpensOnceInItsMinute();
    void minuteHeldByAProgressWindowRunsAfterIt();
    void toolsOpenTheirWindows();
    void timerWaitsForTheLine_data();
    void timerWaitsForTheLine();
};

void TestFrmZDCJ::emptyDoorsClosesAtOnce()
{
    LineHome h(LineHome::Wire::Memory);
    Run run;
    QCOMPARE(run.w->windowTitle(), QStringLiteral("自动采集数据"));
    QCOMPARE(run.summaries, QStringList{QStringLiteral("没有门禁控制器")});
    QVERIFY(h.sim.frames().isEmpty());
}

void TestFrmZDCJ::storesEveryControllerOnce()
{
    LineHome h;  // on the terminal, end to end
    h.home.exec(QStringLiteral("INSERT INTO doors (地址) VALUES (1), (2), (5)"));
    Controller& one = h.sim.addController(1);
    addRaw(one, "00000104130508050100");  // month 13
    addRaw(one, "00000104123208050200");  // day 32
    addRaw(one, "00000104120524300300");  // hour 24
    addRaw(one, "00000104120508600400");  // minute 60
    addRaw(one, "00000104120513050500");  // hour 13, channel 5
    addRaw(one, "00000130120508050100");  // year 30
    // The same pass at another controller is another pass.
    addRaw(h.sim.addController(2), "00000130120508050100");
    h.sim.addController(5);
    Run first;
    const QStringList expected{
        QStringLiteral("1|000001|1999-01-01|08:05:00|1|锁一进"), QStringLiteral("1|000001|1999-01-01|08:05:00|2|锁一出"),
        QStringLiteral("1|000001|2004-12-05|00:00:00|3|锁二进"), QStringLiteral("1|000001|2004-12-05|00:00:00|4|锁二出"),
        QStringLiteral("1|000001|2004-12-05|13:05:00|5|"),       QStringLiteral("1|000001|2030-12-05|08:05:00|1|锁一进"),
        QStringLiteral("2|000001|2030-12-05|08:05:00|1|锁一进")};
    QCOMPARE(dataRows(h.home), expected);
    QCOMPARE(first.summaries, QStringList{QStringLiteral("1号存入6条，2号存入1条，5号无记录")});
    QCOMPARE(first.lab, QStringLiteral("终端没有数据输出!"));
    QVERIFY(!QFile::exists(SpoolFile::path(h.home.path())));
    QCOMPARE(h.sim.frames(), hexes({"010211", "020211", "050211"}));
    // The memories keep their records, and the next run stores none twice.
    QCOMPARE(one.records.size(), 6);
    Run second;
    QCOMPARE(dataRows(h.home), expected);
    QCOMPARE(second.summaries, QStringList{QStringLiteral("1号采集6条（新存入0条），2号采集1条（新存入0条），5号无记录")});
    QCOMPARE(second.outcomes(), (QList<DoorOutcome>{DoorOutcome::Stored, DoorOutcome::Stored, DoorOutcome::None}));
}

void TestFrmZDCJ::slowControllerWithManyRecords()
{
    LineHome h(LineHome::Wire::Memory);
    h.home.exec(QStringLiteral("INSERT INTO doors (地址) VALUES (3)"));
    Controller& c = h.sim.addController(3);
    addRecords(c, 250);
    // The count at once, the records a little later and at the line's
    // pace: some 3.7 s in all, where a fixed 2 s would give up.
    c.behaviour.splitAt = 3;
    c.behaviour.splitGapMs = 800;
    c.behaviour.paced = true;
    h.sim.setBaud(9600);
    const LineClock::Time t = LineClock::now();
    Run run(60000);
    QVERIFY(LineClock::now() - t > std::chrono::milliseconds(2000));
    QCOMPARE(run.outcomes(), QList<DoorOutcome>{DoorOutcome::Stored});
    QCOMPARE(h.home.scalar(QStringLiteral("SELECT count(*) FROM data")).toInt(), 250);
}

void TestFrmZDCJ::wrongRecordEchoFailsThatController()
{
    LineHome h(LineHome::Wire::Memory);
    h.home.exec(QStringLiteral("INSERT INTO doors (地址) VALUES (1), (2), (3)"));
    Controller& one = h.sim.addController(1);
    addRecords(one, 3);
    one.wrongEchoAt = 2;
    addRecords(h.sim.addController(2), 2, QDateTime(QDate(2024, 3, 6), QTime(9, 0)));
    h.sim.addController(3).behaviour.wrongAddress = true;
    Run run;
    // Not one record of the first, not even the one before the wrong byte.
    QCOMPARE(dataRows(h.home), (QStringList{QStringLiteral("2|000100|2024-03-06|09:00:00|1|锁一进"),
                                            QStringLiteral("2|000101|2024-03-06|09:01:00|2|锁一出")}));
    QCOMPARE(run.outcomes(), (QList<DoorOutcome>{DoorOutcome::Failed, DoorOutcome::Stored, DoorOutcome::Failed}));
    QCOMPARE(run.summaries, QStringList{QStringLiteral("1号失败(应答的地址不对)，2号存入2条，3号失败(应答的地址不对)")});
    QCOMPARE(run.lab, QStringLiteral("终端没有数据输出!"));
}

void TestFrmZDCJ::lateOrRepeatedAnswerSpoilsNoOther_data()
{
    QTest::addColumn<QString>("fault");  // of controller 2, with 50 records; a paced copy streams well after the first answer
    QTest::addColumn<QString>("summary");
    QTest::newRow("answers 3.5 s late") << "slow 2 3500" << QStringLiteral("2号失败(没有按时应答)，3号存入1000条，4号存入2条");
    QTest::newRow("answers twice") << "twice 2 on;pace 2 on" << QStringLiteral("2号失败(应答后有多余的数据)，3号存入1000条，4号存入2条");
    // A stray byte every 40 ms in their waits.
    QTest::newRow("silent on a chattering line") << "silent all on;chatter 40"
                                                 << QStringLiteral("2号失败(线路上有干扰)，3号失败(线路上有干扰)，4号失败(线路上有干扰)");
}

void TestFrmZDCJ::lateOrRepeatedAnswerSpoilsNoOther()
{
    LineHome h(LineHome::Wire::Memory);
    h.home.exec(QStringLiteral("INSERT INTO doors (地址) VALUES (2), (3), (4)"));
    for (int a : {2, 3, 4})
        addRecords(h.sim.addController(static_cast<quint8>(a)), a == 3 ? 1000 : a == 2 ? 50 : 2);
    QFETCH(QString, fault);
    for (const QString& f : fault.split(QLatin1Char(';')))
        h.sim.command(f);
    QTEST(Run().summaries.value(0), "summary");
}

void TestFrmZDCJ::spoolThatCannotBeStoredNamesNoRejectFile()
{
    LineHome h(LineHome::Wire::Memory);
    h.home.exec(QStringLiteral("INSERT INTO doors (地址) VALUES (1)"));
    h.sim.addController(1);
    h.home.exec(QStringLiteral("CREATE TRIGGER full BEFORE INSERT ON data BEGIN SELECT RAISE(ABORT, 'disk full'); END"));
    QFile spool(SpoolFile::path(h.home.path()));
    QVERIFY(spool.open(QIODevice::WriteOnly));
    spool.write("\"000555    \",#2024-03-01#,#07:59:00#,\"1     \",1\r\n"
                "\"0005\r\n");
    spool.close();
    Run run;
    const QString summary = run.summaries.value(0);
    QVERIFY2(summary.startsWith(QStringLiteral("1号无记录；存入数据库失败,记录留在seda.dat中待下次存入：disk full")),
             qPrintable(summary));
    // The damaged line stays in seda.dat with the rest: no seda.rej is named.
    QVERIFY2(summary.endsWith(QStringLiteral("seda.dat中有1行无法读取")), qPrintable(summary));
    QVERIFY(!QFile::exists(SpoolFile::rejectPath(h.home.path())));
    QVERIFY(spool.exists());
}

void TestFrmZDCJ::stoppedAnswerKeepsItsRecords_data()
{
    QTest::addColumn<int>("announced");
    QTest::addColumn<int>("sent");
    QTest::addColumn<QList<DoorOutcome>>("outcomes");
    QTest::addColumn<QString>("summary");
    QTest::newRow("5000 announced, 10 sent") << 5000 << 10 << QList<DoorOutcome>{DoorOutcome::BrokeOff, DoorOutcome::Stored}
                                             << QStringLiteral("1号应答中断,应有5000条,采集10条（新存入10条），2号存入2条");
    QTest::newRow("65535 announced, none sent") << 65535 << 0 << QList<DoorOutcome>{DoorOutcome::Failed, DoorOutcome::Stored}
                                                << QStringLiteral("1号失败(应答中断)，2号存入2条");
}

void TestFrmZDCJ::stoppedAnswerKeepsItsRecords()
{
    QFETCH(int, announced);
    QFETCH(int, sent);
    // The answer stops and silence follows: that is all the wait sees.
    LineHome h(LineHome::Wire::Memory);
    h.home.exec(QStringLiteral("INSERT INTO doors (地址) VALUES (1), (2)"));
    Controller& one = h.sim.addController(1);
    addRecords(one, announced);
    one.collectStopsAfter = sent;
    addRecords(h.sim.addController(2), 2, QDateTime(QDate(2024, 3, 6), QTime(9, 0)));
    Run run;
    QTEST(run.outcomes(), "outcomes");
    QTEST(run.summaries.value(0), "summary");
    QCOMPARE(run.lab, QStringLiteral("正确采集到  2 条记录\r\n   已经存入"));
    QCOMPARE(h.home.scalar(QStringLiteral("SELECT count(*) FROM data WHERE 地址 = 1")).toInt(), sent);
    QCOMPARE(h.home.scalar(QStringLiteral("SELECT count(*) FROM data WHERE 地址 = 2")).toInt(), 2);
    // The controller keeps all of them for the next run.
    QCOMPARE(int(one.records.size()), announced);
}

void TestFrmZDCJ::everyOutcomeReadableFromTheMainWindow()
{
    // Silent and stopped controllers alike end their waits in silence.
    LineHome h(LineHome::Wire::Memory, LineHome::Waits::Short);
    Clock::freeze(QDateTime(QDate(2024, 3, 5), QTime(10, 0)));
    QStringList expected;
    for (int a = 1; a <= 10; ++a) {
        h.home.exec(QStringLiteral("INSERT INTO doors (地址) VALUES (?)"), {a});
        Controller& c = h.sim.addController(static_cast<quint8>(a));
        addRecords(c, a, QDateTime(QDate(2024, 3, a), QTime(8, 0)));
        switch (a % 4) {
        case 1: c.behaviour.silent = true; expected << QStringLiteral("%1号失败(没有按时应答)").arg(a); break;
        case 2: c.behaviour.wrongAddress = true; expected << QStringLiteral("%1号失败(应答的地址不对)").arg(a); break;
        case 3:
            c.collectStopsAfter = 1;
            expected << QStringLiteral("%1号应答中断,应有%1条,采集1条（新存入1条）").arg(a);
            break;
        default: expected << QStringLiteral("%1号存入%1条").arg(a); break;
        }
    }
    menu m;
    m.triggerTool(24);
    QTRY_VERIFY_WITH_TIMEOUT(!m.openWindow(24), 60000);
    const QStringList lines = child<QLabel>(m, "collectPanel")->toolTip().split(QLatin1Char('\n'));
    QCOMPARE(lines.value(0), QStringLiteral("自动采集 2024-03-05 10:00："));
    QCOMPARE(lines.mid(1), expected);
}

void TestFrmZDCJ::spoolLeftByAFailedRunGoesInFirst()
{
    LineHome h(LineHome::Wire::Memory);
    h.home.exec(QStringLiteral("INSERT INTO doors (地址) VALUES (1)"));
    h.sim.addController(1);
    QFile spool(SpoolFile::path(h.home.path()));
    QVERIFY(spool.open(QIODevice::WriteOnly));
    spool.write("\"000555    \",#2024-03-01#,#07:59:00#,\"1     \",1\r\n"
                "\"0005\r\n"
                "\"000556    \",#2024-03-01#,#08:00:00#,\"1     \",2\r\n");
    spool.close();
    Run run;
    QCOMPARE(dataRows(h.home), (QStringList{QStringLiteral("1|000555|2024-03-01|07:59:00|1|锁一进"),
                                            QStringLiteral("1|000556|2024-03-01|08:00:00|2|锁一出")}));
    QVERIFY(!spool.exists());
    QFile rej(SpoolFile::rejectPath(h.home.path()));
    QVERIFY(rej.open(QIODevice::ReadOnly));
    QCOMPARE(rej.readAll(), QByteArray("\"0005\r\n"));
    QCOMPARE(run.summaries, QStringList{QStringLiteral("1号无记录；上次留下的2条记录已存入  seda.dat中有1行无法读取,已移到seda.rej")});
}

void TestFrmZDCJ::timerOpensOnceInItsMinute()
{
    ScheduledHome sh;
    LineHome& h = sh.h;
    menu m;
    tickAt(m, QTime(8, 29, 50));
    QVERIFY(!m.openWindow(24));
    tickAt(m, QTime(8, 30, 5));
    QVERIFY(m.openWindow(24));
    // A tick while it runs opens nothing.
    m.collectionTick();
    QTRY_VERIFY_WITH_TIMEOUT(!m.openWindow(24), 30000);
    // The second tick of the same minute, after the window closed: the
    // run is not repeated.
    tickAt(m, QTime(8, 30, 55));
    QVERIFY(!m.openWindow(24));
    QCOMPARE(h.sim.frames(), hexes({"010211"}));
    QCOMPARE(child<QLabel>(m, "collectPanel")->text(), QStringLiteral("自动采集 2024-03-05 08:30：1号存入2条"));
    QCOMPARE(h.home.scalar(QStringLiteral("SELECT count(*) FROM data")).toInt(), 2);
}

void TestFrmZDCJ::minuteHeldByAProgressWindowRunsAfterIt()
{
    ScheduledHome sh;
    LineHome& h = sh.h;
    menu m;
    tickAt(m, QTime(8, 29, 50));
    // A backup's progress window held the timers from then until 08:32.
    tickAt(m, QTime(8, 32, 30));
    QVERIFY(m.openWindow(24));
    QTRY_VERIFY_WITH_TIMEOUT(!m.openWindow(24), 30000);
    QCOMPARE(child<QLabel>(m, "collectPanel")->text(), QStringLiteral("自动采集 2024-03-05 08:32：1号存入2条"));
    QCOMPARE(h.home.scalar(QStringLiteral("SELECT count(*) FROM data")).toInt(), 2);
}

void TestFrmZDCJ::toolsOpenTheirWindows()
{
    LineHome h(LineHome::Wire::Memory);
    Clock::freeze(QDateTime(QDate(2024, 3, 5), QTime(10, 0)));
    menu m;
    m.triggerTool(20);
    QVERIFY(qobject_cast<Form2*>(m.openWindow(20)));
    m.openWindow(20)->close();
    m.triggerTool(24);
    QVERIFY(qobject_cast<FrmZDCJ*>(m.openWindow(24)));
    QTRY_VERIFY_WITH_TIMEOUT(!m.openWindow(24), 30000);
    QCOMPARE(child<QLabel>(m, "collectPanel")->text(), QStringLiteral("自动采集 2024-03-05 10:00：没有门禁控制器"));
}

void TestFrmZDCJ::timerWaitsForTheLine_data()
{
    QTest::addColumn<QTime>("releasedAt");
    QTest::addColumn<bool>("runs");
    QTest::addColumn<QString>("panel");
    QTest::newRow("line free again at 08:39") << QTime(8, 39, 40) << true << QStringLiteral("自动采集 2024-03-05 08:39：1号存入2条");
    QTest::newRow("held past ten minutes") << QTime(8, 40, 10) << false
                                           << QStringLiteral("自动采集 2024-03-05 08:30：串口被其他窗口占用十分钟,本次采集已放弃");
}

void TestFrmZDCJ::timerWaitsForTheLine()
{
    QFETCH(QTime, releasedAt);
    ScheduledHome sh;
    LineHome& h = sh.h;
    menu m;
    auto holder = std::make_unique<LinePort>();
    QVERIFY(holder->open(Session::lineParams()).ok());
    // Ticks every 50 s from the scheduled minute while another window holds the line.
    QTime at(8, 30, 10);
    for (; at < releasedAt; at = at.addSecs(50)) {
        tickAt(m, at);
        QVERIFY(!m.openWindow(24));
        QCOMPARE(child<QLabel>(m, "collectPanel")->text(), QStringLiteral("自动采集：串口正被其他窗口使用,稍后重试"));
    }
    holder.reset();
    tickAt(m, releasedAt);
    QFETCH(bool, runs);
    QCOMPARE(m.openWindow(24) != nullptr, runs);
    QTRY_VERIFY_WITH_TIMEOUT(!m.openWindow(24), 30000);
    QTEST(child<QLabel>(m, "collectPanel")->text(), "panel");
    QCOMPARE(h.home.scalar(QStringLiteral("SELECT count(*) FROM data")).toInt(), runs ? 2 : 0);
    // Neither is repeated by a later tick.
    tickAt(m, releasedAt.addSecs(50));
    QVERIFY(!m.openWindow(24));
}

QTEST_MAIN(TestFrmZDCJ)
#include "tst_frmzdcj.moc"
