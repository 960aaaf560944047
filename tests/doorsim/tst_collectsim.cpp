// What the simulator offers the collection tests: records of raw bytes,
// a wrong address byte before one record, and commands it ignores.

#include "support/Controls.h"
#include "support/SimulatorReplies.h"
#include "doorsim/Simulator.h"
#include "link/LinePort.h"

#include <QTemporaryDir>
#include <QTest>

using namespace std::chrono_literals;

class TestCollectSim : public QObject {
    Q_OBJECT

    QTemporaryDir home_;
    Simulator sim_;
    LinePort port_;

    QByteArray ask(const QByteArray& frame, int awaited) { return SimulatorReplies::wholeReply(port_, frame, awaited); }

private slots:
    void initTestCase()
    {
        QVERIFY(sim_.start());
        QVERIFY(sim_.makeLink(home_.path(), 1));
        LineParams p;
        p.programFolder = home_.path();
        QVERIFY(port_.open(p).ok());
    }
    void init() { sim_.removeController(7); sim_.addController(7); }

    void collectStream_data()
    {
        QTest::addColumn<QStringList>("commands");
        QTest::addColumn<QByteArray>("answer");
        QTest::newRow("raw record as given")
            << QStringList{QStringLiteral("rawrecord 7 1234561324322460050a")}
            << hex("070001" "07" "1234561324322460050a");
        QTest::newRow("raw after an ordinary one, wrong byte before the second")
            << QStringList{QStringLiteral("rawrecord 7 00000104120508050100"), QStringLiteral("rawrecord 7 0000020412050806ff00"),
                           QStringLiteral("wrongecho 7 2")}
            << hex("070002" "07" "00000104120508050100" "08" "0000020412050806ff00");
        QTest::newRow("wrong byte before the first") << QStringList{QStringLiteral("rawrecord 7 00000104120508050100"),
                                                                    QStringLiteral("wrongecho 7 1")}
                                                     << hex("070001" "08" "00000104120508050100");
    }
    void collectStream()
    {
        QFETCH(QStringList, commands);
        QFETCH(QByteArray, answer);
        for (const QString& c : commands)
            QCOMPARE(sim_.command(c), QStringLiteral("ok"));
        QCOMPARE(ask(hex("070211"), int(answer.size())), answer);
    }

    void ignoredCommand()
    {
        Controller* c = sim_.controller(7);
        c->records.append({QStringLiteral("000001"), QDateTime(QDate(2004, 12, 5), QTime(8, 5)), 1});
        QCOMPARE(sim_.command(QStringLiteral("ignore 7 06 on")), QStringLiteral("ok"));
        QCOMPARE(port_.exchange(hex("070206"), ExchangeOptions::echo(300ms)).status, ExchangeStatus::TimedOut);
        QCOMPARE(c->records.size(), 1);
        QCOMPARE(sim_.command(QStringLiteral("ignore 7 06 off")), QStringLiteral("ok"));
        QCOMPARE(port_.exchange(hex("070206"), ExchangeOptions::echo(2s)).reply, hex("07"));
        QVERIFY(c->records.isEmpty());
    }

    void badCommands_data()
    {
        QTest::addColumn<QString>("command");
        QTest::newRow("raw too short") << QStringLiteral("rawrecord 7 0102");
        QTest::newRow("wrongecho negative") << QStringLiteral("wrongecho 7 -1");
        QTest::newRow("ignore bad code") << QStringLiteral("ignore 7 1g on");
    }
    void badCommands()
    {
        QFETCH(QString, command);
        QVERIFY(sim_.command(command).startsWith(QStringLiteral("error:")));
        QVERIFY(sim_.controller(7)->records.isEmpty());
    }

    void stateKeepsRawRecordsAndFaults()
    {
        QCOMPARE(sim_.command(QStringLiteral("rawrecord 7 1234561324322460050a")), QStringLiteral("ok"));
        QCOMPARE(sim_.command(QStringLiteral("wrongecho 7 3")), QStringLiteral("ok"));
        QCOMPARE(sim_.command(QStringLiteral("ignore 7 06 on")), QStringLiteral("ok"));
        Simulator other;
        QVERIFY(other.loadState(sim_.state()));
        const Controller* c = other.controller(7);
        QVERIFY(c);
        QCOMPARE(c->records.size(), 1);
        QCOMPARE(c->records.first().bytes(), hex("1234561324322460050a"));
        QCOMPARE(c->wrongEchoAt, 3);
        QCOMPARE(c->ignored, QList<quint8>{0x06});
    }
};

QTEST_GUILESS_MAIN(TestCollectSim)
#include "tst_collectsim.moc"
