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

#include <QElapsedTimer>
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

}  // namespace

class TestFrmZDCJ : public QObject {
    Q_OBJECT
private slots:
    void emptyDoorsClosesAtOnce();
    void storesEveryControllerOnce();
    void slowControllerWithManyRecords();
    void wrongRecordEchoFailsThatController();
    void spoolLeftByAFailedRunGoesInFirst();
    void timerOpensOnceInItsMinute();
    void toolsOpenTheirWindows();
    void timerWaitsForTheLine_data();
    void timerWaitsForTheLine();
};

void TestFrmZDCJ::emptyDoorsClosesAtOnce()
{
    LineHome h;
    Run run;
    QCOMPARE(run.w->windowTitle(), QStringLiteral("自动采集数据"));
    QCOMPARE(run.summaries, QStringList{QStringLiteral("没有门禁控制器")});
    QVERIFY(h.sim.frames().isEmpty());
}

void TestFrmZDCJ::storesEveryControllerOnce()
{
    LineHome h;
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
        QStringLiteral("1|000001|2004-12-05|13:05:00|5|"),       QStringLiteral("1|000001|1930-12-05|08:05:00|1|锁一进"),
        QStringLiteral("2|000001|1930-12-05|08:05:00|1|锁一进")};
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
    LineHome h;
    h.home.exec(QStringLiteral("INSERT INTO doors (地址) VALUES (3)"));
    Controller& c = h.sim.addController(3);
    addRecords(c, 500);
    // The count at once, the records 3 s later and at the line's pace:
    // some 9 s in all, where a fixed 2 s would give up.
    c.behaviour.splitAt = 3;
    c.behaviour.splitGapMs = 3000;
    c.behaviour.paced = true;
    h.sim.setBaud(9600);
    QElapsedTimer t;
    t.start();
    Run run(60000);
    QVERIFY(t.elapsed() > 3000);
    QCOMPARE(run.outcomes(), QList<DoorOutcome>{DoorOutcome::Stored});
    QCOMPARE(h.home.scalar(QStringLiteral("SELECT count(*) FROM data")).toInt(), 500);
}

void TestFrmZDCJ::wrongRecordEchoFailsThatController()
{
    LineHome h;
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
    QCOMPARE(run.summaries, QStringList{QStringLiteral("1号失败，2号存入2条，3号失败")});
    QCOMPARE(run.lab, QStringLiteral("终端没有数据输出!"));
}

void TestFrmZDCJ::spoolLeftByAFailedRunGoesInFirst()
{
    LineHome h;
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
    LineHome h;
    h.home.exec(QStringLiteral("INSERT INTO doors (地址) VALUES (1)"));
    addRecords(h.sim.addController(1), 2);
    Session::CollectTime = QStringLiteral("08:30");
    menu m;
    Clock::freeze(QDateTime(QDate(2024, 3, 5), QTime(8, 29, 50)));
    m.collectionTick();
    QVERIFY(!m.openWindow(24));
    Clock::freeze(QDateTime(QDate(2024, 3, 5), QTime(8, 30, 5)));
    m.collectionTick();
    QVERIFY(m.openWindow(24));
    // A tick while it runs opens nothing.
    m.collectionTick();
    QTRY_VERIFY_WITH_TIMEOUT(!m.openWindow(24), 30000);
    // The second tick of the same minute, after the window closed: the
    // run is not repeated.
    Clock::freeze(QDateTime(QDate(2024, 3, 5), QTime(8, 30, 55)));
    m.collectionTick();
    QVERIFY(!m.openWindow(24));
    QCOMPARE(h.sim.frames(), hexes({"010211"}));
    QCOMPARE(child<QLabel>(m, "collectPanel")->text(), QStringLiteral("自动采集 2024-03-05 08:30：1号存入2条"));
    QCOMPARE(h.home.scalar(QStringLiteral("SELECT count(*) FROM data")).toInt(), 2);
}

void TestFrmZDCJ::toolsOpenTheirWindows()
{
    LineHome h;
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
    LineHome h;
    h.home.exec(QStringLiteral("INSERT INTO doors (地址) VALUES (1)"));
    addRecords(h.sim.addController(1), 2);
    Session::CollectTime = QStringLiteral("08:30");
    menu m;
    auto holder = std::make_unique<LinePort>();
    QVERIFY(holder->open(Session::lineParams()).ok());
    // Ticks every 50 s from the scheduled minute while another window holds the line.
    QTime at(8, 30, 10);
    for (; at < releasedAt; at = at.addSecs(50)) {
        Clock::freeze(QDateTime(QDate(2024, 3, 5), at));
        m.collectionTick();
        QVERIFY(!m.openWindow(24));
        QCOMPARE(child<QLabel>(m, "collectPanel")->text(), QStringLiteral("自动采集：串口正被其他窗口使用,稍后重试"));
    }
    holder.reset();
    Clock::freeze(QDateTime(QDate(2024, 3, 5), releasedAt));
    m.collectionTick();
    QFETCH(bool, runs);
    QCOMPARE(m.openWindow(24) != nullptr, runs);
    QTRY_VERIFY_WITH_TIMEOUT(!m.openWindow(24), 30000);
    QTEST(child<QLabel>(m, "collectPanel")->text(), "panel");
    QCOMPARE(h.home.scalar(QStringLiteral("SELECT count(*) FROM data")).toInt(), runs ? 2 : 0);
    // Neither is repeated by a later tick.
    Clock::freeze(QDateTime(QDate(2024, 3, 5), releasedAt.addSecs(50)));
    m.collectionTick();
    QVERIFY(!m.openWindow(24));
}

QTEST_MAIN(TestFrmZDCJ)
#include "tst_frmzdcj.moc"
