// The lock settings window against the simulator: the doors rows it
// writes, the status it lists, the delays and the initialisation it sends.

#include "support/OperatorInput.h"
#include "db/DoorAddresses.h"
#include "support/LineHome.h"

#include "doors/ControllerStatus.h"
#include "doors/DoorsTable.h"
#include "doors/Frmdoors.h"
#include "session/Session.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QtTest>

#include <memory>

namespace {

struct Window {
    std::unique_ptr<Frmdoors> w = std::make_unique<Frmdoors>();

    template <typename T>
    T* get(const QString& name) const
    {
        T* c = w->findChild<T*>(name);
        if (!c)
            qFatal("no control %s", qPrintable(name));
        return c;
    }
    QComboBox* cdoor() const { return get<QComboBox>(QStringLiteral("Cdoor")); }
    QCheckBox* tick(int lock) const { return get<QCheckBox>(QStringLiteral("Clkn1(%1)").arg(lock)); }
    QLineEdit* name(int lock) const { return get<QLineEdit>(QStringLiteral("drnam(%1)").arg(lock)); }
    QLineEdit* delay(int lock) const { return get<QLineEdit>(QStringLiteral("second2(%1)").arg(lock)); }
    QRadioButton* opt(int i) const { return get<QRadioButton>(QStringLiteral("Opt(%1)").arg(i)); }
    QListWidget* list() const { return get<QListWidget>(QStringLiteral("ListView1")); }
    void click(const char* button) const { get<QPushButton>(QLatin1String(button))->click(); }

    QStringList addresses() const
    {
        QStringList out;
        for (int i = 0; i < cdoor()->count(); ++i)
            out << cdoor()->itemText(i);
        return out;
    }
    QStringList lines() const
    {
        QStringList out;
        for (int i = 0; i < list()->count(); ++i)
            out << list()->item(i)->text();
        return out;
    }
    // The operator picks an address from the list.
    void pick(const QString& address) const { OperatorInput::pickFromList(cdoor(), address); }
    void enter(const QString& address, bool lock1, bool lock2) const
    {
        OperatorInput::typeInto(cdoor(), address);
        tick(0)->setChecked(lock1);
        tick(1)->setChecked(lock2);
    }
};

DoorRow stored(const TestHome& home, int address)
{
    const std::optional<DoorRow> r = DoorsTable::find(home.db(), address);
    if (!r)
        qFatal("no doors row %d", address);
    return *r;
}

int count(const TestHome& home, const QString& sql)
{
    return home.scalar(sql).toInt();
}

}  // namespace

class FrmdoorsTest : public QObject {
    Q_OBJECT
private slots:
    void opensWithDefaults();
    void addWritesTickedLocks();
    void addWithNeitherLockTicked();
    void addressChecks();
    void delayLimitsOfEachKind();
    void emptyDelayTakesTheKindsDefault();
    void modifyGivesTheRowAddingWould();
    void pickShowsStoredLocksAndStatus();
    void failedStatusReadShowsNothing();
    void kindClickReplacesDelay();
    void changeDelaysUnansweredLeavesDoorsAlone_data();
    void changeDelaysUnansweredLeavesDoorsAlone();
    void changeDelaysStoresOnlyAcknowledgedLocks();
    void changeDelaysRefusesWhatCannotBeSent();
    void deleteRemovesControllerAndCards();
    void initialiseSilentControllerSendsNoClearLists();
    void initialiseClearsController();
    void busyPortIsReported();
    void controlsAreDisabledWhileExchanging();
    void resizesInProportion();
};

void FrmdoorsTest::opensWithDefaults()
{
    LineHome h(LineHome::Wire::Memory);
    h.home.exec(QStringLiteral("INSERT INTO doors (地址, dtype1) VALUES (12, '玻'), (3, '木')"));
    Window win;
    QCOMPARE(win.w->windowTitle(), QStringLiteral("门锁设置"));
    QCOMPARE(win.addresses(), (QStringList{QStringLiteral("3"), QStringLiteral("12")}));
    QCOMPARE(win.cdoor()->currentText(), QString());
    for (int lock = 0; lock < 2; ++lock) {
        QVERIFY(win.tick(lock)->isChecked());
        QCOMPARE(win.delay(lock)->text(), QStringLiteral("5"));
        QVERIFY(win.name(lock)->text().isEmpty());
        QVERIFY(win.opt(lock * 3)->isChecked());
    }
    QCOMPARE(win.list()->count(), 0);
    // Opening sends nothing.
    LineHome::settle();
    QVERIFY(h.sim.frames().isEmpty());
}

void FrmdoorsTest::addWritesTickedLocks()
{
    LineHome h(LineHome::Wire::Memory);
    Window win;
    // Only lock 1 ticked: lock 2's columns stay Null.
    win.enter(QStringLiteral("5"), true, false);
    OperatorInput::typeInto(win.name(0), QStringLiteral(" 大门 "));
    win.opt(2)->click();
    OperatorInput::typeInto(win.delay(0), QStringLiteral("1.5"));
    OperatorInput::typeInto(win.name(1), QStringLiteral("ignored"));
    win.click("Cmdadd");
    QCOMPARE(h.prompts.last(), QStringLiteral("已经添加完毕"));
    QCOMPARE(h.prompts.shown.last().icon, Prompter::Icon::Exclamation);
    QCOMPARE(count(h.home, QStringLiteral("SELECT COUNT(*) FROM doors WHERE 地址 = 5 AND namedr1 = '大门' AND "
                                          "delay1 = 1.5 AND dtype1 = '铁' AND namedr2 IS NULL AND "
                                          "delay2 IS NULL AND dtype2 IS NULL")),
             1);
    QCOMPARE(win.addresses(), QStringList{QStringLiteral("5")});

    win.click("Cmdadd");
    QCOMPARE(h.prompts.last(), QStringLiteral("地址重复,请重设"));
    QCOMPARE(count(h.home, QStringLiteral("SELECT COUNT(*) FROM doors")), 1);

    // Only lock 2 ticked: lock 1's columns stay Null.
    win.enter(QStringLiteral("6"), false, true);
    win.opt(4)->click();
    win.click("Cmdadd");
    QCOMPARE(h.prompts.last(), QStringLiteral("已经添加完毕"));
    const DoorRow r = stored(h.home, 6);
    QVERIFY(r.lock[0].name.isNull() && r.lock[0].delay.isNull() && r.lock[0].kind.isNull());
    QCOMPARE(r.lock[1].kind.toString(), QStringLiteral("木"));
    QCOMPARE(r.lock[1].delay.toDouble(), 5.0);
    // Adding sends nothing.
    LineHome::settle();
    QVERIFY(h.sim.frames().isEmpty());
}

void FrmdoorsTest::addWithNeitherLockTicked()
{
    LineHome h(LineHome::Wire::Memory);
    Window win;
    win.enter(QStringLiteral("8"), false, false);
    OperatorInput::typeInto(win.name(0), QStringLiteral("边门"));
    OperatorInput::typeInto(win.delay(0), QStringLiteral("3"));
    win.opt(5)->click();
    win.click("Cmdadd");
    QCOMPARE(h.prompts.last(), QStringLiteral("已经添加完毕"));
    const DoorRow r = stored(h.home, 8);
    QCOMPARE(r.lock[0].name.toString(), QStringLiteral("边门"));
    QCOMPARE(r.lock[0].delay.toDouble(), 3.0);
    QVERIFY(!r.lock[0].kind.isNull());
    QCOMPARE(r.lock[0].kind.toString(), QString());
    QVERIFY(r.lock[1].name.isNull() && r.lock[1].delay.isNull() && r.lock[1].kind.isNull());

    // Picked later: lock 1 ticked, its kind options as they were.
    win.opt(1)->setChecked(true);
    win.pick(QStringLiteral("8"));
    QVERIFY(win.tick(0)->isChecked());
    QVERIFY(win.opt(1)->isChecked());
    QCOMPARE(win.delay(0)->text(), QStringLiteral("3"));
    QVERIFY(!win.tick(1)->isChecked());
    QCOMPARE(win.delay(1)->text(), QStringLiteral("5"));
}

void FrmdoorsTest::addressChecks()
{
    LineHome h(LineHome::Wire::Memory);
    Window win;
    win.enter(QStringLiteral("  "), true, true);
    for (const char* b : {"Cmdadd", "Command4", "Cmdtest", "Command1"}) {
        win.click(b);
        QCOMPARE(h.prompts.last(), QStringLiteral("请输入地址!"));
    }
    win.enter(QStringLiteral("100"), true, true);
    for (const char* b : {"Cmdadd", "Command4", "Cmdtest", "Command1"}) {
        win.click(b);
        QCOMPARE(h.prompts.last(), QStringLiteral("地址<=99，请重输"));
    }
    h.prompts.answerNext(Prompter::Answer::No);
    win.click("cmddel");
    QCOMPARE(h.prompts.last(), QStringLiteral("确信要删除地址为100的门及其相应的发卡记录吗?"));
    // Deleting an address that has no controller only asks.
    win.click("cmddel");
    QCOMPARE(h.prompts.last(), QStringLiteral("确信要删除地址为100的门及其相应的发卡记录吗?"));
    win.enter(QString(), true, true);
    win.click("cmddel");
    QCOMPARE(h.prompts.last(), QStringLiteral("请输入要删除的地址!"));

    for (const char* a : {"0", "99"}) {
        win.enter(QLatin1String(a), true, true);
        win.click("Cmdadd");
        QCOMPARE(h.prompts.last(), QStringLiteral("已经添加完毕"));
    }
    QCOMPARE(DoorAddresses::list(h.home.db()), (QList<int>{0, 99}));

    // Neither lock ticked: initialise and change delays ask for one.
    win.enter(QStringLiteral("0"), false, false);
    win.click("Cmdtest");
    QCOMPARE(h.prompts.last(), QStringLiteral("请选择锁号!"));
    win.click("Command1");
    QCOMPARE(h.prompts.last(), QStringLiteral("请选择锁号!"));

    // Letters never reach the address box.
    OperatorInput::typeInto(win.cdoor(), QString());
    win.cdoor()->setFocus();
    QTest::keyClicks(win.cdoor(), QStringLiteral("1a2"));
    QCOMPARE(win.cdoor()->currentText(), QStringLiteral("12"));
    LineHome::settle();
    QVERIFY(h.sim.frames().isEmpty());
}

void FrmdoorsTest::delayLimitsOfEachKind()
{
    LineHome h(LineHome::Wire::Memory);
    Window win;
    win.enter(QStringLiteral("4"), true, true);
    win.opt(2)->click();
    OperatorInput::typeInto(win.delay(0), QStringLiteral("2.1"));
    for (const char* b : {"Cmdadd", "Command4", "Command1"}) {
        win.click(b);
        QCOMPARE(h.prompts.last(), QStringLiteral("铁门锁延迟时间建议在0到2之间!"));
    }
    OperatorInput::typeInto(win.delay(0), QStringLiteral("2"));
    OperatorInput::typeInto(win.delay(1), QStringLiteral("25.5"));
    for (const char* b : {"Cmdadd", "Command4", "Command1"}) {
        win.click(b);
        QCOMPARE(h.prompts.last(), QStringLiteral("门锁延迟时间建议在0到25之间!"));
    }
    QCOMPARE(count(h.home, QStringLiteral("SELECT COUNT(*) FROM doors")), 0);
    LineHome::settle();
    QVERIFY(h.sim.frames().isEmpty());

    // An unticked lock's delay is not tested.
    win.tick(1)->setChecked(false);
    win.click("Cmdadd");
    QCOMPARE(h.prompts.last(), QStringLiteral("已经添加完毕"));
    win.tick(1)->setChecked(true);
    win.opt(4)->click();
    OperatorInput::typeInto(win.delay(1), QStringLiteral("25"));
    win.click("Command4");
    QCOMPARE(h.prompts.last(), QStringLiteral("已经修改完毕"));
    QCOMPARE(stored(h.home, 4).lock[1].delay.toDouble(), 25.0);
}

void FrmdoorsTest::emptyDelayTakesTheKindsDefault()
{
    LineHome h(LineHome::Wire::Memory);
    Window win;
    win.enter(QStringLiteral("2"), true, true);
    win.opt(2)->click();
    win.delay(0)->clear();
    OperatorInput::typeInto(win.delay(1), QStringLiteral("  "));
    win.click("Cmdadd");
    QCOMPARE(win.delay(0)->text(), QStringLiteral("0.5"));
    QCOMPARE(win.delay(1)->text(), QStringLiteral("5"));
    QCOMPARE(stored(h.home, 2).lock[0].delay.toDouble(), 0.5);
    QCOMPARE(stored(h.home, 2).lock[1].delay.toDouble(), 5.0);
}

void FrmdoorsTest::modifyGivesTheRowAddingWould()
{
    LineHome h(LineHome::Wire::Memory);
    h.home.exec(QStringLiteral("INSERT INTO doors (地址, namedr1, delay1, dtype1, namedr2, delay2, dtype2, 门号) "
                               "VALUES (7, 'a', 3, '木', 'b', 4, '玻', '七号门')"));
    h.home.exec(QStringLiteral("INSERT INTO faka (地址, 卡号) VALUES (7, '000001'), (7, '000002')"));
    Window win;
    win.enter(QStringLiteral("9"), true, true);
    win.click("Command4");
    QCOMPARE(h.prompts.last(), QStringLiteral("地址不存在,请重设"));

    auto fill = [&](const QString& address) {
        win.enter(address, true, false);
        OperatorInput::typeInto(win.name(0), QStringLiteral("新描述"));
        win.opt(0)->click();
        OperatorInput::typeInto(win.delay(0), QStringLiteral("6.5"));
        OperatorInput::typeInto(win.name(1), QStringLiteral("gone"));
    };
    fill(QStringLiteral("7"));
    win.click("Command4");
    QCOMPARE(h.prompts.last(), QStringLiteral("已经修改完毕"));
    fill(QStringLiteral("8"));
    win.click("Cmdadd");

    DoorRow modified = stored(h.home, 7);
    DoorRow added = stored(h.home, 8);
    QCOMPARE(modified.doorName.toString(), QStringLiteral("七号门"));
    modified.address = added.address;
    modified.doorName = added.doorName;
    QVERIFY(modified == added);
    QVERIFY(stored(h.home, 7).lock[1].kind.isNull());
    QCOMPARE(count(h.home, QStringLiteral("SELECT COUNT(*) FROM faka WHERE 地址 = 7")), 2);
    // Modifying leaves the address list alone.
    QCOMPARE(win.addresses(), (QStringList{QStringLiteral("7"), QStringLiteral("8")}));
}

void FrmdoorsTest::pickShowsStoredLocksAndStatus()
{
    LineHome h(LineHome::Wire::Memory);
    h.home.exec(QStringLiteral("INSERT INTO doors (地址, namedr1, delay1, dtype1, namedr2, delay2, dtype2) "
                               "VALUES (5, '前门', 1.5, '铁', NULL, NULL, NULL)"));
    Controller& c = h.sim.addController(5);
    c.lockDelay[0] = 21;
    c.lockDelay[1] = 0;
    h.sim.command(QStringLiteral("records 5 3"));
    connect(&h.sim, &Simulator::frameReceived, this, [&] {
        h.sim.controller(5)->setClock(QDateTime(QDate(2010, 1, 3), QTime(8, 5, 9)));
    });
    Window win;
    win.pick(QStringLiteral("5"));
    QVERIFY(win.tick(0)->isChecked());
    QCOMPARE(win.name(0)->text(), QStringLiteral("前门"));
    QCOMPARE(win.delay(0)->text(), QStringLiteral("1.5"));
    QVERIFY(win.opt(2)->isChecked());
    QVERIFY(!win.tick(1)->isChecked());
    QCOMPARE(win.delay(1)->text(), QStringLiteral("5"));

    QCOMPARE(h.sim.frames(), hexes({"050204"}));
    QCOMPARE(win.lines(), (QStringList{QStringLiteral(" 地  址:5"), QStringLiteral(" 打卡记录数: 3 "),
                                       QStringLiteral(" 锁一延时: 1.5 秒"), QStringLiteral(" 锁二延时: 0 秒"),
                                       QStringLiteral(" 日期:2010-1-3"), QStringLiteral(" 时间:8:05:09"),
                                       QStringLiteral(" 星期:Sunday"), QStringLiteral(" 版本号:2.10")}));
    for (int i = 0; i < win.list()->count(); ++i)
        QVERIFY(!win.list()->item(i)->icon().isNull());
    QVERIFY(h.prompts.shown.isEmpty());

    // Clicking the iron option now is the operator's: its default replaces 1.5.
    win.opt(2)->click();
    QCOMPARE(win.delay(0)->text(), QStringLiteral("0.5"));
}

void FrmdoorsTest::failedStatusReadShowsNothing()
{
    LineHome h(LineHome::Wire::Memory);
    h.home.exec(QStringLiteral("INSERT INTO doors (地址, dtype1) VALUES (5, '玻'), (6, '玻')"));
    h.sim.addController(5);
    h.sim.addController(6).behaviour.silent = true;
    Window win;
    win.pick(QStringLiteral("5"));
    QCOMPARE(win.list()->count(), 8);
    win.pick(QStringLiteral("6"));
    QCOMPARE(win.list()->count(), 0);
    QVERIFY(h.prompts.shown.isEmpty());

    // An address not in doors: both locks unticked, no status read.
    h.sim.clearFrames();
    win.cdoor()->addItem(QStringLiteral("42"));
    win.pick(QStringLiteral("42"));
    QVERIFY(!win.tick(0)->isChecked() && !win.tick(1)->isChecked());
    QVERIFY(win.opt(0)->isChecked() && win.opt(3)->isChecked());
    LineHome::settle();
    QVERIFY(h.sim.frames().isEmpty());
}

void FrmdoorsTest::kindClickReplacesDelay()
{
    LineHome h(LineHome::Wire::Memory);
    Window win;
    OperatorInput::typeInto(win.delay(1), QStringLiteral("9"));
    win.opt(5)->click();
    QCOMPARE(win.delay(1)->text(), QStringLiteral("0.5"));
    win.opt(3)->click();
    QCOMPARE(win.delay(1)->text(), QStringLiteral("5"));
    win.opt(4)->click();
    QCOMPARE(win.delay(1)->text(), QStringLiteral("5"));
    QCOMPARE(win.delay(0)->text(), QStringLiteral("5"));
}

// Silent, or late (it may have taken the delay): the row keeps its delays.
void FrmdoorsTest::changeDelaysUnansweredLeavesDoorsAlone_data()
{
    QTest::addColumn<int>("delayMs");  // -1: silent
    QTest::addColumn<QStringList>("messages");
    QTest::newRow("silent") << -1 << QStringList{QStringLiteral(" 锁一通讯出错"), QStringLiteral(" 锁二通讯出错")};
    const QString late = QStringLiteral("5号门的应答迟到了，修改%1延迟时间的命令可能已经执行，也可能没有，请检查后再试一次！");
    QTest::newRow("late") << 2500 << QStringList{late.arg(QStringLiteral("锁一")), late.arg(QStringLiteral("锁二"))};
}

void FrmdoorsTest::changeDelaysUnansweredLeavesDoorsAlone()
{
    QFETCH(int, delayMs);
    LineHome h(LineHome::Wire::Memory);
    h.home.exec(QStringLiteral("INSERT INTO doors (地址, delay1, dtype1, delay2, dtype2) VALUES (5, 3, '玻', 4, '玻')"));
    h.sim.addController(5).behaviour = Behaviour{.silent = delayMs < 0, .delayMs = std::max(0, delayMs)};
    Window win;
    win.enter(QStringLiteral("5"), true, true);
    OperatorInput::typeInto(win.delay(0), QStringLiteral("1"));
    OperatorInput::typeInto(win.delay(1), QStringLiteral("2"));
    win.click("Command1");
    QTEST(h.prompts.texts(), "messages");
    QCOMPARE(h.prompts.shown.at(0).icon, Prompter::Icon::None);
    QCOMPARE(stored(h.home, 5).lock[0].delay.toDouble(), 3.0);
    QCOMPARE(stored(h.home, 5).lock[1].delay.toDouble(), 4.0);
    QCOMPARE(h.sim.frames(), hexes({"05050E0E0000", "05051E1C0000"}));
}

void FrmdoorsTest::changeDelaysStoresOnlyAcknowledgedLocks()
{
    LineHome h(LineHome::Wire::Memory);
    h.home.exec(QStringLiteral("INSERT INTO doors (地址, namedr1, delay1, dtype1, delay2, dtype2) "
                               "VALUES (5, 'x', 3, '玻', 4, '玻')"));
    Controller& c = h.sim.addController(5);
    Window win;
    win.enter(QStringLiteral("5"), true, true);
    OperatorInput::typeInto(win.delay(0), QStringLiteral("0.75"));
    OperatorInput::typeInto(win.delay(1), QStringLiteral("1.25"));
    // The controller falls silent while the operator reads the first box.
    h.prompts.onShow = [&](const Prompter::Message&) { c.behaviour.silent = true; };
    win.click("Command1");
    QCOMPARE(h.prompts.texts(), (QStringList{QStringLiteral("锁一修改完毕"), QStringLiteral(" 锁二通讯出错")}));
    QCOMPARE(h.prompts.shown.at(0).icon, Prompter::Icon::None);
    QCOMPARE(stored(h.home, 5).lock[0].delay.toDouble(), 0.75);
    QCOMPARE(stored(h.home, 5).lock[1].delay.toDouble(), 4.0);
    QCOMPARE(stored(h.home, 5).lock[0].name.toString(), QStringLiteral("x"));
    QCOMPARE(c.lockDelay[0], quint8(10));
    QCOMPARE(c.lockDelay[1], quint8(70));

    // Lock 2 alone, acknowledged: only delay2 changes.
    h.prompts.onShow = {};
    c.behaviour.silent = false;
    h.prompts.clear();
    win.tick(0)->setChecked(false);
    win.click("Command1");
    QCOMPARE(h.prompts.texts(), QStringList{QStringLiteral("锁二修改完毕")});
    QCOMPARE(stored(h.home, 5).lock[0].delay.toDouble(), 0.75);
    QCOMPARE(stored(h.home, 5).lock[1].delay.toDouble(), 1.25);
    QCOMPARE(c.lockDelay[1], quint8(18));
}

void FrmdoorsTest::changeDelaysRefusesWhatCannotBeSent()
{
    LineHome h(LineHome::Wire::Memory);
    h.home.exec(QStringLiteral("INSERT INTO doors (地址, delay1, dtype1, delay2, dtype2) VALUES (5, 3, '玻', 4, '木')"));
    h.sim.addController(5);
    Window win;
    win.enter(QStringLiteral("5"), true, true);
    OperatorInput::typeInto(win.delay(0), QStringLiteral("18.2"));
    OperatorInput::typeInto(win.delay(1), QStringLiteral("18.25"));
    win.click("Command1");
    QCOMPARE(h.prompts.texts(), QStringList{QStringLiteral("控制器的开门延迟时间最长为18.2秒，请重输!")});
    LineHome::settle();
    QVERIFY(h.sim.frames().isEmpty());
    QCOMPARE(stored(h.home, 5).lock[0].delay.toDouble(), 3.0);

    h.prompts.clear();
    OperatorInput::typeInto(win.delay(1), QStringLiteral("18.2"));
    win.click("Command1");
    QCOMPARE(h.prompts.texts(), (QStringList{QStringLiteral("锁一修改完毕"), QStringLiteral("锁二修改完毕")}));
    QCOMPARE(h.sim.frames(), hexes({"05050EFF0000", "05051EFF0000"}));
    QCOMPARE(stored(h.home, 5).lock[1].delay.toDouble(), 18.2);
}

void FrmdoorsTest::deleteRemovesControllerAndCards()
{
    LineHome h(LineHome::Wire::Memory);
    h.home.exec(QStringLiteral("INSERT INTO doors (地址, dtype1) VALUES (5, '玻'), (6, '玻')"));
    h.home.exec(QStringLiteral("INSERT INTO faka (地址, 卡号) VALUES (5, '000001'), (5, '000002'), (6, '000001')"));
    Window win;
    win.enter(QStringLiteral(" 5 "), true, true);
    h.prompts.answerNext(Prompter::Answer::No);
    win.click("cmddel");
    QCOMPARE(h.prompts.last(), QStringLiteral("确信要删除地址为5的门及其相应的发卡记录吗?"));
    QCOMPARE(h.prompts.shown.last().icon, Prompter::Icon::Question);
    QCOMPARE(h.prompts.shown.last().buttons, Prompter::Buttons::YesNo);
    QCOMPARE(count(h.home, QStringLiteral("SELECT COUNT(*) FROM faka")), 3);

    h.prompts.clear();
    win.click("cmddel");
    QCOMPARE(h.prompts.shown.size(), 2);
    // The operator learns that the controller still admits its cards.
    QVERIFY(h.prompts.last().contains(QStringLiteral("门锁初始化")));
    QCOMPARE(DoorAddresses::list(h.home.db()), QList<int>{6});
    QCOMPARE(count(h.home, QStringLiteral("SELECT COUNT(*) FROM faka WHERE 地址 = 5")), 0);
    QCOMPARE(count(h.home, QStringLiteral("SELECT COUNT(*) FROM faka WHERE 地址 = 6")), 1);
    QCOMPARE(win.addresses(), QStringList{QStringLiteral("6")});
    LineHome::settle();
    QVERIFY(h.sim.frames().isEmpty());
}

void FrmdoorsTest::initialiseSilentControllerSendsNoClearLists()
{
    LineHome h(LineHome::Wire::Memory);
    h.sim.addController(5).behaviour.silent = true;
    Window win;
    win.enter(QStringLiteral("5"), true, false);
    win.opt(2)->click();
    OperatorInput::typeInto(win.delay(0), QStringLiteral("9"));
    win.click("Cmdtest");
    QCOMPARE(h.prompts.texts(), QStringList{QStringLiteral("初始化出错...")});
    // The out-of-range delay took the kind's default, silently.
    QCOMPARE(win.delay(0)->text(), QStringLiteral("0.5"));
    LineHome::settle(300);
    QCOMPARE(h.sim.frames(), hexes({"050206"}));
    // The port was given back.
    LinePort other;
    QVERIFY(other.open(Session::lineParams()).ok());
    QVERIFY(win.get<QPushButton>(QStringLiteral("Cmdadd"))->isEnabled());
}

void FrmdoorsTest::initialiseClearsController()
{
    LineHome h(LineHome::Wire::Memory);
    h.home.exec(QStringLiteral("INSERT INTO faka (地址, 卡号) VALUES (0, '000001')"));
    h.sim.addController(0);
    h.sim.command(QStringLiteral("records 0 5"));
    h.sim.controller(0)->cards.append(CardEntry{QStringLiteral("000001"), QStringLiteral("0000000001"), {}});
    Window win;
    win.enter(QStringLiteral("0"), true, true);
    win.click("Cmdtest");
    QCOMPARE(h.prompts.texts(), QStringList{QStringLiteral("初始化成功")});
    QCOMPARE(h.sim.frames(), hexes({"000206", "00020C"}));
    QVERIFY(h.sim.controller(0)->records.isEmpty());
    QVERIFY(h.sim.controller(0)->cards.isEmpty());
    // The database keeps the cards for the re-send.
    QCOMPARE(count(h.home, QStringLiteral("SELECT COUNT(*) FROM faka")), 1);
}

void FrmdoorsTest::busyPortIsReported()
{
    LineHome h(LineHome::Wire::Memory);
    h.sim.addController(5);
    h.home.exec(QStringLiteral("INSERT INTO doors (地址, dtype1) VALUES (5, '玻')"));
    LinePort holder;
    QVERIFY(holder.open(Session::lineParams()).ok());
    Window win;
    const QString held = QStringLiteral("串口通信端口没有打开：串口正被本程序的其他窗口使用，请等那个窗口的通信结束或关闭它之后再试！");
    win.pick(QStringLiteral("5"));
    QCOMPARE(h.prompts.texts(), QStringList{held});
    win.click("Cmdtest");
    QCOMPARE(h.prompts.last(), held);
    win.click("Command1");
    QCOMPARE(h.prompts.last(), held);
    for (const char* b : {"Cmdadd", "Command4", "cmddel", "Cmdtest", "Command1"})
        QVERIFY(win.get<QPushButton>(QLatin1String(b))->isEnabled());
    LineHome::settle();
    QVERIFY(h.sim.frames().isEmpty());
}

void FrmdoorsTest::controlsAreDisabledWhileExchanging()
{
    LineHome h(LineHome::Wire::Memory);
    h.home.exec(QStringLiteral("INSERT INTO doors (地址, dtype1) VALUES (5, '玻')"));
    h.sim.addController(5).behaviour.delayMs = 1200;
    Window win;
    win.w->show();
    QStringList enabledDuring;
    bool closedDuring = true;
    // Looks in the middle of the status read, while the reply is on its way.
    LineTimer during([&] {
        for (const char* b : {"Cmdadd", "Command4", "cmddel", "Cmdtest", "Command1", "Command2"}) {
            if (win.get<QPushButton>(QLatin1String(b))->isEnabled())
                enabledDuring << QLatin1String(b);
        }
        if (win.cdoor()->isEnabled())
            enabledDuring << QStringLiteral("Cdoor");
        win.w->close();
        closedDuring = !win.w->isVisible();
    });
    during.startIn(std::chrono::milliseconds(400));
    win.pick(QStringLiteral("5"));
    QVERIFY2(enabledDuring.isEmpty(), qPrintable(enabledDuring.join(QLatin1Char(' '))));
    QVERIFY(!closedDuring);
    QCOMPARE(win.list()->count(), 8);
    QVERIFY(win.get<QPushButton>(QStringLiteral("Cmdadd"))->isEnabled());
    QVERIFY(win.cdoor()->isEnabled());
}

void FrmdoorsTest::resizesInProportion()
{
    LineHome h(LineHome::Wire::Memory);
    Window win;
    win.w->show();
    QPushButton* exit = win.get<QPushButton>(QStringLiteral("Command2"));
    const QRect before = exit->geometry();
    const QSize size = win.w->size();
    win.w->resize(size.width() * 2, size.height());
    QTRY_COMPARE(exit->geometry().x(), before.x() * 2);
    QCOMPARE(exit->geometry().width(), before.width() * 2);
    QCOMPARE(exit->geometry().y(), before.y());
    win.w->resize(size);
    QTRY_COMPARE(exit->geometry(), before);
}

QTEST_MAIN(FrmdoorsTest)
#include "tst_frmdoors.moc"
