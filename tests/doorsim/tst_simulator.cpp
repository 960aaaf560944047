// The simulator answers every command of the line as its device would,
// keeps the devices' state, and misbehaves on request.

#include "support/Controls.h"
#include "support/SimulatorReplies.h"
#include "doorsim/MemoryLine.h"
#include "link/CommandFrame.h"
#include "link/LinePort.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

using namespace std::chrono_literals;


class TestSimulator : public QObject {
    Q_OBJECT

    QTemporaryDir* home_ = nullptr;
    Simulator* sim_ = nullptr;
    std::optional<MemoryLine> wire_;  // or the terminal, end to end
    LinePort* port_ = nullptr;

    static qint64 usSince(LineClock::Time start) { return (LineClock::now() - start).count(); }

    QByteArray ask(const QByteArray& frame, int awaited) { return SimulatorReplies::wholeReply(*port_, frame, awaited); }

    // Sends a frame that gets no answer; true when none came.
    bool noAnswer(const QByteArray& frame)
    {
        const ExchangeResult r = port_->exchange(frame, ExchangeOptions::echo(300ms));
        return r.status == ExchangeStatus::TimedOut;
    }

private slots:
    void init()
    {
        home_ = new QTemporaryDir;
        sim_ = new Simulator;
        static const QByteArrayList terminal{"statusQuery", "collectRecords", "theProgram"};
        if (!terminal.contains(QTest::currentTestFunction()))
            wire_.emplace(*sim_, home_->path(), 1);
        else
            QVERIFY(sim_->start() && sim_->makeLink(home_->path(), 1));
        sim_->addController(1);
        sim_->addController(5);
        sim_->setReader(1);
        port_ = new LinePort;
        QVERIFY(port_->open({.programFolder = home_->path()}).ok());
    }
    void cleanup()
    {
        delete port_;
        wire_.reset();
        delete sim_;
        delete home_;
    }

    void statusQuery()
    {
        Controller* c = sim_->controller(1);
        c->setClock(QDateTime(QDate(2004, 12, 7), QTime(10, 23, 45)));
        c->lockDelay[0] = 7;
        c->lockDelay[1] = 70;
        for (int i = 0; i < 258; ++i)
            c->records.append({QStringLiteral("000001"), QDateTime(QDate(2004, 12, 1), QTime(8, 0)), 1});
        const QByteArray r = ask(hex("010204"), 15);
        QCOMPARE(r.size(), 15);
        QCOMPARE(r.left(10), hex("01 0102 07 46 04 12 07 10 23"));
        // The controller's clock runs on meanwhile.
        QVERIFY(r.at(10) == char(0x45) || r.at(10) == char(0x46));
        QCOMPARE(r.mid(11), hex("02 02 10 00"));  // Tuesday; version 2.10
    }

    void clearRecordsAndLists()
    {
        Controller* c = sim_->controller(1);
        c->pass(QStringLiteral("000123"), 1);
        c->cards.append({QStringLiteral("000123"), QStringLiteral("0000000123"), QByteArray(11, '\0')});
        QCOMPARE(ask(hex("010206"), 1), hex("01"));
        QVERIFY(c->records.isEmpty());
        QCOMPARE(c->cards.size(), 1);
        QCOMPARE(ask(hex("01020C"), 1), hex("01"));
        QVERIFY(c->cards.isEmpty());
        QCOMPARE(ask(hex("010211"), 3), hex("010000"));
    }

    void setTimeAndDate()
    {
        Controller* c = sim_->controller(5);
        QCOMPARE(ask(hex("050508235959"), 1), hex("05"));
        // 2010-01-02, a Saturday: weekday 6 in the top three bits of the month.
        QCOMPARE(ask(hex("05050910C102"), 1), hex("05"));
        QCOMPARE(c->clock().date(), QDate(2010, 1, 2));
        QCOMPARE(c->weekdayCode(), 6);
        const QByteArray status = ask(hex("050204"), 15);
        QCOMPARE(status.mid(5, 3), hex("100102"));
        QCOMPARE(status.at(11), char(0x06));
        // A time that is no time of day is not taken.
        QVERIFY(noAnswer(hex("050508246000")));
    }

    void lockDelaysAndOpening()
    {
        // Lock 1 stays open 5 s once opened: far longer than the polls
        // below take on the line.
        QCOMPARE(ask(hex("01050E460000"), 1), hex("01"));
        QCOMPARE(ask(hex("01051EFF0000"), 1), hex("01"));
        QCOMPARE(ask(hex("010204"), 15).mid(3, 2), hex("46FF"));

        QCOMPARE(ask(hex("01021F"), 2), hex("0122"));
        QCOMPARE(ask(hex("010220"), 1), hex("01"));   // open lock 2 for 255/14 s
        QCOMPARE(ask(hex("01021F"), 2), hex("0142"));
        QCOMPARE(ask(hex("010210"), 1), hex("01"));   // and lock 1
        QCOMPARE(ask(hex("01021F"), 2), hex("0144"));
        sim_->controller(1)->force[1] = Controller::Force::Closed;
        QCOMPARE(ask(hex("01021F"), 2), hex("0124"));
    }

    void addAndDeleteCards()
    {
        // Card 000123, physical 12345678, 2004-12-04 to 2005-01-31, lock 1
        // in only, lock 2 in and out, weekdays 1 to 5, 08:00 to 18:30.
        QCOMPARE(ask(hex("05150A0012345678000123040532010431081800301" "5"), 1), hex("05"));
        Controller* c = sim_->controller(5);
        QCOMPARE(c->cards.size(), 1);
        const CardEntry& e = c->cards.first();
        QCOMPARE(e.card, QStringLiteral("000123"));
        QCOMPARE(e.physical, QStringLiteral("0012345678"));
        QCOMPARE(e.startDate(), QDate(2004, 12, 4));
        QCOMPARE(e.endDate(), QDate(2005, 1, 31));
        QCOMPARE(e.lock1Mode(), 1);
        QCOMPARE(e.lock2Mode(), 0);
        QCOMPARE(e.startTime(), QTime(8, 0));
        QCOMPARE(e.endTime(), QTime(18, 30));
        QCOMPARE(e.weekStart(), 1);
        QCOMPARE(e.weekEnd(), 5);

        // Without limits; the same card number again replaces the entry.
        QCOMPARE(ask(hex("05150A0012345678000123" "0000406000000000000000"), 1), hex("05"));
        QCOMPARE(c->cards.size(), 1);
        QVERIFY(!c->cards.first().startDate().isValid());
        QVERIFY(!c->cards.first().startTime().isValid());
        QCOMPARE(c->cards.first().lock1Mode(), 2);
        QCOMPARE(c->cards.first().lock2Mode(), 3);

        // A full memory gives no echo.
        c->cardCapacity = 1;
        QVERIFY(noAnswer(hex("05150A0000000001000999" "0000000000000000000000")));
        QCOMPARE(c->cards.size(), 1);

        QCOMPARE(ask(hex("05050D000123"), 1), hex("05"));
        QVERIFY(c->cards.isEmpty());
        // Deleting a card it does not hold is acknowledged as well.
        QCOMPARE(ask(hex("05050D000777"), 1), hex("05"));
    }

    void readCardOnTheReader()
    {
        QVERIFY(sim_->layCard(QStringLiteral("1234567890")));
        QCOMPARE(ask(hex("01020B"), 8), hex("01070412345678" "90"));
        QVERIFY(sim_->layCard(QStringLiteral("123")));
        QCOMPARE(ask(hex("01020B"), 8), hex("0107040000000123"));
        // No card on it: no answer. Nor does a controller answer ReadCard.
        QVERIFY(sim_->layCard(QString()));
        QVERIFY(noAnswer(hex("01020B")));
        sim_->setReader(9);
        QVERIFY(sim_->layCard(QStringLiteral("0000000001")));
        QVERIFY(noAnswer(hex("05020B")));
        QCOMPARE(ask(hex("09020B"), 8), hex("0907040000000001"));
    }

    void collectRecords()
    {
        Controller* c = sim_->controller(1);
        QCOMPARE(ask(hex("010211"), 3), hex("010000"));
        c->records.append({QStringLiteral("000123"), QDateTime(QDate(2004, 12, 5), QTime(8, 5)), 1});
        c->records.append({QStringLiteral("654321"), QDateTime(QDate(2005, 1, 31), QTime(23, 59)), 4});
        QCOMPARE(ask(hex("010211"), 25), hex("010002"
                                             "01 000123 041205 0805 01 00"
                                             "01 654321 050131 2359 04 00"));
        // Collecting does not clear the memory.
        QCOMPARE(c->records.size(), 2);
    }

    void passesAndTheirAcknowledgement()
    {
        Controller* c = sim_->controller(1);
        c->cards.append({QStringLiteral("000123"), QStringLiteral("0012345678"), QByteArray(11, '\0')});
        QCOMPARE(ask(hex("01021B"), 9), hex("010800000000000000"));
        QVERIFY(c->pass(QStringLiteral("000123"), 3));
        QVERIFY(c->pass(QStringLiteral("0099999999"), 2));
        QCOMPARE(ask(hex("01021F"), 2), hex("0144"));
        QCOMPARE(ask(hex("01021B"), 9), hex("010804001234567803"));
        // Asked again before the acknowledgement: the same pass.
        QCOMPARE(ask(hex("01021B"), 9), hex("010804001234567803"));
        QVERIFY(noAnswer(hex("010202")));
        QCOMPARE(ask(hex("01021B"), 9), hex("010804009999999902"));
        QVERIFY(noAnswer(hex("010202")));
        QCOMPARE(ask(hex("01021B"), 9).at(2), char(0x00));
        // Both passes were stored as records, with the card numbers.
        QCOMPARE(c->records.size(), 2);
        QCOMPARE(c->records.at(0).card, QStringLiteral("000123"));
        QCOMPARE(c->records.at(1).card, QStringLiteral("999999"));
        QVERIFY(!c->pass(QStringLiteral("000123"), 5));
        QVERIFY(!c->pass(QStringLiteral("12ab"), 1));
    }

    void framesNobodyTakes()
    {
        QVERIFY(noAnswer(hex("070204")));       // no controller 7
        QVERIFY(noAnswer(hex("010504000000")));  // StatusQuery with the wrong length
        QVERIFY(noAnswer(hex("010255")));       // unknown command
        QCOMPARE(sim_->frames().size(), 3);
    }

    void resynchronisesOnGarbage()
    {
        // A stray byte before a frame is skipped.
        QVERIFY(port_->send(hex("FF010206")));
        QVERIFY(port_->waitForBytes(1, 2s));
        QCOMPARE(port_->read(), hex("01"));
        // A cut frame is given up, and the next frame is taken whole.
        QVERIFY(port_->send(hex("010508")));
        wire_->clock().advance(200ms);
        QCOMPARE(ask(hex("010206"), 1), hex("01"));
        // So is a stray byte after a frame.
        QVERIFY(port_->send(hex("01020600")));
        QVERIFY(port_->waitForBytes(1, 2s));
        wire_->clock().advance(200ms);
        QCOMPARE(ask(hex("01020C"), 1), hex("01"));
        QCOMPARE(sim_->frames().size(), 4);
    }

    void misbehaviour()
    {
        Behaviour& b = sim_->controller(1)->behaviour;
        b.wrongAddress = true;
        QCOMPARE(ask(hex("010206"), 1), hex("02"));
        b.wrongAddress = false;

        b.delayMs = 400;
        const LineClock::Time start = LineClock::now();
        QCOMPARE(ask(hex("010206"), 1), hex("01"));
        // After the frame's line time (3.125 ms), and the look for more.
        QCOMPARE(usSince(start), 400'000 + 3125 + 50'000);
        b.delayMs = 0;

        // The gap is far longer than the look after the first piece.
        b.splitAt = 3;
        b.splitGapMs = 2000;
        QVERIFY(port_->send(hex("010204")));
        QVERIFY(port_->waitForBytes(3, 2s));
        wire_->clock().advance(100ms);
        QCOMPARE(port_->bytesAvailable(), 3);
        QVERIFY(port_->waitForBytes(15, 5s));
    }

    void pacedAtTheLineSpeed()
    {
        Controller* c = sim_->controller(1);
        QCOMPARE(sim_->command(QStringLiteral("records 1 100")), QStringLiteral("ok"));
        QCOMPARE(c->records.size(), 100);
        c->behaviour.paced = true;
        sim_->setBaud(9600);
        const int bytes = 3 + 100 * 11;
        const LineClock::Time start = LineClock::now();
        QVERIFY(port_->send(hex("010211")));
        QVERIFY(port_->waitForBytes(bytes, 10s));
        // The frame's line time, then the last byte's ten bits each at
        // 9600 baud (1149 ms), to the microsecond.
        QCOMPARE(usSince(start), 3125 + (bytes * 10'000'000LL + 9599) / 9600);
    }

    void stateRoundTrip()
    {
        Controller* c = sim_->controller(5);
        c->setClock(QDateTime(QDate(2024, 5, 1), QTime(8, 0)));
        c->lockDelay[0] = 28;
        c->cards.append({QStringLiteral("000123"), QStringLiteral("0012345678"), hex("0405320104310818003015")});
        c->pass(QStringLiteral("000123"), 2, QDateTime(QDate(2024, 5, 1), QTime(7, 59)));
        c->behaviour.silent = true;
        QVERIFY(sim_->layCard(QStringLiteral("0000000042")));

        const QJsonObject dumped = sim_->state();
        const QJsonObject five = dumped.value(QStringLiteral("controllers")).toArray().at(1).toObject();
        QCOMPARE(five.value(QStringLiteral("address")).toInt(), 5);
        QCOMPARE(five.value(QStringLiteral("cards")).toArray().at(0).toObject().value(QStringLiteral("startDate")).toString(),
                 QStringLiteral("2004-12-04"));
        QCOMPARE(five.value(QStringLiteral("records")).toArray().at(0).toObject().value(QStringLiteral("at")).toString(),
                 QStringLiteral("2024-05-01T07:59"));

        Simulator other;
        QString why;
        QVERIFY2(other.loadState(dumped, &why), qPrintable(why));
        QCOMPARE(other.addresses(), (QList<quint8>{1, 5}));
        Controller* copy = other.controller(5);
        QCOMPARE(copy->lockDelay[0], quint8(28));
        QCOMPARE(copy->cards.first().limits, hex("0405320104310818003015"));
        QCOMPARE(copy->records.size(), 1);
        QCOMPARE(copy->passes.first().physical, QStringLiteral("0012345678"));
        QVERIFY(copy->behaviour.silent);
        QVERIFY(qAbs(copy->clock().secsTo(QDateTime(QDate(2024, 5, 1), QTime(8, 0)))) < 5);
        QCOMPARE(other.reader()->card, QStringLiteral("0000000042"));

        QJsonObject broken = dumped;
        broken.insert(QStringLiteral("controllers"), QJsonArray{QJsonObject{{QStringLiteral("cards"), QJsonArray{}}}});
        QVERIFY(!other.loadState(broken, &why));
        QVERIFY(!why.isEmpty());
        QCOMPARE(other.addresses(), (QList<quint8>{1, 5}));  // unchanged
    }

    void controlCommands()
    {
        const QString ok = QStringLiteral("ok");
        QCOMPARE(sim_->command(QStringLiteral("controller 42")), ok);
        QVERIFY(sim_->controller(42));
        QCOMPARE(sim_->command(QStringLiteral("pass 42 000555 1")), ok);
        QCOMPARE(sim_->controller(42)->records.size(), 1);
        QCOMPARE(sim_->command(QStringLiteral("card 0012345678")), ok);
        QCOMPARE(sim_->reader()->card, QStringLiteral("0012345678"));
        QCOMPARE(sim_->command(QStringLiteral("card none")), ok);
        QVERIFY(sim_->reader()->card.isEmpty());
        QCOMPARE(sim_->command(QStringLiteral("silent 42 on")), ok);
        QCOMPARE(sim_->command(QStringLiteral("slow reader 250")), ok);
        QCOMPARE(sim_->command(QStringLiteral("split 42 4 100")), ok);
        QCOMPARE(sim_->command(QStringLiteral("wrong all on")), ok);
        QVERIFY(sim_->controller(1)->behaviour.wrongAddress && sim_->reader()->behaviour.wrongAddress);
        QVERIFY(sim_->controller(42)->behaviour.silent);
        QCOMPARE(sim_->reader()->behaviour.delayMs, 250);
        QCOMPARE(sim_->controller(42)->behaviour.splitAt, 4);
        QCOMPARE(sim_->command(QStringLiteral("lock 42 2 open")), ok);
        QVERIFY(sim_->controller(42)->lockOpen(2));
        QCOMPARE(sim_->command(QStringLiteral("clock 42 2030-01-02T03:04:05")), ok);
        QCOMPARE(sim_->controller(42)->clock().date(), QDate(2030, 1, 2));

        const QString file = home_->filePath(QStringLiteral("state.json"));
        QCOMPARE(sim_->command(QStringLiteral("dump ") + file), ok);
        QCOMPARE(sim_->command(QStringLiteral("remove 42")), ok);
        QVERIFY(!sim_->controller(42));
        QCOMPARE(sim_->command(QStringLiteral("load ") + file), ok);
        QVERIFY(sim_->controller(42));
        QVERIFY(QJsonDocument::fromJson(sim_->command(QStringLiteral("dump")).toUtf8()).isObject());

        for (const char* wrong : {"pass 42 000555 9", "pass 43 000555 1", "controller 100", "silent 7 on",
                                  "card 12345678901", "lock 42 3 open", "load /nonexistent", "fly away"})
            QVERIFY2(sim_->command(QString::fromLatin1(wrong)).startsWith(QLatin1String("error")), wrong);
        QVERIFY(sim_->command(QStringLiteral("# a comment")).isEmpty());
    }

    void theProgram()
    {
        const QString program =
            QCoreApplication::applicationDirPath() + QStringLiteral("/../tools/doorsim/doorsim");
        if (!QFileInfo::exists(program))
            QSKIP("the doorsim program is not built beside the tests");
        QProcess help;
        help.start(program, {QStringLiteral("--help")});
        QVERIFY(help.waitForFinished(10000));
        const QString text = QString::fromLocal8Bit(help.readAllStandardOutput());
        QVERIFY(text.contains(QLatin1String("--link")));
        QVERIFY(text.contains(QLatin1String("pass ADDR NUMBER CHANNEL")));

        QTemporaryDir dir;
        const QString home = dir.filePath(QStringLiteral("door-home"));  // made by the simulator
        QProcess sim;
        sim.start(program, {QStringLiteral("--link"), home, QStringLiteral("--port"), QStringLiteral("3"),
                            QStringLiteral("--controllers"), QStringLiteral("2,7-8"), QStringLiteral("-q")});
        QVERIFY(sim.waitForStarted(10000));
        const QString link = home + QStringLiteral("/com3");
        QTRY_VERIFY_WITH_TIMEOUT(QFileInfo(link).isSymLink(), 10000);
        sim.write("pass 8 000321 2\n");
        LinePort port;
        QVERIFY(port.open({.portNo = 3, .programFolder = home}).ok());
        QCOMPARE(port.exchange(hex("070206")).status, ExchangeStatus::Ok);
        ExchangeOptions o;
        o.awaitedBytes = 9;
        o.read = ReadMode::All;
        QTRY_COMPARE_WITH_TIMEOUT(port.exchange(hex("08021B"), o).reply, hex("080804000000032102"), 10000);
        port.close();
        sim.write("quit\n");
        QVERIFY(sim.waitForFinished(10000));
        QCOMPARE(sim.exitCode(), 0);
        QVERIFY(!QFileInfo(link).isSymLink());
    }
};

QTEST_GUILESS_MAIN(TestSimulator)
#include "tst_simulator.moc"
