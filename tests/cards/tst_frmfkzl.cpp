// The card-list re-send window against the simulator.

#include "support/CardListFixtures.h"

#include "cards/FrmFKZL.h"
#include "link/LinePort.h"
#include "session/Session.h"

#include <QComboBox>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QtTest>

#include <memory>

namespace {

struct Window {
    std::unique_ptr<FrmFKZL> w = std::make_unique<FrmFKZL>();
    Window()
    {
        w->show();
        QVERIFY(QTest::qWaitForWindowExposed(w.get()));
    }
    QComboBox* combo() const { return child<QComboBox>(*w, "Combo1"); }
    QLineEdit* count() const { return child<QLineEdit>(*w, "Text1"); }
    QProgressBar* bar() const { return child<QProgressBar>(*w, "PrgBar"); }
    QPushButton* start() const { return child<QPushButton>(*w, "Command1"); }
    QPushButton* quit() const { return child<QPushButton>(*w, "Command2"); }
    void run(const QString& address)
    {
        pick(combo(), address);
        QTest::mouseClick(start(), Qt::LeftButton);
    }
};

const QString kCleared3of5 = QStringLiteral("地址3的控制器已清空，其5张卡中已确认写入1张，请重新重整！");

}  // namespace

class FrmFKZLTest : public QObject {
    Q_OBJECT
private slots:
    void resendsInCardOrderAfterClearing();
    void cardLimitsGoOutAsStored_data();
    void cardLimitsGoOutAsStored();
    void retrySendsTheSameCardAgain();
    void cancelStopsWhereItIs();
    void cardsThatCannotGoAreCountedFailed_data();
    void cardsThatCannotGoAreCountedFailed();
    void clearingFailures_data();
    void clearingFailures();
    void noAddressOrNoCards();
};

void FrmFKZLTest::resendsInCardOrderAfterClearing()
{
    LineHome h(LineHome::Wire::Memory);
    h.home.exec(QStringLiteral("INSERT INTO doors (地址) VALUES (3), (4)"));
    Controller& c = h.sim.addController(3);
    load(c, QStringLiteral("999999"), QStringLiteral("9"));  // not in faka: the clearing drops it
    for (const char* card : {"000003", "000001", "000002"})
        issue(h, 3, QString::fromLatin1(card), QStringLiteral("12345678"));
    issue(h, 4, QStringLiteral("000009"), QStringLiteral("1"));
    const QStringList before = fakaSnapshot(h);
    QList<int> counts;
    QObject::connect(&h.sim, &Simulator::frameReceived, &h.sim, [&] { counts << 0; });

    Window win;
    QStringList shownCounts;
    QList<int> barValues;
    QObject::connect(win.count(), &QLineEdit::textChanged, [&](const QString& t) { shownCounts << t; });
    QObject::connect(win.bar(), &QProgressBar::valueChanged, [&](int v) { barValues << v; });
    win.run(QStringLiteral("3"));

    QCOMPARE(h.prompts.texts(), QStringList{QStringLiteral("重整成功！")});
    QCOMPARE(commandOf(h.sim.frames().first()), hex("0C"));
    QCOMPARE(h.sim.frames().first(), hex("03020C"));
    QCOMPARE(addedCards(h.sim, 3), (QStringList{"000001", "000002", "000003"}));
    QCOMPARE(shownCounts.mid(shownCounts.indexOf(QStringLiteral("1"))), (QStringList{"1", "2", "3"}));
    QCOMPARE(barValues.mid(barValues.indexOf(100)).first(3), (QList<int>{100, 200, 300}));
    QCOMPARE(win.bar()->maximum(), 300);
    QVERIFY(!win.bar()->isVisible());
    QCOMPARE(heldCards(h.sim, 3), fakaCards(h, 3));
    QCOMPARE(fakaSnapshot(h), before);
    // The line is free again.
    LinePort other;
    QVERIFY(other.open(Session::lineParams()).ok());
}

void FrmFKZLTest::cardLimitsGoOutAsStored_data()
{
    QTest::addColumn<QVariantList>("limits");
    QTest::addColumn<QByteArray>("frame");
    const QVariant null;
    QTest::newRow("no limits, modes 1 and 3")
        << QVariantList{null, null, null, null, null, null, 1, 3} << hex("03150A0012345678000123000020600000000000" "0000");
    QTest::newRow("every limit")
        << QVariantList{"2004-12-04", "2005-01-31", 1, 5, "08:00:00", "18:30:00", 1, 0}
        << hex("03150A0012345678000123040532010431081800" "3015");
    QTest::newRow("end date missing drops the range")
        << QVariantList{"2004-12-04", null, 0, 0, null, null, 2, 3} << hex("03150A0012345678000123000040600000000000" "0000");
}

void FrmFKZLTest::cardLimitsGoOutAsStored()
{
    QFETCH(QVariantList, limits);
    QFETCH(QByteArray, frame);
    LineHome h(LineHome::Wire::Memory);
    h.home.exec(QStringLiteral("INSERT INTO doors (地址) VALUES (3)"));
    h.sim.addController(3);
    issue(h, 3, QStringLiteral("000123"), QStringLiteral("12345678"), limits);
    Window win;
    win.run(QStringLiteral("3"));
    QCOMPARE(h.prompts.texts(), QStringList{QStringLiteral("重整成功！")});
    QCOMPARE(h.sim.frames().value(1), frame);
}

void FrmFKZLTest::retrySendsTheSameCardAgain()
{
    LineHome h(LineHome::Wire::Memory);
    h.home.exec(QStringLiteral("INSERT INTO doors (地址) VALUES (3)"));
    Controller& c = h.sim.addController(3);
    c.cardCapacity = 1;  // the second card gets no echo until there is room
    for (const char* card : {"000001", "000002", "000003"})
        issue(h, 3, QString::fromLatin1(card), QStringLiteral("1"));
    Window win;
    int failures = 0;
    h.prompts.onShow = [&](const Prompter::Message& m) {
        if (m.text != QStringLiteral("   通信故障!"))
            return;
        QCOMPARE(m.title, QStringLiteral("出错"));
        QCOMPARE(m.buttons, Prompter::Buttons::RetryCancel);
        // Nothing else can be started while the box waits.
        QVERIFY(!win.start()->isEnabled() && !win.quit()->isEnabled() && !win.combo()->isEnabled());
        if (++failures == 2)
            h.sim.controller(3)->cardCapacity = 0;
    };
    h.prompts.answerNext(Prompter::Answer::Retry);
    h.prompts.answerNext(Prompter::Answer::Retry);
    win.run(QStringLiteral("3"));
    QCOMPARE(failures, 2);
    QCOMPARE(addedCards(h.sim, 3), (QStringList{"000001", "000002", "000002", "000002", "000003"}));
    QCOMPARE(h.prompts.last(), QStringLiteral("重整成功！"));
    QCOMPARE(heldCards(h.sim, 3), fakaCards(h, 3));
    QVERIFY(win.start()->isEnabled());
}

void FrmFKZLTest::cancelStopsWhereItIs()
{
    LineHome h(LineHome::Wire::Memory);
    h.home.exec(QStringLiteral("INSERT INTO doors (地址) VALUES (3)"));
    Controller& c = h.sim.addController(3);
    c.cardCapacity = 1;
    for (int i = 1; i <= 5; ++i)
        issue(h, 3, QStringLiteral("00000%1").arg(i), QStringLiteral("1"));
    const QStringList before = fakaSnapshot(h);
    Window win;
    h.prompts.answerNext(Prompter::Answer::Cancel);
    win.run(QStringLiteral("3"));
    QCOMPARE(h.prompts.texts(), (QStringList{QStringLiteral("   通信故障!"), kCleared3of5}));
    QCOMPARE(addedCards(h.sim, 3), (QStringList{"000001", "000002"}));
    QCOMPARE(heldCards(h.sim, 3), QStringList{QStringLiteral("000001")});
    QVERIFY(win.bar()->isVisible());
    QCOMPARE(win.bar()->value(), 100);
    QCOMPARE(win.bar()->maximum(), 500);
    QCOMPARE(fakaSnapshot(h), before);
}

void FrmFKZLTest::cardsThatCannotGoAreCountedFailed_data()
{
    QTest::addColumn<QString>("physical");
    QTest::addColumn<QString>("start");
    QTest::addColumn<int>("mode");
    QTest::addColumn<QString>("message");
    QTest::newRow("physical number not decimal") << "12AB" << QString() << 0
                                                 << "卡号000002的卡号或物理卡号不能写入控制器，没有发送！";
    QTest::newRow("stored date unreadable") << "2" << "2005-13-45" << 0 << "卡号000002的发卡记录无法读取，没有发送！";
    QTest::newRow("passing mode 5") << "2" << QString() << 5 << "卡号000002的通行方式不对，不能写入控制器，没有发送！";
}

void FrmFKZLTest::cardsThatCannotGoAreCountedFailed()
{
    QFETCH(QString, physical);
    QFETCH(QString, start);
    QFETCH(int, mode);
    QFETCH(QString, message);
    LineHome h(LineHome::Wire::Memory);
    h.home.exec(QStringLiteral("INSERT INTO doors (地址) VALUES (3)"));
    h.sim.addController(3);
    issue(h, 3, QStringLiteral("000001"), QStringLiteral("1"));
    issue(h, 3, QStringLiteral("000002"), physical,
          {start.isEmpty() ? QVariant() : QVariant(start), QStringLiteral("2006-01-01"), QVariant(), QVariant(),
           QVariant(), QVariant(), mode, 0});
    issue(h, 3, QStringLiteral("000003"), QStringLiteral("3"));
    Window win;
    win.run(QStringLiteral("3"));
    // No Retry is offered for it, the card before is not sent twice, and
    // no re-send is advised: it would skip the same row.
    QCOMPARE(h.prompts.texts(),
             (QStringList{message, QStringLiteral("地址3的控制器已清空，其3张卡中已确认写入2张；另1张的发卡信息不能写入控制器，"
                                                  "请先修改其发卡信息！")}));
    QCOMPARE(addedCards(h.sim, 3), (QStringList{"000001", "000003"}));
    QCOMPARE(win.count()->text(), QStringLiteral("2"));
}

void FrmFKZLTest::clearingFailures_data()
{
    QTest::addColumn<int>("delayMs");
    QTest::addColumn<bool>("wrong");
    QTest::addColumn<QString>("message");
    // Answered, the clearing may have emptied the controller: its holders are locked out until a run ends well.
    const QString again = QStringLiteral("，该门禁控制器中的卡可能已经全部清除，也可能没有。请重新重整，直到显示“重整成功！”为止！");
    QTest::newRow("echo after 3.5 s") << 3500 << false << QStringLiteral("3号门的应答迟到了") + again;
    QTest::newRow("echo at 2.5 s is in time") << 2500 << false << "重整成功！";
    QTest::newRow("wrong byte") << 0 << true << QStringLiteral("3号门回答的地址不对") + again;
    QTest::newRow("silent") << -1 << false << "通信故障！";
}

void FrmFKZLTest::clearingFailures()
{
    QFETCH(int, delayMs);
    QFETCH(bool, wrong);
    QFETCH(QString, message);
    // The late echoes are measured against the clearing's own time-out.
    LineHome h(LineHome::Wire::Memory);
    h.home.exec(QStringLiteral("INSERT INTO doors (地址) VALUES (3)"));
    Controller& c = h.sim.addController(3);
    c.behaviour = Behaviour{.silent = delayMs < 0, .delayMs = std::max(0, delayMs), .wrongAddress = wrong};
    issue(h, 3, QStringLiteral("000001"), QStringLiteral("1"));
    Window win;
    QObject::connect(&h.sim, &Simulator::frameReceived, &h.sim, [&](const QByteArray& f) {
        // Only the clearing is late or wrong; the cards are answered at once.
        if (commandOf(f) == hex("0A"))
            h.sim.controller(3)->behaviour = Behaviour();
    });
    win.run(QStringLiteral("3"));
    QCOMPARE(h.prompts.texts(), QStringList{message});
    if (message != QStringLiteral("重整成功！"))
        QCOMPARE(h.sim.frames().size(), 1);
    // A late echo is out before another port takes the line.
    QVERIFY(LineHome::settle(5000, [&] { return !h.sim.sending(); }));
    LinePort other;
    QVERIFY(other.open(Session::lineParams()).ok());
}

void FrmFKZLTest::noAddressOrNoCards()
{
    LineHome h(LineHome::Wire::Memory);
    h.home.exec(QStringLiteral("INSERT INTO doors (地址) VALUES (3)"));
    Controller& c = h.sim.addController(3);
    load(c, QStringLiteral("000007"), QStringLiteral("7"));
    Window win;
    QTest::mouseClick(win.start(), Qt::LeftButton);
    QCOMPARE(h.prompts.texts(), QStringList{QStringLiteral("请先选择地址!")});
    QVERIFY(h.sim.frames().isEmpty());
    win.run(QStringLiteral("3"));
    QCOMPARE(h.prompts.last(), QStringLiteral("没有发卡信息！"));
    QVERIFY(c.cards.isEmpty());
    QCOMPARE(win.w->focusWidget(), static_cast<QWidget*>(win.quit()));
}

QTEST_MAIN(FrmFKZLTest)
#include "tst_frmfkzl.moc"
