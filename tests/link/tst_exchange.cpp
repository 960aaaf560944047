// The exchange: a LinePort and the simulator answering in the controllers'
// place, joined in memory on a clock the test drives, or end to end on a
// pseudo-terminal where the terminal itself is under test.

#include "support/Controls.h"
#include "doorsim/MemoryLine.h"
#include "doorsim/SimulatorThread.h"
#include "link/CommandFrame.h"
#include "doors/ControllerLine.h"
#include "link/LinePort.h"
#include "support/LineWaitScope.h"
#include "support/MemoryTransport.h"

#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

using namespace std::chrono_literals;

class TestExchange : public QObject {
    Q_OBJECT

    QTemporaryDir* home_ = nullptr;
    Simulator* sim_ = nullptr;
    std::optional<MemoryLine> wire_;

    static qint64 usSince(LineClock::Time start) { return (LineClock::now() - start).count(); }
    LineParams params(int portNo = 1) const { return {.portNo = portNo, .programFolder = home_->path()}; }

private slots:
    void init()
    {
        home_ = new QTemporaryDir;
        sim_ = new Simulator;
        // The terminal's own device, its links, its real time passing.
        static const QByteArrayList terminal{"echoOfAddressesZeroAnd99", "secondOwnerIsRefused",
            "openKeepsTheFirstParameters", "refusedParameters", "frameLargerThanTheOutputBufferIsRefused",
            "eventLoopRunsDuringAWait", "repliesByReceiveEvents", "blockingWaitWithTheSimulatorOnItsOwnThread"};
        QString why;
        if (!terminal.contains(QTest::currentTestFunction()))
            wire_.emplace(*sim_, home_->path(), 1);
        else if (!sim_->start(&why) || !sim_->makeLink(home_->path(), 1, &why))
            QFAIL(qPrintable(why));
        for (quint8 a : {0, 1, 99})
            sim_->addController(a);
    }
    void cleanup()
    {
        wire_.reset();
        delete sim_;
        delete home_;
    }

    void echoOfAddressesZeroAnd99()
    {
        LinePort port;
        const OpenResult o = port.open(params());
        QVERIFY2(o.ok(), qPrintable(o.detail));
        QCOMPARE(o.status, OpenStatus::Opened);
        QCOMPARE(o.device, sim_->slavePath());
        for (quint8 a : {quint8(0), quint8(99)}) {
            const ExchangeResult r = port.exchange(SetTime::frame(a, QTime(9, 5, 7)));
            QCOMPARE(r.status, ExchangeStatus::Ok);
            QCOMPARE(r.reply, QByteArray(1, char(a)));
        }
        QCOMPARE(sim_->frames(), (QList<QByteArray>{hex("000508090507"), hex("630508090507")}));
        QCOMPARE(sim_->controller(99)->clock().time().hour(), 9);
    }

    void replyInTwoPieces()
    {
        sim_->controller(1)->behaviour.splitAt = 6;
        sim_->controller(1)->behaviour.splitGapMs = 400;
        LinePort port;
        QVERIFY(port.open(params()).ok());
        ExchangeOptions o;
        o.awaitedBytes = 15;
        o.timeout = 5s;
        o.read = ReadMode::All;
        const LineClock::Time start = LineClock::now();
        const ExchangeResult r = port.exchange(hex("010204"), o);
        QCOMPARE(r.status, ExchangeStatus::Ok);
        QCOMPARE(r.reply.size(), 15);
        QCOMPARE(r.reply.at(0), char(1));
        // The first piece alone did not end the wait: it came after the
        // frame's line time (3.125 ms), the rest 400 ms later.
        QCOMPARE(usSince(start), 403'125);
    }

    void silentControllerTimesOut()
    {
        sim_->controller(1)->behaviour.silent = true;
        LinePort port;
        QVERIFY(port.open(params()).ok());
        const LineClock::Time start = LineClock::now();
        const ExchangeResult r = port.exchange(hex("01020C"), ExchangeOptions::echo(1500ms));
        QCOMPARE(r.status, ExchangeStatus::TimedOut);
        QVERIFY(r.reply.isEmpty());
        QCOMPARE(usSince(start), 1'500'000);
        // The silent controller took nothing: its card list is as it was.
        QCOMPARE(sim_->frames().size(), 1);
    }

    void wrongAddressFails()
    {
        sim_->controller(1)->behaviour.wrongAddress = true;
        LinePort port;
        QVERIFY(port.open(params()).ok());
        const ExchangeResult r = port.exchange(hex("010206"));
        QCOMPARE(r.status, ExchangeStatus::WrongAddress);
        QCOMPARE(r.reply, hex("02"));
        // Without the check the bytes are the caller's to judge.
        ExchangeOptions o;
        o.checkAddress = false;
        QCOMPARE(port.exchange(hex("010206"), o).status, ExchangeStatus::Ok);
    }

    void staleByteIsNotAnAcknowledgement()
    {
        LinePort port;
        QVERIFY(port.open(params()).ok());
        // A slow answer misses its time-out and lands in the buffer later.
        sim_->controller(1)->behaviour.delayMs = 600;
        QCOMPARE(port.exchange(hex("010206"), ExchangeOptions::echo(200ms)).status, ExchangeStatus::TimedOut);
        QVERIFY(wire_->clock().advanceUntil([&] { return sim_->frames().size() == 1 && !sim_->sending(); }, 5s));
        // Now the controller is gone; the late echo must not answer for it,
        // even for an exchange that asks to keep the buffers.
        sim_->controller(1)->behaviour.silent = true;
        ExchangeOptions keep = ExchangeOptions::echo(300ms);
        keep.emptyBuffers = false;
        QCOMPARE(port.exchange(hex("01020C"), keep).status, ExchangeStatus::TimedOut);
    }

    void secondOwnerIsRefused()
    {
        // A second link to the same terminal names the same device.
        QVERIFY(sim_->makeLink(home_->path(), 2));
        LinePort first, second;
        QVERIFY(first.open(params(1)).ok());
        QVERIFY(LinePort::isHeld(sim_->slavePath()));
        const OpenResult refused = second.open(params(1));
        QCOMPARE(refused.status, OpenStatus::HeldByAnotherWindow);
        QVERIFY(!second.isOpen());
        QCOMPARE(second.open(params(2)).status, OpenStatus::HeldByAnotherWindow);
        QCOMPARE(second.exchange(hex("010204")).status, ExchangeStatus::PortNotOpen);
        QVERIFY(sim_->frames().isEmpty());

        first.close();
        QVERIFY(!LinePort::isHeld(sim_->slavePath()));
        QCOMPARE(second.open(params(2)).status, OpenStatus::Opened);
        QCOMPARE(second.exchange(hex("010206")).status, ExchangeStatus::Ok);
    }

    void destroyingThePortReleasesTheLine()
    {
        {
            LinePort held;
            QVERIFY(held.open(params()).ok());
        }
        LinePort next;
        QCOMPARE(next.open(params()).status, OpenStatus::Opened);
    }

    void openKeepsTheFirstParameters()
    {
        LinePort port;
        QVERIFY(port.open(params(1)).ok());
        LineParams other = params(7);
        other.settings = QStringLiteral("nonsense");
        const OpenResult again = port.open(other);
        QCOMPARE(again.status, OpenStatus::AlreadyOpen);
        QCOMPARE(port.device(), sim_->slavePath());
        QCOMPARE(port.exchange(hex("010206")).status, ExchangeStatus::Ok);
    }

    void refusedParameters()
    {
        LinePort port;
        const QString f = home_->path();
        const auto open = [&](const LineParams& p) { return port.open(p).status; };
        QCOMPARE(open({.portNo = 0, .programFolder = f}), OpenStatus::BadPortNumber);
        QCOMPARE(open({.settings = QStringLiteral("9600,x,8,1"), .programFolder = f}), OpenStatus::BadSettings);
        QCOMPARE(open({.inBufSize = 0, .programFolder = f}), OpenStatus::BadBufferSize);
        QCOMPARE(open({.outBufSize = -4, .programFolder = f}), OpenStatus::BadBufferSize);
        // A link whose device is gone.
        QVERIFY(QFile::link(home_->filePath(QStringLiteral("nothing")), home_->filePath(QStringLiteral("com3"))));
        const OpenResult gone = port.open(params(3));
        QCOMPARE(gone.status, OpenStatus::CannotOpen);
        QVERIFY(!gone.detail.isEmpty());
        QVERIFY(!port.isOpen());
        QCOMPARE(port.exchange(hex("010206")).status, ExchangeStatus::PortNotOpen);
    }

    void frameLargerThanTheOutputBufferIsRefused()
    {
        LinePort port;
        LineParams p = params();
        p.outBufSize = 4;
        QVERIFY(port.open(p).ok());
        QCOMPARE(port.exchange(SetTime::frame(1, QTime(1, 2, 3))).status, ExchangeStatus::WriteFailed);
        QCOMPARE(port.exchange(hex("010206")).status, ExchangeStatus::Ok);
    }

    // Every write breaks off after two bytes: no frame passes for sent,
    // whoever sends it.
    void deviceFailingMidFrame()
    {
        auto device = std::make_unique<MemoryTransport>();
        MemoryTransport& d = *device;
        d.cut = 2;
        LinePort port(std::move(device));
        QVERIFY(port.open(params(7)).ok());
        QCOMPARE(port.exchange(SetTime::frame(1, QTime(1, 2, 3)), ExchangeOptions::echo(100ms)).status,
                 ExchangeStatus::WriteFailed);
        QVERIFY(!port.send(hex("010206")));
        QCOMPARE(DelayTime(port, 1, 1, 0.5), LineOutcome::PortFailed);
        QCOMPARE(d.written, hex("0105" "0102" "0105"));
    }

    void readModes()
    {
        Controller* c = sim_->controller(1);
        c->pass(QStringLiteral("000123"), 1, QDateTime(QDate(2004, 12, 5), QTime(8, 5)));
        c->pass(QStringLiteral("000456"), 4, QDateTime(QDate(2004, 12, 5), QTime(17, 30)));
        LinePort port;
        QVERIFY(port.open(params()).ok());
        ExchangeOptions header;
        header.awaitedBytes = 3;
        header.read = ReadMode::Awaited;
        const ExchangeResult r = port.exchange(hex("010211"), header);
        QCOMPARE(r.status, ExchangeStatus::Ok);
        QCOMPARE(r.reply, hex("010002"));
        // The records follow in the same stream and stay for reading.
        QVERIFY(port.waitForBytes(22, 3s));
        QCOMPARE(port.read(11), hex("01 000123 041205 0805 01 00"));
        QCOMPARE(port.read(), hex("01 000456 041205 1730 04 00"));

        // A longer reply than the one byte awaited is no echo.
        QCOMPARE(port.exchange(hex("010204"), ExchangeOptions::echo()).status, ExchangeStatus::WrongAddress);
        QCOMPARE(port.exchange(hex("010206")).reply, hex("01"));
        wire_->clock().advance(100ms);
        QCOMPARE(port.bytesAvailable(), 0);
    }

    // The controller answers during the pause that lets nothing else run; a
    // byte later than its echo is not its answer. After a wrong answer the
    // line keeps quiet for the exchange's own wait (2 s and the pause).
    void pauseOfOneSecond_data()
    {
        QTest::addColumn<QString>("fault");
        QTest::addColumn<ExchangeStatus>("status");
        QTest::addColumn<qint64>("tookUs");
        QTest::newRow("echo") << QString() << ExchangeStatus::Ok << qint64(1'000'000);
        QTest::newRow("a byte 300 ms after the echo") << "stray 1 7 300" << ExchangeStatus::Ok << qint64(1'000'000);
        QTest::newRow("a byte with the echo") << "stray 1 7" << ExchangeStatus::WrongAddress << qint64(4'000'000);
    }
    void pauseOfOneSecond()
    {
        QFETCH(QString, fault);
        sim_->command(fault);
        LinePort port;
        QVERIFY(port.open(params()).ok());
        ExchangeOptions o = ExchangeOptions::echo();
        o.pauseOneSecond = true;
        const LineClock::Time start = LineClock::now();
        QTEST(port.exchange(hex("010206"), o).status, "status");
        QTEST(usSince(start), "tookUs");
    }

    // Under a bound only silence is cut short: a reply that keeps coming is
    // waited for to the exchange's own 30 s; a pause is cut to the bound.
    void boundCutsOnlySilence_data()
    {
        QTest::addColumn<int>("delayMs");
        QTest::addColumn<int>("gapMs");   // between the first six bytes and the rest
        QTest::addColumn<int>("baud");    // 0: all at once
        QTest::addColumn<bool>("pause");  // the one-second pause after the write
        QTest::addColumn<ExchangeStatus>("status");
        QTest::addColumn<qint64>("tookUs");
        QTest::newRow("silent") << -1 << 0 << 0 << false << ExchangeStatus::TimedOut << qint64(300'000);
        QTest::newRow("first byte after the bound") << 800 << 0 << 0 << false << ExchangeStatus::TimedOut << qint64(300'000);
        // The bound counts from the first piece, there after the frame's line time.
        QTest::newRow("gap longer than the bound") << 0 << 800 << 0 << false << ExchangeStatus::TimedOut << qint64(303'125);
        // The frame takes 100 ms at 300 baud, fifteen bytes half a second, a byte every 33 ms.
        QTest::newRow("slow but steady") << 0 << 0 << 300 << false << ExchangeStatus::Ok << qint64(600'000);
        QTest::newRow("pause") << 0 << 0 << 0 << true << ExchangeStatus::Ok << qint64(300'000);
    }

    void boundCutsOnlySilence()
    {
        QFETCH(int, delayMs);
        QFETCH(int, gapMs);
        QFETCH(int, baud);
        QFETCH(bool, pause);
        QFETCH(ExchangeStatus, status);
        Behaviour& b = sim_->controller(1)->behaviour;
        b.silent = delayMs < 0;
        b.delayMs = std::max(delayMs, 0);
        b.splitAt = gapMs > 0 ? 6 : 0;
        b.splitGapMs = gapMs;
        b.paced = baud > 0;
        sim_->setBaud(baud);
        const LineWaitScope bound(300ms);
        LinePort port;
        QVERIFY(port.open(params()).ok());
        ExchangeOptions o;
        o.awaitedBytes = 15;
        o.read = ReadMode::All;
        o.timeout = 30s;
        o.pauseOneSecond = pause;
        const LineClock::Time start = LineClock::now();
        const ExchangeResult r = port.exchange(hex("010204"), o);
        QCOMPARE(r.status, status);
        if (status == ExchangeStatus::Ok)
            QCOMPARE(r.reply.size(), 15);
        QTEST(usSince(start), "tookUs");
    }

    // A second press while the first exchange waits finds the port busy;
    // one during the pause that lets nothing run comes when it is over.
    void aWaitDoesNotNest_data()
    {
        QTest::addColumn<bool>("pause");
        QTest::addColumn<qint64>("pressedUs");
        QTest::newRow("during the wait") << false << qint64(100'000);
        QTest::newRow("during the pause") << true << qint64(1'000'000);
    }
    void aWaitDoesNotNest()
    {
        sim_->controller(1)->behaviour.delayMs = 1500;
        LinePort port;
        QVERIFY(port.open(params()).ok());
        QSignalSpy busy(&port, &LinePort::busyChanged);
        ExchangeStatus inner = ExchangeStatus::Ok;
        bool innerSend = true;
        qint64 pressedUs = -1;
        const LineClock::Time start = LineClock::now();
        LineTimer press([&] {
            pressedUs = usSince(start);
            inner = port.exchange(hex("000206")).status;
            innerSend = port.send(hex("000206"));
        });
        press.startIn(100ms);
        ExchangeOptions o = ExchangeOptions::echo(3s);
        QFETCH(bool, pause);
        o.pauseOneSecond = pause;
        QCOMPARE(port.exchange(hex("010206"), o).status, ExchangeStatus::Ok);
        QTEST(pressedUs, "pressedUs");
        QCOMPARE(inner, ExchangeStatus::Busy);
        QVERIFY(!innerSend);
        QVERIFY(!port.busy());
        QCOMPARE(QList<QVariantList>(busy), (QList<QVariantList>{{true}, {false}}));
        QCOMPARE(sim_->frames(), QList<QByteArray>{hex("010206")});
    }

    void eventLoopRunsDuringAWait()
    {
        sim_->controller(1)->behaviour.silent = true;
        LinePort port;
        QVERIFY(port.open(params()).ok());
        int ticks = 0;
        QTimer timer;
        connect(&timer, &QTimer::timeout, this, [&] { ++ticks; });
        timer.start(50);
        port.exchange(hex("010206"), ExchangeOptions::echo(600ms));
        QVERIFY2(ticks >= 5, qPrintable(QString::number(ticks)));
    }

    void repliesByReceiveEvents()
    {
        LinePort port;
        QVERIFY(port.open(params()).ok());
        QSignalSpy arrived(&port, &LinePort::bytesArrived);
        QVERIFY(port.send(SetTime::frame(99, QTime(12, 0, 0))));
        QVERIFY(arrived.wait(3000));
        QCOMPARE(port.read(), hex("63"));
    }

    void blockingWaitWithTheSimulatorOnItsOwnThread()
    {
        // A wait that lets nothing else run still sees bytes come in.
        SimulatorThread other;
        QTemporaryDir dir;
        QVERIFY(other.start());
        QVERIFY(other.makeLink(dir.path(), 4));
        QCOMPARE(other.command(QStringLiteral("controller 12")), QStringLiteral("ok"));
        QCOMPARE(other.command(QStringLiteral("split 12 2 200")), QStringLiteral("ok"));
        LinePort port;
        QVERIFY(port.open(LineParams{.portNo = 4, .programFolder = dir.path()}).ok());
        QVERIFY(port.send(hex("0C0204")));
        QVERIFY(port.waitForBytes(15, 3s, Waiting::Block));
        QCOMPARE(port.read().size(), 15);
    }
};

QTEST_GUILESS_MAIN(TestExchange)
#include "tst_exchange.moc"
