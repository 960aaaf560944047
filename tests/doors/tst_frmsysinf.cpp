// The hardware-information window against the simulator.

#include "support/LineHome.h"

#include "doors/ControllerStatus.h"
#include "doors/FrmSysInf.h"
#include "session/Session.h"

#include <QFile>
#include <QListWidget>
#include <QPushButton>
#include <QTimer>
#include <QTreeWidget>
#include <QtTest>

#include <memory>

namespace {

struct Window {
    std::unique_ptr<FrmSysInf> w = std::make_unique<FrmSysInf>();

    QTreeWidget* tree() const { return w->findChild<QTreeWidget*>(QStringLiteral("AdrView")); }
    QListWidget* list() const { return w->findChild<QListWidget*>(QStringLiteral("ListView1")); }
    QTreeWidgetItem* root() const { return tree()->topLevelItem(0); }
    QTreeWidgetItem* node(const QString& address) const
    {
        for (int i = 0; i < root()->childCount(); ++i) {
            if (root()->child(i)->text(0) == address)
                return root()->child(i);
        }
        qFatal("no node %s", qPrintable(address));
    }
    static QString picture(QTreeWidgetItem* n) { return n->data(0, FrmSysInf::kPictureRole).toString(); }
    static QString key(QTreeWidgetItem* n) { return n->data(0, FrmSysInf::kKeyRole).toString(); }
    QStringList pictures() const
    {
        QStringList out;
        for (int i = 0; i < root()->childCount(); ++i)
            out << picture(root()->child(i));
        return out;
    }
    QStringList lines() const
    {
        QStringList out;
        for (int i = 0; i < list()->count(); ++i)
            out << list()->item(i)->text();
        return out;
    }
    void click(QTreeWidgetItem* n) const { emit tree()->itemClicked(n, 0); }
};

}  // namespace

class FrmSysInfTest : public QObject {
    Q_OBJECT
private slots:
    void treeListsTheAddresses();
    void emptyDoorsStillHoldsThePort();
    void readListsEightLines();
    void failedReadSaysNoConnection();
    void weekdayNames();
    void collapsingEmptiesTheList();
    void clickDuringReadIsIgnored();
};

void FrmSysInfTest::treeListsTheAddresses()
{
    LineHome h;
    h.home.exec(QStringLiteral("INSERT INTO doors (地址) VALUES (7), (0), (12)"));
    Window win;
    QCOMPARE(win.w->windowTitle(), QStringLiteral("硬件信息"));
    QCOMPARE(win.tree()->topLevelItemCount(), 1);
    QCOMPARE(win.root()->text(0), QStringLiteral("地址"));
    QCOMPARE(Window::key(win.root()), QStringLiteral("Root"));
    QCOMPARE(Window::picture(win.root()), QStringLiteral("closed"));
    QCOMPARE(win.root()->childCount(), 3);
    QStringList texts, keys;
    for (int i = 0; i < 3; ++i) {
        texts << win.root()->child(i)->text(0);
        keys << Window::key(win.root()->child(i));
    }
    QCOMPARE(texts, (QStringList{QStringLiteral("0"), QStringLiteral("7"), QStringLiteral("12")}));
    QCOMPARE(keys, (QStringList{QStringLiteral("Root1"), QStringLiteral("Root2"), QStringLiteral("Root3")}));
    QCOMPARE(win.pictures(), QStringList(3, QStringLiteral("info1")));
    win.tree()->expandItem(win.root());
    QCOMPARE(Window::picture(win.root()), QStringLiteral("opened"));

    // A click on the root does nothing, not even emptying the list.
    win.list()->addItem(QStringLiteral("kept"));
    win.click(win.root());
    QCOMPARE(win.lines(), QStringList{QStringLiteral("kept")});
    LineHome::settle();
    QVERIFY(h.sim.frames().isEmpty());
}

void FrmSysInfTest::emptyDoorsStillHoldsThePort()
{
    LineHome h;
    Window win;
    QCOMPARE(win.root()->childCount(), 0);
    LinePort other;
    QCOMPARE(other.open(Session::lineParams()).status, OpenStatus::HeldByAnotherWindow);
    win.w->close();
    QVERIFY(other.open(Session::lineParams()).ok());
}

void FrmSysInfTest::readListsEightLines()
{
    LineHome h;
    h.home.exec(QStringLiteral("INSERT INTO doors (地址) VALUES (0), (5)"));
    Controller& c = h.sim.addController(0);
    c.lockDelay[0] = 7;
    c.lockDelay[1] = 70;
    c.version[2] = 5;
    h.sim.command(QStringLiteral("records 0 1234"));
    connect(&h.sim, &Simulator::frameReceived, this, [&] {
        h.sim.controller(0)->setClock(QDateTime(QDate(2004, 12, 7), QTime(10, 23, 45)));
    });
    Window win;
    // Controller 0 is read like any other.
    win.click(win.node(QStringLiteral("0")));
    QCOMPARE(h.sim.frames(), hexes({"000204"}));
    QCOMPARE(win.lines(), (QStringList{QStringLiteral(" 地址：  0"), QStringLiteral(" 打卡记录数： 1234 "),
                                       QStringLiteral(" 锁一延时： .5 "), QStringLiteral(" 锁二延时： 5 "),
                                       QStringLiteral(" 日    期：2004-12-7"), QStringLiteral(" 时    间：10:23:45"),
                                       QStringLiteral(" 星    期：Tuesday"), QStringLiteral(" 版 本 号：2.105")}));
    QCOMPARE(win.pictures(), (QStringList{QStringLiteral("ok"), QStringLiteral("info1")}));
    QFile f(SysInf::path());
    QVERIFY(f.open(QIODevice::ReadOnly));
    QCOMPARE(f.readAll(), QByteArray(" 1234 , .5 , 5 ,2004-12-7,10:23:45, 2 ,2.105\r\n"));
    QVERIFY(h.prompts.shown.isEmpty());
}

void FrmSysInfTest::failedReadSaysNoConnection()
{
    LineHome h(LineHome::Waits::Short);
    h.home.exec(QStringLiteral("INSERT INTO doors (地址) VALUES (3), (4), (5)"));
    h.sim.addController(3).behaviour.silent = true;
    h.sim.addController(4);
    h.sim.addController(5).behaviour.wrongAddress = true;
    Window win;
    win.click(win.node(QStringLiteral("3")));
    QCOMPARE(win.lines(), QStringList{QStringLiteral("通信不通")});
    QCOMPARE(win.pictures(), (QStringList{QStringLiteral("failed"), QStringLiteral("info1"), QStringLiteral("info1")}));
    QVERIFY(!QFile::exists(SysInf::path()));

    // After a failure and a success only the second node is marked.
    win.click(win.node(QStringLiteral("4")));
    QCOMPARE(win.lines().size(), 8);
    QCOMPARE(win.pictures(), (QStringList{QStringLiteral("info1"), QStringLiteral("ok"), QStringLiteral("info1")}));

    win.click(win.node(QStringLiteral("5")));
    QCOMPARE(win.lines(), QStringList{QStringLiteral("通信不通")});
    QCOMPARE(win.pictures(), (QStringList{QStringLiteral("info1"), QStringLiteral("info1"), QStringLiteral("failed")}));
    // Refused the line (another window keeps it), the window says so and blames no controller.
    win.w->close();
    LinePort other;
    QVERIFY(other.open(Session::lineParams()).ok());
    Window refused;
    refused.click(refused.node(QStringLiteral("4")));
    QCOMPARE(refused.lines(), QStringList{QStringLiteral("通信不通：串口正被本程序的其他窗口使用，请等那个窗口的通信结束或关闭它之后再试！")});
    QVERIFY(h.prompts.shown.isEmpty());
}

void FrmSysInfTest::weekdayNames()
{
    LineHome h;
    h.home.exec(QStringLiteral("INSERT INTO doors (地址) VALUES (1), (5)"));
    h.sim.addController(1);
    Window win;
    // The simulator reports 0 for Sunday, as the date-setting sends it.
    auto weekdayOn = [&](const QDate& day) {
        h.sim.command(QStringLiteral("clock 1 %1T12:00:00").arg(day.toString(Qt::ISODate)));
        win.click(win.node(QStringLiteral("1")));
        return win.lines().value(6);
    };
    QCOMPARE(weekdayOn(QDate(2010, 1, 3)), QStringLiteral(" 星    期： 0 "));
    QCOMPARE(weekdayOn(QDate(2010, 1, 4)), QStringLiteral(" 星    期：Monday"));
    QCOMPARE(weekdayOn(QDate(2010, 1, 9)), QStringLiteral(" 星    期：Saturday"));
    win.w->close();

    // A controller that counts 1 to 7 reports Sunday as 7.
    RawPeer peer;
    peer.answer = hex("0500000707100103120000070210" "00");
    QVERIFY(peer.start(h.home.path(), 4));
    Session::PortNo = 4;
    Window other;
    other.click(other.node(QStringLiteral("5")));
    QCOMPARE(other.lines().value(6), QStringLiteral(" 星    期：Sunday"));
}

void FrmSysInfTest::collapsingEmptiesTheList()
{
    LineHome h;
    h.home.exec(QStringLiteral("INSERT INTO doors (地址) VALUES (2)"));
    h.sim.addController(2);
    Window win;
    win.tree()->expandItem(win.root());
    win.click(win.node(QStringLiteral("2")));
    QCOMPARE(win.lines().size(), 8);
    win.tree()->collapseItem(win.root());
    QCOMPARE(win.list()->count(), 0);
    QCOMPARE(Window::picture(win.root()), QStringLiteral("closed"));
    QCOMPARE(win.pictures(), QStringList{QStringLiteral("ok")});
}

void FrmSysInfTest::clickDuringReadIsIgnored()
{
    LineHome h;
    h.home.exec(QStringLiteral("INSERT INTO doors (地址) VALUES (2), (3)"));
    h.sim.addController(2).behaviour.delayMs = 800;
    h.sim.addController(3);
    Window win;
    win.w->show();
    QStringList seen;
    bool closeEnabled = true;
    QTimer::singleShot(300, win.w.get(), [&] {
        seen = win.lines();
        closeEnabled = win.w->findChild<QPushButton*>(QStringLiteral("exitclose"))->isEnabled();
        win.click(win.node(QStringLiteral("3")));
        win.w->close();
    });
    win.click(win.node(QStringLiteral("2")));
    QCOMPARE(seen, QStringList{QStringLiteral("正在通信中,请稍后...")});
    QVERIFY(!closeEnabled);
    QVERIFY(win.w->isVisible());
    QCOMPARE(h.sim.frames(), hexes({"020204"}));
    QCOMPARE(win.lines().first(), QStringLiteral(" 地址：  2"));
    QCOMPARE(win.pictures(), (QStringList{QStringLiteral("ok"), QStringLiteral("info1")}));
}

QTEST_MAIN(FrmSysInfTest)
#include "tst_frmsysinf.moc"
