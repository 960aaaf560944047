// The legacy lock window on a database with the older doors layout.

#include "support/OperatorInput.h"
#include "support/LineHome.h"

#include "doors/Frmdoor.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QToolButton>
#include <QtTest>

#include <memory>

namespace {

// The older layout: one row per door, cards tied to doors by name.
void olderLayout(const TestHome& home)
{
    home.exec(QStringLiteral("DROP TABLE doors"));
    home.exec(QStringLiteral("CREATE TABLE doors (部门号 TEXT, 门号 TEXT, 地址 INTEGER, 延迟 INTEGER, lockno INTEGER)"));
    home.exec(QStringLiteral("ALTER TABLE faka ADD COLUMN 门号 TEXT"));
    home.exec(QStringLiteral("INSERT INTO department (部门) VALUES ('一楼'), ('二楼')"));
    home.exec(QStringLiteral("INSERT INTO doors (门号, 地址, 延迟, lockno) VALUES ('A1', 5, 3, 1), ('A2', 5, 4, 2)"));
    home.exec(QStringLiteral("INSERT INTO faka (地址, 卡号, 门号) VALUES (5, '000001', 'A1'), (5, '000002', 'A2')"));
}

struct Window {
    std::unique_ptr<Frmdoor> w = std::make_unique<Frmdoor>();

    template <typename T>
    T* get(const char* name) const
    {
        return w->findChild<T*>(QLatin1String(name));
    }
    QComboBox* door() const { return get<QComboBox>("Cdoor"); }
    QLineEdit* address() const { return get<QLineEdit>("Taddress"); }
    QLineEdit* delay() const { return get<QLineEdit>("ttime"); }
    QRadioButton* lock(int i) const { return w->findChild<QRadioButton*>(QStringLiteral("Option1(%1)").arg(i)); }
    void click(const char* b) const { get<QPushButton>(b)->click(); }
    QStringList doors() const
    {
        QStringList out;
        for (int i = 0; i < door()->count(); ++i)
            out << door()->itemText(i);
        return out;
    }
    void pick(const QString& name) const { OperatorInput::pickFromList(door(), name); }
    void enter(const QString& name, const QString& addr, const QString& secs, int lockNo) const
    {
        OperatorInput::typeInto(door(), name);
        OperatorInput::typeInto(address(), addr);
        OperatorInput::typeInto(delay(), secs);
        lock(lockNo - 1)->setChecked(true);
    }
};

}  // namespace

class FrmdoorTest : public QObject {
    Q_OBJECT
private slots:
    void loadsAndShowsDoors();
    void addChecksInOrder();
    void addWritesOneDoor();
    void deleteAndModifyFollowTheDoorName();
    void changeDelayOnTheLine();
    void initialiseShowsItsSteps();
    void delayBoxTakesDigitsAndArrows();
};

void FrmdoorTest::loadsAndShowsDoors()
{
    LineHome h;
    olderLayout(h.home);
    Window win;
    QCOMPARE(win.w->windowTitle(), QStringLiteral("门锁设置"));
    QCOMPARE(win.doors(), (QStringList{QStringLiteral("A1"), QStringLiteral("A2")}));
    QCOMPARE(win.get<QComboBox>("Cdw")->count(), 2);
    win.pick(QStringLiteral("A2"));
    QCOMPARE(win.address()->text(), QStringLiteral("5"));
    QCOMPARE(win.delay()->text(), QStringLiteral("4"));
    QVERIFY(win.lock(1)->isChecked());
    // Typing another name empties the address.
    OperatorInput::typeInto(win.door(), QStringLiteral("A"));
    QCOMPARE(win.address()->text(), QString());
}

void FrmdoorTest::addChecksInOrder()
{
    LineHome h;
    olderLayout(h.home);
    Window win;
    struct Case {
        const char *name, *address, *delay, *message;
    };
    const Case cases[] = {
        {"", "5", "3", "请输入门号!"},
        {"B1", "", "3", "请输入地址!"},
        {"B1", "x", "3", "地址应为小于99的整数"},
        {"B1", "100", "3", "地址<=99，请重输"},
        {"B1", "5", "", "请输入延迟时间!"},
        {"B1", "5", "26", "延迟时间在0到25之间，请重输"},
        {"A1", "5", "3", "门号地址重复,请重设"},
    };
    for (const Case& c : cases) {
        win.enter(QString::fromUtf8(c.name), QString::fromUtf8(c.address), QString::fromUtf8(c.delay), 1);
        win.click("Cmdadd");
        QCOMPARE(h.prompts.last(), QString::fromUtf8(c.message));
    }
    QCOMPARE(h.home.scalar(QStringLiteral("SELECT COUNT(*) FROM doors")).toInt(), 2);
}

void FrmdoorTest::addWritesOneDoor()
{
    LineHome h;
    olderLayout(h.home);
    Window win;
    win.get<QComboBox>("Cdw")->setCurrentIndex(0);
    win.enter(QStringLiteral("B'1"), QStringLiteral("7"), QStringLiteral("12"), 2);
    win.click("Cmdadd");
    QCOMPARE(h.prompts.last(), QStringLiteral("已经添加完毕"));
    QCOMPARE(h.home.scalar(QStringLiteral("SELECT 地址 || '/' || 延迟 || '/' || lockno FROM doors WHERE 门号 = ?"),
                           {QStringLiteral("B'1")})
                 .toString(),
             QStringLiteral("7/12/2"));
    QVERIFY(win.doors().contains(QStringLiteral("B'1")));
}

void FrmdoorTest::deleteAndModifyFollowTheDoorName()
{
    LineHome h;
    olderLayout(h.home);
    Window win;
    win.enter(QString(), QString(), QString(), 1);
    win.click("cmddel");
    QCOMPARE(h.prompts.last(), QStringLiteral("请输入要删除的门号!"));
    win.click("Command4");
    QCOMPARE(h.prompts.last(), QStringLiteral("请输入要修改的门号!"));

    win.enter(QStringLiteral("A2"), QStringLiteral("9"), QStringLiteral("3"), 1);
    win.click("Command4");
    QCOMPARE(h.prompts.shown.at(h.prompts.shown.size() - 2).text, QStringLiteral("确信要修改A2号门吗?"));
    QCOMPARE(h.prompts.last(), QStringLiteral("若发卡信息不为空，请务必做发卡信息重整！"));
    QCOMPARE(h.home.scalar(QStringLiteral("SELECT 地址 || '/' || lockno FROM doors WHERE 门号 = 'A2'")).toString(),
             QStringLiteral("9/1"));
    QCOMPARE(h.home.scalar(QStringLiteral("SELECT 地址 FROM faka WHERE 门号 = 'A2'")).toInt(), 9);
    QCOMPARE(h.home.scalar(QStringLiteral("SELECT 地址 FROM faka WHERE 门号 = 'A1'")).toInt(), 5);

    OperatorInput::typeInto(win.door(), QStringLiteral("A1"));
    h.prompts.answerNext(Prompter::Answer::No);
    win.click("cmddel");
    QCOMPARE(h.prompts.last(), QStringLiteral("确信要删除A1号门吗?"));
    QCOMPARE(h.home.scalar(QStringLiteral("SELECT COUNT(*) FROM doors")).toInt(), 2);
    win.click("cmddel");
    QCOMPARE(h.home.scalar(QStringLiteral("SELECT COUNT(*) FROM doors WHERE 门号 = 'A1'")).toInt(), 0);
    QCOMPARE(h.home.scalar(QStringLiteral("SELECT COUNT(*) FROM faka WHERE 门号 = 'A1'")).toInt(), 0);
    QCOMPARE(h.home.scalar(QStringLiteral("SELECT COUNT(*) FROM faka")).toInt(), 1);
    QCOMPARE(win.doors(), QStringList{QStringLiteral("A2")});
}

void FrmdoorTest::changeDelayOnTheLine()
{
    LineHome h(LineHome::Waits::Short);
    olderLayout(h.home);
    Controller& c = h.sim.addController(5);
    Window win;
    win.enter(QStringLiteral("A2"), QStringLiteral("0"), QStringLiteral("3"), 2);
    win.click("Command1");
    QCOMPARE(h.prompts.last(), QStringLiteral("地址大于0并且小于等于99，请重输"));
    OperatorInput::typeInto(win.address(), QStringLiteral("5"));
    OperatorInput::typeInto(win.delay(), QString());
    win.click("Command1");
    QCOMPARE(h.prompts.last(), QStringLiteral("请输入延迟时间!"));
    // Whole seconds up to 25, but the controller holds at most 18.2.
    OperatorInput::typeInto(win.delay(), QStringLiteral("20"));
    win.click("Command1");
    QCOMPARE(h.prompts.last(), QStringLiteral("控制器的开门延迟时间最长为18.2秒，请重输!"));
    LineHome::settle();
    QVERIFY(h.sim.frames().isEmpty());

    h.prompts.clear();
    OperatorInput::typeInto(win.delay(), QStringLiteral("9"));
    win.click("Command1");
    QCOMPARE(h.prompts.texts(), QStringList{QStringLiteral("修改完毕")});
    QCOMPARE(h.prompts.shown.at(0).icon, Prompter::Icon::None);
    QCOMPARE(h.sim.frames(), hexes({"05051E7E0000"}));
    QCOMPARE(c.lockDelay[1], quint8(126));
    QCOMPARE(h.home.scalar(QStringLiteral("SELECT 延迟 FROM doors WHERE 门号 = 'A2'")).toInt(), 9);
    QCOMPARE(h.home.scalar(QStringLiteral("SELECT 延迟 FROM doors WHERE 门号 = 'A1'")).toInt(), 3);

    c.behaviour.silent = true;
    OperatorInput::typeInto(win.delay(), QStringLiteral("1"));
    win.lock(0)->setChecked(true);
    win.click("Command1");
    QCOMPARE(h.prompts.last(), QStringLiteral(" 通讯出错"));
    QCOMPARE(h.home.scalar(QStringLiteral("SELECT 延迟 FROM doors WHERE 门号 = 'A1'")).toInt(), 3);
}

void FrmdoorTest::initialiseShowsItsSteps()
{
    LineHome h(LineHome::Waits::Short);
    olderLayout(h.home);
    Controller& c = h.sim.addController(5);
    h.sim.command(QStringLiteral("records 5 4"));
    Window win;
    QLabel* mesg = win.get<QLabel>("mesg");
    QStringList steps;
    connect(&h.sim, &Simulator::frameReceived, this, [&] { steps << mesg->text(); });
    win.enter(QStringLiteral("A1"), QStringLiteral("5"), QStringLiteral("40"), 1);
    win.click("Cmdtest");
    QCOMPARE(win.delay()->text(), QStringLiteral("12"));
    QCOMPARE(steps, (QStringList{QStringLiteral("正在清除存储器..."), QStringLiteral("正在清除所有名单...")}));
    QCOMPARE(h.prompts.texts(), QStringList{QStringLiteral("初始化成功")});
    QCOMPARE(mesg->text(), QString());
    QVERIFY(c.records.isEmpty());

    c.behaviour.silent = true;
    h.sim.clearFrames();
    win.click("Cmdtest");
    QCOMPARE(h.prompts.last(), QStringLiteral("初始化出错..."));
    LineHome::settle(300);
    QCOMPARE(h.sim.frames(), hexes({"050206"}));
}

void FrmdoorTest::delayBoxTakesDigitsAndArrows()
{
    LineHome h;
    olderLayout(h.home);
    Window win;
    OperatorInput::typeInto(win.delay(), QStringLiteral("24"));
    QTest::keyClicks(win.delay(), QStringLiteral("a."));
    QTest::keyClick(win.delay(), Qt::Key_Backspace);
    QCOMPARE(win.delay()->text(), QStringLiteral("24"));
    auto* up = win.get<QToolButton>("UpDown1Up");
    auto* down = win.get<QToolButton>("UpDown1Down");
    up->click();
    up->click();
    QCOMPARE(win.delay()->text(), QStringLiteral("25"));
    OperatorInput::typeInto(win.delay(), QStringLiteral("1"));
    down->click();
    down->click();
    QCOMPARE(win.delay()->text(), QStringLiteral("0"));
}

QTEST_MAIN(FrmdoorTest)
#include "tst_frmdoor.moc"
