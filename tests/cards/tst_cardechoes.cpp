// How a card command's echo decides its outcome, on both sides of the
// two-second time-out, on a line whose clock the test drives.

#include "support/LineHome.h"

#include "cards/CardCommands.h"
#include "session/Session.h"

#include <QtTest>

Q_DECLARE_METATYPE(CardOutcome)

class CardEchoTest : public QObject {
    Q_OBJECT
private slots:
    void echoOutcomes_data();
    void echoOutcomes();
};

void CardEchoTest::echoOutcomes_data()
{
    QTest::addColumn<int>("delayMs");
    QTest::addColumn<bool>("silent");
    QTest::addColumn<bool>("wrong");
    QTest::addColumn<CardOutcome>("outcome");
    // A controller that answers late or from another address has taken the
    // card all the same: the line cannot tell the PC so.
    QTest::addColumn<int>("heldAfterAdd");
    QTest::addColumn<int>("chatterMs");  // a stray byte on the line this often (0: none)
    QTest::newRow("echo at 1.5 s") << 1500 << false << false << CardOutcome::Acknowledged << 1 << 0;
    QTest::newRow("silent") << 0 << true << false << CardOutcome::NotAnswered << 0 << 0;
    QTest::newRow("echo after 2 s") << 2600 << false << false << CardOutcome::NotAnswered << 1 << 0;
    QTest::newRow("other address") << 0 << false << true << CardOutcome::WrongEcho << 1 << 0;
    QTest::newRow("silent on a chattering line") << 0 << true << false << CardOutcome::Disturbed << 0 << 40;
}

void CardEchoTest::echoOutcomes()
{
    QFETCH(int, delayMs);
    QFETCH(bool, silent);
    QFETCH(bool, wrong);
    QFETCH(CardOutcome, outcome);
    QFETCH(int, heldAfterAdd);
    QFETCH(int, chatterMs);
    LineHome h(LineHome::Wire::Memory);
    Controller& c = h.sim.addController(3);
    c.behaviour.delayMs = delayMs;
    c.behaviour.silent = silent;
    c.behaviour.wrongAddress = wrong;
    h.sim.setChatter(chatterMs);
    LinePort comm;
    const CardSendOptions o = CardSendOptions::issuing(Session::lineParams());
    const LineClock::Time start = LineClock::now();
    QCOMPARE(addtodoor(comm, 3, QStringLiteral("1"), QStringLiteral("000001"), {}, o).outcome, outcome);
    if (outcome == CardOutcome::NotAnswered)
        QVERIFY(LineClock::now() - start >= std::chrono::milliseconds(2000));
    QVERIFY(!comm.isOpen());
    // A late echo of the add must be out before the delete goes.
    QVERIFY(LineHome::settle(5000, [&] { return !h.sim.sending(); }));
    QCOMPARE(h.sim.frames().size(), 1);
    QCOMPARE(c.cards.size(), heldAfterAdd);
    QCOMPARE(delfromdoor(comm, 3, QStringLiteral("000001"), o).outcome, outcome);
    QVERIFY(!comm.isOpen());
}

QTEST_MAIN(CardEchoTest)
#include "tst_cardechoes.moc"
