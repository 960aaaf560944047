// The card commands end to end: a port on a pseudo-terminal, the simulator
// answering as the controllers and the card-issuing reader.

#include "support/CardListFixtures.h"

#include "cards/CardCommands.h"
#include "cards/CardRuns.h"
#include "session/Session.h"

#include <QElapsedTimer>
#include <QtTest>

namespace {

struct AddCase {
    int address;
    QString physical;
    QString card;
    CardLimits limits;
};

CardLimits limits(QDate d1, QDate d2, int w1, int w2, QTime t1, QTime t2, int m1, int m2)
{
    CardLimits l;
    l.startDate = d1;
    l.endDate = d2;
    l.weekStart = w1;
    l.weekEnd = w2;
    l.startTime = t1;
    l.endTime = t2;
    l.lock1Mode = m1;
    l.lock2Mode = m2;
    return l;
}

}  // namespace

Q_DECLARE_METATYPE(CardLimits)
Q_DECLARE_METATYPE(CardOutcome)

class CardCommandsTest : public QObject {
    Q_OBJECT
private slots:
    void addCardOnTheLine_data();
    void addCardOnTheLine();
    void deleteCardOnTheLine();
    void refusedSendsNothing_data();
    void refusedSendsNothing();
    void callersOptions();
    void readCard_data();
    void readCard();
    void wrongHeaderThenGoodRead();
    void runsWithoutAWindow_data();
    void runsWithoutAWindow();
};

void CardCommandsTest::addCardOnTheLine_data()
{
    QTest::addColumn<int>("address");
    QTest::addColumn<QString>("physical");
    QTest::addColumn<QString>("card");
    QTest::addColumn<CardLimits>("lim");
    QTest::addColumn<QByteArray>("frame");

    const QDate d1(2004, 12, 4), d2(2005, 1, 31);
    const QTime t1(8, 0), t2(18, 30);
    const QString p8 = QStringLiteral("12345678"), c = QStringLiteral("000123");
    QTest::newRow("every limit") << 5 << p8 << c << limits(d1, d2, 1, 5, t1, t2, 1, 0)
                                 << hex("05150A00123456780001230405320104310818003015");
    QTest::newRow("five-digit physical, modes 1 and 3")
        << 7 << QStringLiteral("12345") << QStringLiteral("123456")
        << limits(QDate(2005, 3, 1), QDate(2005, 12, 31), 2, 6, t1, t2, 1, 3)
        << hex("07150A00000123451234560505237201310818003026");
    QTest::newRow("no dates, modes 2 and 3") << 5 << p8 << c << limits({}, {}, 1, 5, t1, t2, 2, 3)
                                             << hex("05150A00123456780001230000406000000818003015");
    QTest::newRow("no dates, modes 2 and 1") << 5 << p8 << c << limits({}, {}, 0, 0, {}, {}, 2, 1)
                                             << hex("05150A00123456780001230000402000000000000000");
    QTest::newRow("start date alone") << 5 << p8 << c << limits(d1, {}, 0, 0, {}, {}, 0, 0)
                                      << hex("05150A00123456780001230000000000000000000000");
    QTest::newRow("time from 00:00") << 5 << p8 << c << limits({}, {}, 0, 0, QTime(0, 0), QTime(12, 0), 0, 0)
                                     << hex("05150A00123456780001230000000000000000000000");
    QTest::newRow("weekdays 1 and 7") << 5 << p8 << c << limits({}, {}, 1, 7, {}, {}, 0, 0)
                                      << hex("05150A00123456780001230000000000000000000017");
    QTest::newRow("weekdays 6 and 0") << 5 << p8 << c << limits({}, {}, 6, 0, {}, {}, 0, 0)
                                      << hex("05150A00123456780001230000000000000000000060");
    QTest::newRow("address 0") << 0 << QStringLiteral("0000000001") << c << CardLimits{}
                               << hex("00150A00000000010001230000000000000000000000");
}

void CardCommandsTest::addCardOnTheLine()
{
    QFETCH(int, address);
    QFETCH(QString, physical);
    QFETCH(QString, card);
    QFETCH(CardLimits, lim);
    QFETCH(QByteArray, frame);
    LineHome h;
    h.sim.addController(static_cast<quint8>(address));
    LinePort comm;
    const CardResult r = addtodoor(comm, address, physical, card, lim, CardSendOptions::issuing(Session::lineParams()));
    QCOMPARE(r.outcome, CardOutcome::Acknowledged);
    QCOMPARE(h.sim.frames(), QList<QByteArray>{frame});
    QCOMPARE(r.physical, physical.rightJustified(10, QLatin1Char('0')));
    QVERIFY(!comm.isOpen());
    const QList<CardEntry>& held = h.sim.controller(static_cast<quint8>(address))->cards;
    QCOMPARE(held.size(), 1);
    QCOMPARE(held.front().physical, r.physical);
    QCOMPARE(held.front().card, card);
}

void CardCommandsTest::deleteCardOnTheLine()
{
    LineHome h;
    Controller& c = h.sim.addController(12);
    LinePort comm;
    const CardSendOptions o = CardSendOptions::quiet(Session::lineParams());
    QVERIFY(addtodoor(comm, 12, QStringLiteral("99"), QStringLiteral("000123"), {}, o).ok());
    QVERIFY(addtodoor(comm, 12, QStringLiteral("98"), QStringLiteral("000124"), {}, o).ok());
    h.sim.clearFrames();
    QCOMPARE(delfromdoor(comm, 12, QStringLiteral("000123"), o).outcome, CardOutcome::Acknowledged);
    QCOMPARE(h.sim.frames(), hexes({"0C050D000123"}));
    QCOMPARE(c.cards.size(), 1);
    QCOMPARE(c.cards.front().card, QStringLiteral("000124"));
    QVERIFY(!comm.isOpen());
}

void CardCommandsTest::refusedSendsNothing_data()
{
    QTest::addColumn<int>("address");
    QTest::addColumn<QString>("physical");
    QTest::addColumn<QString>("card");
    QTest::addColumn<int>("mode");
    QTest::addColumn<bool>("deleteRefused");
    const QString p = QStringLiteral("0012345678"), c = QStringLiteral("000123");
    QTest::newRow("letter in physical") << 1 << QStringLiteral("12a45") << c << 0 << false;
    QTest::newRow("eleven digits") << 1 << QStringLiteral("12345678901") << c << 0 << false;
    QTest::newRow("empty physical") << 1 << QString() << c << 0 << false;
    QTest::newRow("five-digit card") << 1 << p << QStringLiteral("12345") << 0 << true;
    QTest::newRow("letter in card") << 1 << p << QStringLiteral("12a456") << 0 << true;
    QTest::newRow("address 100") << 100 << p << c << 0 << true;
    QTest::newRow("mode 4") << 1 << p << c << 4 << false;
}

void CardCommandsTest::refusedSendsNothing()
{
    QFETCH(int, address);
    QFETCH(QString, physical);
    QFETCH(QString, card);
    QFETCH(int, mode);
    QFETCH(bool, deleteRefused);
    LineHome h;
    h.sim.addController(1);
    LinePort comm;
    CardLimits l;
    l.lock2Mode = mode;
    const CardSendOptions o = CardSendOptions::issuing(Session::lineParams());
    const CardResult r = addtodoor(comm, address, physical, card, l, o);
    QCOMPARE(r.outcome, CardOutcome::Refused);
    QVERIFY(r.portMessage.isEmpty());
    QCOMPARE(delfromdoor(comm, address, card, o).outcome == CardOutcome::Refused, deleteRefused);
    if (deleteRefused) {
        LineHome::settle();
        QVERIFY(h.sim.frames().isEmpty());
    }
    QVERIFY(h.sim.controller(1)->cards.isEmpty());
}

// What sets the callers apart: the extension window's pauses, and whether a
// port that will not open comes with the operator's message.
void CardCommandsTest::callersOptions()
{
    LineHome h;
    h.sim.addController(4);
    LinePort comm;
    QElapsedTimer t;
    t.start();
    const CardSendOptions paced = CardSendOptions::paced(Session::lineParams());
    QVERIFY(addtodoor(comm, 4, QStringLiteral("7"), QStringLiteral("000007"), {}, paced).ok());
    QVERIFY(t.elapsed() >= 200);
    QCOMPARE(h.sim.controller(4)->cards.size(), 1);

    LineParams p = Session::lineParams();
    p.portNo = 7;  // no com7 link, no such device
    const CardResult issuing = addtodoor(comm, 4, QStringLiteral("1"), QStringLiteral("000001"), {},
                                         CardSendOptions::issuing(p));
    QCOMPARE(issuing.outcome, CardOutcome::PortNotOpen);
    QCOMPARE(issuing.portMessage, QStringLiteral("串口通信端口没有打开"));
    const CardResult quiet = delfromdoor(comm, 4, QStringLiteral("000007"), CardSendOptions::quiet(p));
    QCOMPARE(quiet.outcome, CardOutcome::PortNotOpen);
    QVERIFY(quiet.portMessage.isEmpty());
    QCOMPARE(h.sim.controller(4)->cards.size(), 1);
}

void CardCommandsTest::readCard_data()
{
    QTest::addColumn<QByteArray>("reply");
    QTest::addColumn<int>("readerAddress");
    QTest::addColumn<QString>("physical");
    QTest::addColumn<QString>("message");
    QTest::newRow("digits 1 to 0") << hex("0107041234567890") << 1 << QStringLiteral("1234567890") << QString();
    QTest::newRow("leading zeros") << hex("0107040000000123") << 1 << QStringLiteral("0000000123") << QString();
    QTest::newRow("overlong") << hex("01070400000001235555") << 1 << QStringLiteral("0000000123") << QString();
    QTest::newRow("address 0") << hex("0007040000000042") << 0 << QStringLiteral("0000000042") << QString();
    QTest::newRow("not decimal") << hex("01070400000001AB") << 1 << QString() << QStringLiteral("通讯出错");
    QTest::newRow("length byte") << hex("0108040000000123") << 1 << QString() << QStringLiteral("通讯出错");
    QTest::newRow("too short") << hex("01070400000001") << 1 << QString() << QStringLiteral("通信出错");
}

void CardCommandsTest::readCard()
{
    QFETCH(QByteArray, reply);
    QFETCH(int, readerAddress);
    QFETCH(QString, physical);
    QFETCH(QString, message);
    LineHome h(LineHome::Waits::Short);
    RawPeer peer;
    peer.answer = reply;
    QVERIFY(peer.start(h.home.path(), 5));
    LineParams p = Session::lineParams();
    p.portNo = 5;
    LinePort comm;
    // Left open on the controllers' line: the read puts it on the reader's.
    QVERIFY(comm.open(Session::lineParams()).ok());
    const ReadCardResult r = ReadCard(comm, static_cast<quint8>(readerAddress), p);
    QCOMPARE(r.physical, physical);
    QCOMPARE(r.message(), message);
    QCOMPARE(peer.received, QList<QByteArray>{CardFrames::readCard(static_cast<quint8>(readerAddress))});
    QVERIFY(!comm.isOpen());
}

void CardCommandsTest::wrongHeaderThenGoodRead()
{
    LineHome h;
    Reader& reader = h.sim.setReader(2);
    QVERIFY(h.sim.layCard(QStringLiteral("12345678")));
    reader.behaviour.wrongAddress = true;
    LinePort comm;
    ReadCardResult r = ReadCard(comm, 2, Session::lineParams());
    QCOMPARE(r.outcome, ReadCardResult::Outcome::BadReply);
    QVERIFY(!comm.isOpen());

    reader.behaviour.wrongAddress = false;
    reader.behaviour.splitAt = 4;
    reader.behaviour.splitGapMs = 500;
    r = ReadCard(comm, 2, Session::lineParams());
    QCOMPARE(r.physical, QStringLiteral("0012345678"));
    QCOMPARE(h.sim.frames(), hexes({"02020B", "02020B"}));

    // No card on the reader: nothing comes back.
    const LineWaitScope quick = LineWaitScope::shortWaits();
    QVERIFY(h.sim.layCard(QString()));
    QCOMPARE(ReadCard(comm, 2, Session::lineParams()).message(), QStringLiteral("通信出错"));
    QVERIFY(!comm.isOpen());
}

// Controllers 1 and 15 hold 000001 and 123456, 3 none. Outcomes (PairOutcome): 0 done, 1 not held, 2 already held, 5 no answer.
void CardCommandsTest::runsWithoutAWindow_data()
{
    QTest::addColumn<QString>("run");
    QTest::addColumn<int>("silent");     // until its first pair fails, which is sent again
    QTest::addColumn<int>("stopAt");     // the run stops before this pair (0: never)
    QTest::addColumn<QString>("outcomes");
    QTest::addColumn<QString>("onOne");  // what controller 1 holds afterwards
    QTest::newRow("resend, stopped") << "resend" << 0 << 2 << "0" << "000001";
    QTest::newRow("resend") << "resend" << 0 << 0 << "0 0" << "000001 123456";
    QTest::newRow("removal, retried") << "remove" << 15 << 0 << "0 5 0 1" << "123456";
    QTest::newRow("extension, retried") << "extend" << 3 << 0 << "2 5 0" << "000001 123456";
}

void CardCommandsTest::runsWithoutAWindow()
{
    QFETCH(QString, run);
    QFETCH(int, silent);
    QFETCH(int, stopAt);
    LineHome h(LineHome::Waits::Short);
    cardsOnOneAndFifteen(h, {3});
    if (silent)
        h.sim.controller(quint8(silent))->behaviour.silent = true;
    QStringList outcomes;
    const PairAnswer answer = [&](const RunPair& p) {
        outcomes << QString::number(int(p.outcome));
        h.sim.controller(quint8(p.address))->behaviour.silent = false;
        return p.outcome == PairOutcome::NoAnswer ? RunStep::Retry : RunStep::Next;
    };
    struct : CardRunSink {
        int stopAt = 0;
        bool advance(int done) override { return done != stopAt; }
    } sink;
    sink.stopAt = stopAt;
    LinePort port;
    const LineParams lp = Session::lineParams();
    const QSqlDatabase db = h.home.db();
    const bool finished = run == "resend" ? CardRuns::resend(port, lp, db, 1, sink, answer).end == CardRuns::ResendResult::End::Finished
        : (run == "remove" ? CardRuns::removeCards(port, lp, db, {{1, "000001"}, {15, "000001"}, {3, "000001"}}, QDate(2024, 5, 6), sink, answer)
                           : CardRuns::extendCards(port, lp, db, {{"000001", "77"}}, {1, 3}, {}, sink, answer)).end == RunEnd::Finished;
    QTEST(outcomes.join(QLatin1Char(' ')), "outcomes");
    QCOMPARE(finished, stopAt == 0);
    QVERIFY(!port.isOpen());
    QTEST(heldCards(h.sim, 1).join(QLatin1Char(' ')), "onOne");
    for (quint8 a : {1, 15, 3})
        QVERIFY(!finished || heldCards(h.sim, a) == fakaCards(h, a));
}

QTEST_MAIN(CardCommandsTest)
#include "tst_cardcommands.moc"
