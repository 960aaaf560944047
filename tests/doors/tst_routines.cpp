// The controller routines end to end, the simulator answering in the controllers' place.

#include "support/LineHome.h"

#include "doors/ControllerLine.h"
#include "session/Session.h"

#include <QFile>
#include <QtTest>

namespace {

const QByteArray kExampleLine(" 1234 , .5 , 5 ,2004-12-7,10:23:45, 2 ,2.10\r\n");
const QByteArray kSentinel("left by an earlier read\r\n");

QByteArray statusFile()
{
    QFile f(SysInf::path());
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

void writeStatusFile(const QByteArray& content)
{
    QFile f(SysInf::path());
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(content);
}

}  // namespace

class RoutinesTest : public QObject {
    Q_OBJECT
private slots:
    void readSysWritesTheStatusLine();
    void readSysFailureLeavesTheFile();
    void readSysTakesASplitReply();
    void readSysRefusesAnOverlongReply();
    void readSysWithoutPort();
    void delayTimeSendsRoundedCount_data();
    void delayTimeSendsRoundedCount();
    void delayTooLongSendsNothing();
    void lateEchoNeverConfirmsLaterCommand();
    void noAnswerOfOneCommandAcknowledgesTheNext_data();
    void noAnswerOfOneCommandAcknowledgesTheNext();
    void clearControllerClearsBoth();
    void clearControllerStopsAtSilence();
    void openLockOpensTheChosenLock();
};

void RoutinesTest::readSysWritesTheStatusLine()
{
    LineHome h(LineHome::Waits::Short);  // on the terminal, end to end
    Controller& c = h.sim.addController(5);
    c.lockDelay[0] = 7;
    c.lockDelay[1] = 70;
    h.sim.command(QStringLiteral("records 5 1234"));
    // The controller's clock is set the moment the query arrives, so that
    // the second it reports cannot run on.
    connect(&h.sim, &Simulator::frameReceived, this, [&] {
        h.sim.controller(5)->setClock(QDateTime(QDate(2004, 12, 7), QTime(10, 23, 45)));
    });
    LinePort comm;
    const ReadSysResult r = ReadSys(comm, 5, Session::lineParams());
    QCOMPARE(r.outcome, LineOutcome::Ok);
    QCOMPARE(statusFile(), kExampleLine);
    QCOMPARE(h.sim.frames(), hexes({"050204"}));
    // The routine leaves the port open for the window.
    QVERIFY(comm.isOpen());
    QCOMPARE(r.status->recordCount, quint16(1234));
}

void RoutinesTest::readSysFailureLeavesTheFile()
{
    LineHome h(LineHome::Wire::Memory);
    Controller& c = h.sim.addController(5);
    writeStatusFile(kSentinel);
    LinePort comm;

    // Complete only after the 3 seconds.
    c.behaviour.delayMs = 3600;
    const LineClock::Time t = LineClock::now();
    QCOMPARE(ReadSys(comm, 5, Session::lineParams()).outcome, LineOutcome::NoAnswer);
    QVERIFY(LineClock::now() - t >= std::chrono::milliseconds(2900));
    QCOMPARE(statusFile(), kSentinel);
    // The late reply is in before the next query goes out.
    QVERIFY(LineHome::settle(5000, [&] { return !h.sim.sending(); }));

    // Another address answers.
    c.behaviour.delayMs = 0;
    c.behaviour.wrongAddress = true;
    QCOMPARE(ReadSys(comm, 5, Session::lineParams()).outcome, LineOutcome::WrongAnswer);
    QCOMPARE(statusFile(), kSentinel);

    // Nobody at that address.
    QCOMPARE(ReadSys(comm, 6, Session::lineParams()).outcome, LineOutcome::NoAnswer);
    QCOMPARE(statusFile(), kSentinel);
}

void RoutinesTest::readSysTakesASplitReply()
{
    LineHome h(LineHome::Wire::Memory);
    Controller& c = h.sim.addController(9);
    c.behaviour.splitAt = 6;
    c.behaviour.splitGapMs = 500;
    LinePort comm;
    const ReadSysResult r = ReadSys(comm, 9, Session::lineParams());
    QCOMPARE(r.outcome, LineOutcome::Ok);
    QCOMPARE(r.status->address, quint8(9));
    QVERIFY(SysInf::read());
}

void RoutinesTest::readSysRefusesAnOverlongReply()
{
    LineHome h(LineHome::Waits::Short);
    RawPeer peer;
    // Fifteen bytes of status and one more byte in the same burst.
    peer.answer = QByteArray::fromHex("0504D2074604120710234502021000") + QByteArray(1, '\x55');
    QVERIFY(peer.start(h.home.path(), 4));
    Session::PortNo = 4;
    writeStatusFile(kSentinel);
    LinePort comm;
    const ReadSysResult r = ReadSys(comm, 5, Session::lineParams());
    QCOMPARE(r.outcome, LineOutcome::WrongAnswer);
    QCOMPARE(statusFile(), kSentinel);
    QCOMPARE(peer.received, hexes({"050204"}));
}

void RoutinesTest::readSysWithoutPort()
{
    LineHome h(LineHome::Wire::Memory);
    writeStatusFile(kSentinel);
    Session::PortNo = 7;  // no com7 link, no such device
    LinePort comm;
    QCOMPARE(ReadSys(comm, 5, Session::lineParams()).outcome, LineOutcome::PortNotOpen);
    QCOMPARE(statusFile(), kSentinel);
    // DelayTime wants an open port and sends nothing without one.
    QCOMPARE(DelayTime(comm, 5, 1, 1.0), LineOutcome::PortNotOpen);
}

void RoutinesTest::delayTimeSendsRoundedCount_data()
{
    QTest::addColumn<int>("lock");
    QTest::addColumn<double>("seconds");
    QTest::addColumn<QByteArray>("frame");
    QTest::newRow("0.5") << 1 << 0.5 << hex("05050E070000");
    QTest::newRow("0.75") << 1 << 0.75 << hex("05050E0A0000");
    QTest::newRow("1.25") << 1 << 1.25 << hex("05050E120000");
    QTest::newRow("18.2") << 1 << 18.2 << hex("05050EFF0000");
    QTest::newRow("lock 2") << 2 << 0.5 << hex("05051E070000");
    QTest::newRow("lock 3 is lock 2") << 3 << 1.25 << hex("05051E120000");
}

void RoutinesTest::delayTimeSendsRoundedCount()
{
    QFETCH(int, lock);
    QFETCH(double, seconds);
    QFETCH(QByteArray, frame);
    LineHome h(LineHome::Wire::Memory);
    h.sim.addController(5);
    LinePort comm;
    QVERIFY(comm.open(Session::lineParams()).ok());
    QCOMPARE(DelayTime(comm, 5, lock, seconds), LineOutcome::Ok);
    QCOMPARE(h.sim.frames(), QList<QByteArray>{frame});
    const int stored = lock == 1 ? 0 : 1;
    QCOMPARE(h.sim.controller(5)->lockDelay[stored], quint8(frame.at(3)));
    QCOMPARE(h.sim.controller(5)->lockDelay[1 - stored], quint8(70));
}

void RoutinesTest::delayTooLongSendsNothing()
{
    LineHome h(LineHome::Wire::Memory);
    h.sim.addController(5);
    LinePort comm;
    QVERIFY(comm.open(Session::lineParams()).ok());
    for (double s : {18.25, 18.3, 25.0}) {
        QCOMPARE(DelayTime(comm, 5, 1, s), LineOutcome::DelayTooLong);
        QCOMPARE(DelayTime(comm, 5, 2, s), LineOutcome::DelayTooLong);
    }
    LineHome::settle();
    QVERIFY(h.sim.frames().isEmpty());
    QCOMPARE(h.sim.controller(5)->lockDelay[0], quint8(70));
}

void RoutinesTest::lateEchoNeverConfirmsLaterCommand()
{
    LineHome h(LineHome::Wire::Memory);
    Controller& c = h.sim.addController(5);
    c.behaviour.delayMs = 2400;
    LinePort comm;
    QVERIFY(comm.open(Session::lineParams()).ok());
    QCOMPARE(DelayTime(comm, 5, 1, 1.0), LineOutcome::Late);
    // The late echo comes in while nothing waits for it.
    QVERIFY(LineHome::settle(5000, [&] { return !h.sim.sending(); }));
    c.behaviour.silent = true;
    // The stale byte must not end the wait: it lasts until the wait gives up.
    const LineWaitScope quick = LineWaitScope::shortWaits();
    const LineClock::Time t = LineClock::now();
    QCOMPARE(ClearRecords(comm, 5), LineOutcome::NoAnswer);
    QVERIFY(LineClock::now() - t >= LineWaitScope::kShort);
}

// The first command's answer comes late or with bytes not its own, and the next one's frame is lost: nothing acknowledges it.
void RoutinesTest::noAnswerOfOneCommandAcknowledgesTheNext_data()
{
    QTest::addColumn<QString>("fault");
    QTest::addColumn<LineOutcome>("first");
    QTest::newRow("lock delay 0.5 s late, then lock 2") << QStringLiteral("slow 9 2500") << LineOutcome::Late;
    QTest::newRow("status 0.5 s late, then initialising") << QStringLiteral("slow 9 3500") << LineOutcome::NoAnswer;
    QTest::newRow("stray byte before a status") << QStringLiteral("stray 9 9") << LineOutcome::WrongAnswer;
    QTest::newRow("another's status after it") << QStringLiteral("follow 9 8") << LineOutcome::WrongAnswer;
}

void RoutinesTest::noAnswerOfOneCommandAcknowledgesTheNext()
{
    QFETCH(QString, fault);
    LineHome h(LineHome::Wire::Memory);
    h.sim.addController(8);
    h.sim.addController(9);
    h.sim.command(fault);
    h.sim.command(QStringLiteral("lose 9 1 1"));
    LinePort comm;
    QVERIFY(comm.open(Session::lineParams()).ok());
    const bool delays = fault == QLatin1String("slow 9 2500");
    QTEST(delays ? DelayTime(comm, 9, 1, 4.0) : ReadStatus(comm, 9).outcome, "first");
    QCOMPARE(delays ? DelayTime(comm, 9, 2, 4.0) : ClearController(comm, 9), LineOutcome::NoAnswer);
}

void RoutinesTest::clearControllerClearsBoth()
{
    LineHome h(LineHome::Wire::Memory);
    h.sim.addController(0);
    h.sim.command(QStringLiteral("records 0 20"));
    h.sim.controller(0)->cards.append(CardEntry{QStringLiteral("000001"), QStringLiteral("0000000001"), {}});
    LinePort comm;
    QVERIFY(comm.open(Session::lineParams()).ok());
    QList<ClearStep> steps;
    QCOMPARE(ClearController(comm, 0, [&](ClearStep s) { steps << s; }), LineOutcome::Ok);
    QCOMPARE(h.sim.frames(), hexes({"000206", "00020C"}));
    QVERIFY(h.sim.controller(0)->records.isEmpty());
    QVERIFY(h.sim.controller(0)->cards.isEmpty());
    QCOMPARE(steps, (QList<ClearStep>{ClearStep::ClearingRecords, ClearStep::RecordsCleared,
                                      ClearStep::ClearingLists, ClearStep::ListsCleared}));
}

void RoutinesTest::clearControllerStopsAtSilence()
{
    LineHome h(LineHome::Wire::Memory, LineHome::Waits::Short);
    h.sim.addController(99).behaviour.wrongAddress = true;
    LinePort comm;
    QVERIFY(comm.open(Session::lineParams()).ok());
    QCOMPARE(ClearController(comm, 99), LineOutcome::WrongAnswer);
    LineHome::settle();
    QCOMPARE(h.sim.frames(), hexes({"630206"}));

    h.sim.controller(99)->behaviour.wrongAddress = false;
    h.sim.controller(99)->behaviour.silent = true;
    h.sim.clearFrames();
    QCOMPARE(ClearController(comm, 99), LineOutcome::NoAnswer);
    LineHome::settle();
    QCOMPARE(h.sim.frames(), hexes({"630206"}));
}

void RoutinesTest::openLockOpensTheChosenLock()
{
    LineHome h(LineHome::Wire::Memory, LineHome::Waits::Short);
    h.sim.addController(0);
    LinePort comm;
    QVERIFY(comm.open(Session::lineParams()).ok());
    QCOMPARE(OpenLock(comm, 0, 2), LineOutcome::Ok);
    QVERIFY(h.sim.controller(0)->lockOpen(2));
    QVERIFY(!h.sim.controller(0)->lockOpen(1));
    QCOMPARE(OpenLock(comm, 0, 1), LineOutcome::Ok);
    QVERIFY(h.sim.controller(0)->lockOpen(1));
    QCOMPARE(h.sim.frames(), hexes({"000220", "000210"}));
}

QTEST_MAIN(RoutinesTest)
#include "tst_routines.moc"
