// A change whose add is echoed late, then Cancel, with the delete that
// follows lost on the line: the late echo acknowledges nothing else.

#include "support/CardListFixtures.h"

#include "cards/FrmFK.h"
#include "db/Clock.h"

#include <QPushButton>
#include <QtTest>

class LateChangeTest : public QObject {
    Q_OBJECT
private slots:
    void lateAddEchoIsNoDeleteAcknowledgement();
};

void LateChangeTest::lateAddEchoIsNoDeleteAcknowledgement()
{
    // The line's own waits: the echo comes after the add's two seconds.
    LineHome h;
    Clock::freeze(QDateTime(QDate(2024, 5, 17), QTime(9, 0)));
    h.home.exec(QStringLiteral("INSERT INTO doors (地址, dtype1) VALUES (2, '玻')"));
    Controller& c = h.sim.addController(2);
    issue(h, 2, QStringLiteral("000123"), QStringLiteral("0000000123"));
    c.cards.append(CardEntry{QStringLiteral("000123"), QStringLiteral("0000000123"), QByteArray(11, '\0')});
    QObject::connect(&h.sim, &Simulator::frameReceived, &h.sim, [&](const QByteArray& f) {
        if (f.size() > 2 && quint8(f.at(2)) == 0x0A) {
            c.behaviour.delayMs = 2500;
            h.sim.command(QStringLiteral("lose 2 1 1"));
        }
    });
    FrmFK w;
    w.show();
    OperatorInput::typeInto(w.Tkh, QStringLiteral("000123"));
    h.prompts.answerNext(Prompter::Answer::Cancel);
    w.cmdchg->click();
    QTRY_VERIFY_WITH_TIMEOUT(h.prompts.shown.size() == 2, 20000);
    // The controller holds the card with the new limits.
    QCOMPARE(c.cards.size(), 1);
    QCOMPARE(fakaCards(h, 2), QStringList{QStringLiteral("000123")});
    QCOMPARE(h.home.scalar(QStringLiteral("SELECT count(*) FROM dfaka")).toInt(), 0);
    QVERIFY2(h.prompts.last().contains(QStringLiteral("无法确定")), qPrintable(h.prompts.last()));
    Clock::reset();
}

QTEST_MAIN(LateChangeTest)
#include "tst_latechange.moc"
