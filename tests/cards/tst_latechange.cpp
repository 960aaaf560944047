// A change whose add is echoed late, then Cancel, with the delete that
// follows lost on the line: the late echo acknowledges nothing else.

#include "support/CardListFixtures.h"

#include "cards/FrmFK.h"

#include <QPushButton>

class LateChangeTest : public QObject {
    Q_OBJECT
private slots:
    void lateAddEchoIsNoDeleteAcknowledgement()
    {
        LineHome h;
        h.home.exec(QStringLiteral("INSERT INTO doors (地址, dtype1) VALUES (2, '玻')"));
        Controller& c = h.sim.addController(2);
        issue(h, 2, QStringLiteral("000123"), QStringLiteral("0000000123"));
        // The add's echo comes 2.5 s late, and the frame after it is lost.
        QObject::connect(&h.sim, &Simulator::frameReceived, &h.sim, [&](const QByteArray& f) {
            if (quint8(f.at(2)) == 0x0A)
                c.behaviour = Behaviour{.delayMs = 2500, .loseFrames = 1, .loseAfter = 1};
        });
        FrmFK w;
        OperatorInput::typeInto(w.Tkh, QStringLiteral("000123"));
        h.prompts.answerNext(Prompter::Answer::Cancel);
        w.cmdchg->click();
        // The controller holds the card with the new limits, and so does faka.
        QCOMPARE(c.cards.size(), 1);
        QCOMPARE(fakaCards(h, 2), QStringList{QStringLiteral("000123")});
        QVERIFY2(h.prompts.last().contains(QStringLiteral("无法确定")), qPrintable(h.prompts.last()));
    }
};

QTEST_MAIN(LateChangeTest)
#include "tst_latechange.moc"
