// The controller date and time window against the simulator.

#include "support/LineHome.h"

#include "db/Clock.h"
#include "doors/FrmCDT.h"
#include "session/Session.h"
#include "support/PickerInput.h"

#include <QApplication>
#include <QComboBox>
#include <QDateEdit>
#include <QPushButton>
#include <QTimeEdit>
#include <QToolButton>
#include <QtTest>

#include <memory>

namespace {

struct Window {
    std::unique_ptr<FrmCDT> w = std::make_unique<FrmCDT>();

    QComboBox* combo() const { return w->findChild<QComboBox*>(QStringLiteral("Combo1")); }
    QDateEdit* date() const { return w->findChild<QDateEdit*>(QStringLiteral("DTP1")); }
    QTimeEdit* time() const { return w->findChild<QTimeEdit*>(QStringLiteral("DTX2")); }
    QPushButton* setDate() const { return w->findChild<QPushButton*>(QStringLiteral("Command1")); }
    QPushButton* setTime() const { return w->findChild<QPushButton*>(QStringLiteral("Command2")); }
    QStringList addresses() const
    {
        QStringList out;
        for (int i = 0; i < combo()->count(); ++i)
            out << combo()->itemText(i);
        return out;
    }
};

}  // namespace

class FrmCDTTest : public QObject {
    Q_OBJECT
private slots:
    void opensWithAddressesAndToday();
    void typingDoesNotChangeTheAddress();
    void noAddressAsksForOne();
    void setDateSendsTheDateFrame_data();
    void setDateSendsTheDateFrame();
    void setTimeSendsThePickedTime_data();
    void setTimeSendsThePickedTime();
    void silentOrWrongControllerFails();
    void lateEchoNeverConfirmsLaterCommand();
    void buttonsWaitForThePendingCommand();
    void busyPortIsReported();
};

void FrmCDTTest::opensWithAddressesAndToday()
{
    LineHome h(LineHome::Wire::Memory);
    Clock::freeze(QDateTime(QDate(2024, 3, 5), QTime(14, 15, 16)));
    h.home.exec(QStringLiteral("INSERT INTO doors (地址) VALUES (9), (2), (30)"));
    Window win;
    QCOMPARE(win.w->windowTitle(), QStringLiteral("修改卡机日期时间"));
    QCOMPARE(win.addresses(), (QStringList{QStringLiteral("2"), QStringLiteral("9"), QStringLiteral("30")}));
    QCOMPARE(win.combo()->currentText(), QStringLiteral("2"));
    QVERIFY(!win.combo()->isEditable());
    QCOMPARE(win.date()->date(), QDate(2024, 3, 5));
    QCOMPARE(win.time()->time(), QTime(14, 15, 16));
    // The port is not opened at load.
    LinePort other;
    QVERIFY(other.open(Session::lineParams()).ok());
}

void FrmCDTTest::typingDoesNotChangeTheAddress()
{
    LineHome h(LineHome::Wire::Memory);
    h.home.exec(QStringLiteral("INSERT INTO doors (地址) VALUES (2), (30), (31)"));
    Window win;
    win.w->show();
    QVERIFY(QTest::qWaitForWindowExposed(win.w.get()));
    win.combo()->setFocus();
    // A typed character would pick the first address that starts with it:
    // the date would then go to a controller the operator never chose.
    // "33" is no address: nothing is chosen.
    QTest::keyClicks(win.combo(), QStringLiteral("3"));
    QTest::keyClick(win.combo(), Qt::Key_3);
    QCOMPARE(win.combo()->currentText(), QString());
    // Picking from the list still works.
    QTest::keyClick(win.combo(), Qt::Key_Down);
    QTest::keyClick(win.combo(), Qt::Key_Down);
    QCOMPARE(win.combo()->currentText(), QStringLiteral("30"));
}

void FrmCDTTest::noAddressAsksForOne()
{
    LineHome h(LineHome::Wire::Memory);
    Window win;
    QCOMPARE(win.combo()->currentText(), QString());
    win.setDate()->click();
    win.setTime()->click();
    QCOMPARE(h.prompts.texts(), (QStringList{QStringLiteral("请选择地址 ！"), QStringLiteral("请选择地址！")}));
    QCOMPARE(h.prompts.shown.at(0).icon, Prompter::Icon::None);
    LineHome::settle();
    QVERIFY(h.sim.frames().isEmpty());
}

void FrmCDTTest::setDateSendsTheDateFrame_data()
{
    QTest::addColumn<QDate>("date");
    QTest::addColumn<QByteArray>("frame");
    QTest::newRow("Tuesday") << QDate(2004, 12, 7) << hex("0705090452" "07");
    QTest::newRow("Saturday") << QDate(2010, 1, 2) << hex("07050910C102");
    QTest::newRow("Sunday") << QDate(2004, 12, 5) << hex("070509041205");
}

void FrmCDTTest::setDateSendsTheDateFrame()
{
    QFETCH(QDate, date);
    QFETCH(QByteArray, frame);
    LineHome h(LineHome::Wire::Memory);
    h.home.exec(QStringLiteral("INSERT INTO doors (地址) VALUES (7)"));
    Controller& c = h.sim.addController(7);
    Window win;
    win.date()->setDate(date);
    win.setDate()->click();
    QCOMPARE(h.prompts.texts(), QStringList{QStringLiteral("修改日期成功！")});
    QCOMPARE(h.sim.frames(), QList<QByteArray>{frame});
    QCOMPARE(c.clock().date(), date);
    QCOMPARE(c.weekdayCode(), date.dayOfWeek() % 7);
}

// A time of day that does not exist never reaches the controller.
void FrmCDTTest::setTimeSendsThePickedTime_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QByteArray>("frame");
    QTest::newRow("09:05:07") << "090507" << hex("030508090507");
    QTest::newRow("23:59:59") << "235959" << hex("030508235959");
    QTest::newRow("24:00:00") << "240000" << QByteArray();
    QTest::newRow("12:60:00") << "126000" << QByteArray();
}

void FrmCDTTest::setTimeSendsThePickedTime()
{
    QFETCH(QString, typed);
    QFETCH(QByteArray, frame);
    LineHome h(LineHome::Wire::Memory);
    Clock::freeze(QDateTime(QDate(2024, 3, 5), QTime(14, 15, 16)));
    h.home.exec(QStringLiteral("INSERT INTO doors (地址) VALUES (0), (3)"));
    h.sim.addController(3);
    Window win;
    win.w->show();
    QVERIFY(QTest::qWaitForWindowExposed(win.w.get()));
    win.combo()->setCurrentIndex(1);
    // Clicked into the hour and typed over, as an operator sets it.
    PickerInput::clickAt(win.time(), 1);
    QTest::keyClicks(QApplication::focusWidget(), typed);
    win.setTime()->click();
    QCOMPARE(h.prompts.texts(), QStringList{frame.isEmpty() ? "“时间”里的时间不存在，请重新输入！" : "修改时间成功！"});
    LineHome::settle();
    QCOMPARE(h.sim.frames(), frame.isEmpty() ? QList<QByteArray>() : QList{frame});
}

void FrmCDTTest::silentOrWrongControllerFails()
{
    LineHome h(LineHome::Wire::Memory);
    h.home.exec(QStringLiteral("INSERT INTO doors (地址) VALUES (4)"));
    Controller& c = h.sim.addController(4);
    c.behaviour.silent = true;
    c.setClock(QDateTime(QDate(2001, 1, 1), QTime(0, 0)));
    Window win;
    win.date()->setDate(QDate(2020, 6, 6));
    const LineClock::Time t = LineClock::now();
    win.setDate()->click();
    QVERIFY(LineClock::now() - t >= std::chrono::milliseconds(1900));
    QCOMPARE(h.prompts.texts(), QStringList{QStringLiteral("通信失败!请重试！")});
    QCOMPARE(c.clock().date().year(), 2001);

    h.prompts.clear();
    c.behaviour.silent = false;
    c.behaviour.wrongAddress = true;
    win.setTime()->click();
    QCOMPARE(h.prompts.texts(), QStringList{QStringLiteral("4号门回答的地址不对，修改时间的命令可能已经执行，也可能没有，请检查后再试一次！")});
}

void FrmCDTTest::lateEchoNeverConfirmsLaterCommand()
{
    LineHome h(LineHome::Wire::Memory);
    h.home.exec(QStringLiteral("INSERT INTO doors (地址) VALUES (4)"));
    Controller& c = h.sim.addController(4);
    c.behaviour.delayMs = 2500;
    Window win;
    win.setDate()->click();
    QCOMPARE(h.prompts.texts(), QStringList{QStringLiteral("4号门的应答迟到了，修改日期的命令可能已经执行，也可能没有，请检查后再试一次！")});
    // The late echo of the date arrives while nothing is pending.
    QVERIFY(LineHome::settle(5000, [&] { return !h.sim.sending(); }));
    LineHome::settle();
    c.behaviour.silent = true;
    h.prompts.clear();
    win.setTime()->click();
    QCOMPARE(h.prompts.texts(), QStringList{QStringLiteral("通信失败!请重试！")});
}

void FrmCDTTest::buttonsWaitForThePendingCommand()
{
    LineHome h(LineHome::Wire::Memory);
    h.home.exec(QStringLiteral("INSERT INTO doors (地址) VALUES (4)"));
    h.sim.addController(4).behaviour.delayMs = 700;
    Window win;
    win.w->show();
    bool dateEnabled = true, timeEnabled = true, stillShown = false;
    LineTimer during([&] {
        dateEnabled = win.setDate()->isEnabled();
        timeEnabled = win.setTime()->isEnabled();
        win.w->findChild<QToolButton*>(QStringLiteral("Picture1"))->click();
        win.w->close();
        stillShown = win.w->isVisible();
    });
    during.startIn(std::chrono::milliseconds(250));
    win.setDate()->click();
    QVERIFY(!dateEnabled);
    QVERIFY(!timeEnabled);
    QVERIFY(stillShown);
    QCOMPARE(h.prompts.texts(), QStringList{QStringLiteral("修改日期成功！")});
    QVERIFY(win.setDate()->isEnabled() && win.setTime()->isEnabled());
    // The port stays open until the window closes.
    LinePort other;
    QVERIFY(!other.open(Session::lineParams()).ok());
    win.w->findChild<QToolButton*>(QStringLiteral("Picture1"))->click();
    QVERIFY(!win.w->isVisible());
    QVERIFY(other.open(Session::lineParams()).ok());
}

void FrmCDTTest::busyPortIsReported()
{
    LineHome h(LineHome::Wire::Memory);
    h.home.exec(QStringLiteral("INSERT INTO doors (地址) VALUES (4)"));
    h.sim.addController(4);
    LinePort holder;
    QVERIFY(holder.open(Session::lineParams()).ok());
    Window win;
    win.setDate()->click();
    QCOMPARE(h.prompts.texts(), QStringList{QStringLiteral("串口通信端口没有打开：串口正被本程序的其他窗口使用，请等那个窗口的通信结束或关闭它之后再试！")});
    LineHome::settle();
    QVERIFY(h.sim.frames().isEmpty());
}

QTEST_MAIN(FrmCDTTest)
#include "tst_frmcdt.moc"
