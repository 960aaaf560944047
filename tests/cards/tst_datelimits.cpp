// The first and last days a controller keeps, and the days just outside,
// typed into every window that sends a date: outside, nothing goes on the
// line; inside, the controller holds the same day.

#include "support/CardListFixtures.h"

#include "cards/FrmEtD.h"
#include "cards/FrmFK.h"
#include "doors/FrmCDT.h"

class DateLimitsTest : public QObject {
    Q_OBJECT
private slots:
    void edges_data()
    {
        QTest::addColumn<QString>("window");
        QTest::addColumn<QDate>("date");
        for (const char* window : {"FrmFK", "FrmEtD", "FrmCDT"})
            for (const QDate& d : {QDate(1999, 12, 31), QDate(2000, 1, 1), QDate(2099, 12, 31), QDate(2100, 1, 1)})
                QTest::addRow("%s %s", window, qPrintable(d.toString(Qt::ISODate))) << QString::fromLatin1(window) << d;
    }

    // Card 000123 is on controller 2; the card windows send it to 1 with
    // the day as its first and its last.
    void edges()
    {
        QFETCH(QString, window);
        QFETCH(QDate, date);
        LineHome h;
        h.home.exec(QStringLiteral("INSERT INTO doors (地址) VALUES (1), (2)"));
        Controller& c = h.sim.addController(1);
        issue(h, 2, QStringLiteral("000123"), QStringLiteral("0012345678"));
        std::unique_ptr<QWidget> w(window == "FrmFK" ? new FrmFK : window == "FrmEtD" ? static_cast<QWidget*>(new FrmEtD) : new FrmCDT);
        for (QComboBox* card : w->findChildren<QComboBox*>(QRegularExpression(QStringLiteral("^(Tkh|Ckh)$"))))
            OperatorInput::typeInto(card, QStringLiteral("000123"));
        for (QListWidget* list : w->findChildren<QListWidget*>(QRegularExpression(QStringLiteral("^(dooraddr|Ldr)$"))))
            selectTargets(list, {"1"});
        for (QWidget* b : w->findChildren<QWidget*>(QRegularExpression(QStringLiteral("^(Ch|Op|Opp)_?0$"))))
            QTest::mouseClick(b, Qt::LeftButton, {}, QPoint(6, b->height() / 2));
        for (QWidget* picker : w->findChildren<QWidget*>(QRegularExpression(QStringLiteral("^(ddate_?.|DTP1)$")))) {
            QVERIFY(OperatorInput::focus(picker));
            QTest::keyClicks(picker, date.toString(QStringLiteral("yyyyMMdd")));
        }
        QTest::mouseClick(child<QWidget>(*w, window == "FrmFK" ? "Cmdadd" : "Command1"), Qt::LeftButton);
        const bool outside = date.year() / 100 != 20;
        QCOMPARE(h.prompts.texts().contains(QStringLiteral("日期只能在2000-01-01到2099-12-31之间（控制器只记年份的后两位）")), outside);
        QCOMPARE(h.sim.frames().isEmpty(), outside);
        const CardEntry card = c.cards.value(0);
        if (!outside)
            QCOMPARE(window == "FrmCDT" ? (QList{c.clock().date(), c.clock().date()}) : (QList{card.startDate(), card.endDate()}),
                     (QList{date, date}));
    }
};

QTEST_MAIN(DateLimitsTest)
#include "tst_datelimits.moc"
