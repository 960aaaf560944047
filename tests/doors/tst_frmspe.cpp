// Remote opening against the simulator.

#include "support/OperatorInput.h"
#include "support/LineHome.h"

#include "doors/Frmspe.h"
#include "session/Session.h"

#include <QComboBox>
#include <QPushButton>
#include <QRadioButton>
#include <QtTest>

#include <memory>

namespace {

struct Window {
    std::unique_ptr<Frmspe> w = std::make_unique<Frmspe>();

    QComboBox* cdoor() const { return w->findChild<QComboBox*>(QStringLiteral("Cdoor")); }
    QRadioButton* lock(int i) const { return w->findChild<QRadioButton*>(QStringLiteral("Option1(%1)").arg(i)); }
    QPushButton* open() const { return w->findChild<QPushButton*>(QStringLiteral("Copen")); }
    void choose(const QString& address, int lockNo) const
    {
        OperatorInput::typeInto(cdoor(), address);
        if (lockNo > 0)
            lock(lockNo - 1)->setChecked(true);
    }
};

bool portFree()
{
    LinePort other;
    return other.open(Session::lineParams()).ok();
}

}  // namespace

class FrmspeTest : public QObject {
    Q_OBJECT
private slots:
    void emptyDoorsIsReportedAtOpening();
    void choicesAreChecked();
    void opensOnlyTheChosenLock_data();
    void opensOnlyTheChosenLock();
    void answerInDoubt_data();
    void answerInDoubt();
    void silentControllerKeepsThePort();
    void busyPortIsReported();
    void pressIsNotRepeatedWhileWaiting();
};

void FrmspeTest::emptyDoorsIsReportedAtOpening()
{
    LineHome h(LineHome::Wire::Memory);
    Window win;
    QCOMPARE(h.prompts.texts(), QStringList{QStringLiteral(" 请先在系统设置里配置门锁")});
    QCOMPARE(h.prompts.shown.at(0).icon, Prompter::Icon::Exclamation);
    QCOMPARE(win.cdoor()->count(), 0);
    QCOMPARE(win.w->windowTitle(), QStringLiteral("特殊情况处理"));
}

void FrmspeTest::choicesAreChecked()
{
    LineHome h(LineHome::Wire::Memory);
    h.home.exec(QStringLiteral("INSERT INTO doors (地址) VALUES (5), (1)"));
    h.sim.addController(5);
    Window win;
    QVERIFY(h.prompts.shown.isEmpty());
    QCOMPARE(win.cdoor()->count(), 2);
    QVERIFY(!win.lock(0)->isChecked() && !win.lock(1)->isChecked());

    win.open()->click();
    QCOMPARE(h.prompts.last(), QStringLiteral("请选择门号!"));
    // Neither lock chosen: nothing is opened.
    win.choose(QStringLiteral("5"), 0);
    win.open()->click();
    QCOMPARE(h.prompts.last(), QStringLiteral("请选择锁号!"));
    // An address without a controller: nothing at all.
    h.prompts.clear();
    win.choose(QStringLiteral("6"), 1);
    win.open()->click();
    QVERIFY(h.prompts.shown.isEmpty());
    LineHome::settle();
    QVERIFY(h.sim.frames().isEmpty());
    QVERIFY(!h.sim.controller(5)->lockOpen(1) && !h.sim.controller(5)->lockOpen(2));
}

void FrmspeTest::opensOnlyTheChosenLock_data()
{
    QTest::addColumn<int>("address");
    QTest::addColumn<int>("lock");
    QTest::addColumn<QByteArray>("frame");
    QTest::newRow("address 0 lock 1") << 0 << 1 << hex("000210");
    QTest::newRow("address 0 lock 2") << 0 << 2 << hex("000220");
    QTest::newRow("address 99 lock 2") << 99 << 2 << hex("630220");
}

void FrmspeTest::opensOnlyTheChosenLock()
{
    QFETCH(int, address);
    QFETCH(int, lock);
    QFETCH(QByteArray, frame);
    LineHome h(LineHome::Wire::Memory);
    h.home.exec(QStringLiteral("INSERT INTO doors (地址) VALUES (?)"), {address});
    Controller& c = h.sim.addController(static_cast<quint8>(address));
    c.lockDelay[0] = c.lockDelay[1] = 140;  // 10 s: still open when the test looks
    Window win;
    win.choose(QString::number(address), lock);
    win.open()->click();
    QCOMPARE(h.prompts.texts(), QStringList{QStringLiteral("开门成功")});
    QCOMPARE(h.sim.frames(), QList<QByteArray>{frame});
    QVERIFY(c.lockOpen(lock));
    QVERIFY(!c.lockOpen(3 - lock));
    // Answered: the port is given back.
    QVERIFY(portFree());
    QVERIFY(win.open()->isEnabled());
}

// The controller heard the press: the lock may be open.
void FrmspeTest::answerInDoubt_data()
{
    QTest::addColumn<int>("delayMs");  // 0: a wrong address at once; -1: silent on a chattering line
    QTest::addColumn<QString>("cause");
    QTest::newRow("wrong address") << 0 << QStringLiteral("5号门回答的地址不对");
    QTest::newRow("late") << 3500 << QStringLiteral("5号门的应答迟到了");
    QTest::newRow("disturbed") << -1 << QStringLiteral("5号门线路上有干扰");
}

void FrmspeTest::answerInDoubt()
{
    QFETCH(int, delayMs);
    QFETCH(QString, cause);
    LineHome h(LineHome::Wire::Memory);
    h.home.exec(QStringLiteral("INSERT INTO doors (地址) VALUES (5)"));
    h.sim.addController(5).behaviour = Behaviour{.silent = delayMs < 0, .delayMs = std::max(0, delayMs), .wrongAddress = delayMs == 0};
    h.sim.setChatter(delayMs < 0 ? 40 : 0);
    Window win;
    win.choose(QStringLiteral("5"), 1);
    win.open()->click();
    QCOMPARE(h.prompts.texts(), QStringList{cause + QStringLiteral("，开锁命令可能已经执行，也可能没有，请检查后再试一次！")});
    QVERIFY(portFree());
}

void FrmspeTest::silentControllerKeepsThePort()
{
    LineHome h(LineHome::Wire::Memory);
    h.home.exec(QStringLiteral("INSERT INTO doors (地址) VALUES (5)"));
    h.sim.addController(5).behaviour.silent = true;
    Window win;
    win.choose(QStringLiteral("5"), 2);
    win.open()->click();
    QCOMPARE(h.prompts.texts(), QStringList{QStringLiteral("连接失败")});
    QCOMPARE(h.prompts.shown.at(0).icon, Prompter::Icon::Exclamation);
    QVERIFY(!portFree());
    QVERIFY(win.open()->isEnabled());
    // Closing the window releases it.
    win.w->close();
    QVERIFY(portFree());
}

void FrmspeTest::busyPortIsReported()
{
    LineHome h(LineHome::Wire::Memory);
    h.home.exec(QStringLiteral("INSERT INTO doors (地址) VALUES (5)"));
    h.sim.addController(5);
    LinePort holder;
    QVERIFY(holder.open(Session::lineParams()).ok());
    Window win;
    win.choose(QStringLiteral("5"), 1);
    win.open()->click();
    QCOMPARE(h.prompts.texts(), QStringList{QStringLiteral("串口通信端口没有打开：串口正被本程序的其他窗口使用，请等那个窗口的通信结束或关闭它之后再试！")});
    QVERIFY(win.open()->isEnabled());
    LineHome::settle();
    QVERIFY(h.sim.frames().isEmpty());
}

void FrmspeTest::pressIsNotRepeatedWhileWaiting()
{
    LineHome h(LineHome::Wire::Memory);
    h.home.exec(QStringLiteral("INSERT INTO doors (地址) VALUES (5)"));
    h.sim.addController(5).behaviour.delayMs = 1500;
    Window win;
    win.w->show();
    bool enabledDuring = true;
    // The operator presses again and closes while the reply is on its way.
    LineTimer during([&] {
        enabledDuring = win.open()->isEnabled();
        win.open()->click();
        win.w->close();
    });
    during.startIn(std::chrono::milliseconds(1200));
    win.choose(QStringLiteral("5"), 1);
    win.open()->click();
    QVERIFY(!enabledDuring);
    QVERIFY(win.w->isVisible());
    QCOMPARE(h.prompts.texts(), QStringList{QStringLiteral("开门成功")});
    QCOMPARE(h.sim.frames(), hexes({"050210"}));
}

QTEST_MAIN(FrmspeTest)
#include "tst_frmspe.moc"
