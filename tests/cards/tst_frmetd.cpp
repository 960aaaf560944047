// The card extension window against the simulator.

#include "support/CardListFixtures.h"

#include "cards/FrmEtD.h"
#include "db/Clock.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QDateEdit>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTimeEdit>
#include <QScreen>
#include <QtTest>

#include <memory>

namespace {

struct Window {
    std::unique_ptr<FrmEtD> w = std::make_unique<FrmEtD>();
    Window()
    {
        w->show();
        QVERIFY(QTest::qWaitForWindowExposed(w.get()));
    }
    QComboBox* box(const char* name) const { return child<QComboBox>(*w, name); }
    QListWidget* targets() const { return child<QListWidget>(*w, "Ldr"); }
    QCheckBox* limit(int i) const { return child<QCheckBox>(*w, qPrintable(QStringLiteral("Ch%1").arg(i))); }
    QRadioButton* mode(const char* group, int i) const
    {
        return child<QRadioButton>(*w, qPrintable(QStringLiteral("%1%2").arg(QLatin1String(group)).arg(i)));
    }
    QDateEdit* date(int i) const { return child<QDateEdit>(*w, qPrintable(QStringLiteral("ddate%1").arg(i))); }
    QTimeEdit* time(int i) const { return child<QTimeEdit>(*w, qPrintable(QStringLiteral("dtime%1").arg(i))); }
    QLabel* lastAdded() const { return child<QLabel>(*w, "Label1"); }
    // On the box itself: the caption's far end takes no click.
    void tick(int i) { QTest::mouseClick(limit(i), Qt::LeftButton, {}, QPoint(8, limit(i)->height() / 2)); }
    void type(const char* name, const QString& text)
    {
        QTest::mouseClick(box(name)->lineEdit(), Qt::LeftButton);
        QTest::keyClicks(QApplication::focusWidget(), text);
    }
    void add() { QTest::mouseClick(child<QPushButton>(*w, "Command1"), Qt::LeftButton); }
    // Clicks the hour and steps it up with the arrow key to a whole hour.
    void setHour(int i, int hour)
    {
        QTest::mouseClick(time(i), Qt::LeftButton, {}, QPoint(8, time(i)->height() / 2));
        for (int n = 0; n < hour; ++n)
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Up);
        QCOMPARE(time(i)->time(), QTime(hour, 0));
    }
};

// Controllers 1 to 4; card 000001 (physical 12345678) on 1, 2 and 3 with
// a time limit and modes 1 and 2; card 000002 on 1; both of 研发部.
void cardsOnThree(LineHome& h)
{
    h.home.exec(QStringLiteral("INSERT INTO doors (地址) VALUES (1), (2), (3), (4)"));
    h.home.exec(QStringLiteral("INSERT INTO people (卡号, 姓名, 部门) VALUES ('000001', '张三', '研发部'), "
                               "('000002', '李四', '研发部')"));
    for (quint8 a : {1, 2, 3, 4})
        h.sim.addController(a);
    for (int a : {1, 2, 3}) {
        issue(h, a, QStringLiteral("000001"), QStringLiteral("12345678"),
              {QVariant(), QVariant(), QVariant(), QVariant(), QStringLiteral("08:00:00"), QStringLiteral("18:30:00"), 1, 2});
        load(*h.sim.controller(quint8(a)), QStringLiteral("000001"), QStringLiteral("12345678"));
    }
    issue(h, 1, QStringLiteral("000002"), QStringLiteral("22"));
    load(*h.sim.controller(1), QStringLiteral("000002"), QStringLiteral("22"));
}

void sameListsAsFaka(LineHome& h)
{
    for (quint8 a : {1, 2, 3, 4})
        QCOMPARE(heldCards(h.sim, a), fakaCards(h, a));
}

}  // namespace

class FrmEtDTest : public QObject {
    Q_OBJECT
private slots:
    void byCardSkipsWhatIsIssued();
    void byDepartmentSendsACardOnce();
    void failedSend_data();
    void failedSend();
    void unconfirmedSendLeavesTheCardInDoubt();
    void cardThatCannotBeSentIsSkipped();
    void checksComeInOrder_data();
    void checksComeInOrder();
    void targetClickClearsLimitsAndModes();
    void databaseFailureNamesTheController();
    void stoppedRunLeavesFakaAsAcknowledged();
    void inputThatIsNoNumberExtendsNothing_data();
    void inputThatIsNoNumberExtendsNothing();
};

void FrmEtDTest::byCardSkipsWhatIsIssued()
{
    LineHome h(LineHome::Wire::Memory);
    cardsOnThree(h);
    Window win;
    QVERIFY(win.box("Ckh")->hasFocus());
    pick(win.box("Ckh"), QStringLiteral("000001"));
    // The card's stored limits and its controllers come up.
    QCOMPARE(selectedTexts(win.targets()), (QStringList{"1", "2", "3"}));
    QVERIFY(win.limit(2)->isChecked() && !win.limit(0)->isChecked());
    QCOMPARE(win.time(1)->time(), QTime(18, 30));
    QVERIFY(win.mode("Op", 1)->isChecked() && win.mode("Opp", 2)->isChecked());
    // Adding controller 4 clears what was loaded; the operator sets the
    // modes again (the time limit stays off).
    QTest::mouseClick(win.targets()->viewport(), Qt::LeftButton, Qt::ControlModifier,
                      win.targets()->visualItemRect(win.targets()->item(3)).center());
    QTest::mouseClick(win.mode("Op", 1), Qt::LeftButton);
    QTest::mouseClick(win.mode("Opp", 3), Qt::LeftButton);
    win.add();
    QCOMPARE(h.prompts.texts(), (QStringList{"该卡号在1已经发卡记录！", "该卡号在2已经发卡记录！", "该卡号在3已经发卡记录！",
                                             "该卡号在地址4添加成功！"}));
    QCOMPARE(h.sim.frames(), hexes({"04150A00123456780000010000206000000000" "000000"}));
    sameListsAsFaka(h);
    QCOMPARE(h.home.scalar(QStringLiteral("SELECT 物理卡号 || ',' || ifnull(开始时间, '-') || ',' || ctrl_state1 || "
                                          "ctrl_state2 || ',' || ifnull(开始日期, '-') FROM faka WHERE 地址 = 4")).toString(),
             QStringLiteral("0012345678,-,13,-"));
}

void FrmEtDTest::byDepartmentSendsACardOnce()
{
    LineHome h(LineHome::Wire::Memory);
    cardsOnThree(h);
    Window win;
    pick(win.box("bm"), QStringLiteral("研发部"));
    QVERIFY(child<QRadioButton>(*win.w, "Option5")->isChecked());
    selectTargets(win.targets(), {"2", "4"});
    win.add();
    QCOMPARE(h.prompts.texts(), QStringList{QStringLiteral("添加完毕！")});
    // 000001 comes three times (once per controller holding it) but goes
    // to 4 once; 000002 goes to 2 and 4. No mode was chosen: in and out.
    QCOMPARE(addedCards(h.sim, 4), (QStringList{"000001", "000002"}));
    QCOMPARE(addedCards(h.sim, 2), QStringList{QStringLiteral("000002")});
    QCOMPARE(h.sim.frames().size(), 3);
    sameListsAsFaka(h);
    QCOMPARE(h.home.scalar(QStringLiteral("SELECT count(*) FROM faka WHERE 开始时间 IS NULL AND ctrl_state1 = 0")).toInt(), 4);
    QVERIFY(win.lastAdded()->text().isEmpty());
}

void FrmEtDTest::failedSend_data()
{
    QTest::addColumn<QList<int>>("answers");
    QTest::addColumn<QStringList>("onFour");
    QTest::addColumn<QString>("lastAdded");
    QTest::addColumn<QStringList>("tail");
    const int retry = int(Prompter::Answer::Retry);
    const int abort = int(Prompter::Answer::Abort);
    const int ignore = int(Prompter::Answer::Ignore);
    QTest::newRow("retry") << QList<int>{retry} << QStringList{"000001", "000002"} << QString()
                           << QStringList{"添加完毕！"};
    QTest::newRow("abort") << QList<int>{abort} << QStringList{} << QStringLiteral("卡号000001在地址2添加成功！")
                           << QStringList{"已停止：4张卡中已确认写入1张。"};
    QTest::newRow("ignore") << QList<int>{ignore, ignore} << QStringList{} << QString()
                            << QStringList{"地址4通讯出错！!", "添加完毕！"};
}

void FrmEtDTest::failedSend()
{
    QFETCH(QList<int>, answers);
    QFETCH(QStringList, onFour);
    QFETCH(QString, lastAdded);
    QFETCH(QStringList, tail);
    LineHome h(LineHome::Wire::Memory);
    cardsOnThree(h);
    h.home.exec(QStringLiteral("DELETE FROM faka WHERE 地址 = 2"));
    h.sim.controller(2)->cards.clear();
    h.sim.controller(4)->behaviour.silent = true;
    for (int a : answers)
        h.prompts.answerNext(Prompter::Answer(a));
    const bool retry = answers.first() == int(Prompter::Answer::Retry);
    h.prompts.onShow = [&](const Prompter::Message& m) {
        if (m.buttons == Prompter::Buttons::AbortRetryIgnore && retry)
            h.sim.controller(4)->behaviour.silent = false;
    };
    Window win;
    win.type("dz", QStringLiteral("1"));
    selectTargets(win.targets(), {"2", "4"});
    win.add();
    QCOMPARE(h.prompts.shown.first().text, QStringLiteral("地址4通讯出错！!"));
    QCOMPARE(h.prompts.texts().mid(1), tail);
    QCOMPARE(fakaCards(h, 4), onFour);
    QCOMPARE(win.lastAdded()->text(), lastAdded);
    sameListsAsFaka(h);
    if (retry)
        QCOMPARE(addedCards(h.sim, 4), (QStringList{"000001", "000001", "000002"}));
}

void FrmEtDTest::unconfirmedSendLeavesTheCardInDoubt()
{
    LineHome h(LineHome::Wire::Memory);
    cardsOnThree(h);
    h.sim.controller(3)->behaviour.wrongAddress = true;
    h.sim.controller(4)->behaviour.delayMs = 2500;
    h.prompts.answerNext(Prompter::Answer::Ignore);
    h.prompts.answerNext(Prompter::Answer::Ignore);
    Window win;
    win.type("Ckh", QStringLiteral("000002"));
    selectTargets(win.targets(), {"3", "4"});
    win.add();
    const QString doubt = QStringLiteral("卡号 000002 可能已经写入该门禁控制器，也可能没有，发卡记录中没有写入。"
                                         "请用“发卡信息重整”重新发送该门的卡，使门禁控制器与数据库一致");
    QCOMPARE(h.prompts.texts(), (QStringList{QStringLiteral("3号门回答的地址不对，") + doubt,
                                             QStringLiteral("4号门的应答迟到了，") + doubt}));
    QCOMPARE(h.prompts.shown.last().buttons, Prompter::Buttons::AbortRetryIgnore);
    QCOMPARE(fakaCards(h, 3) + fakaCards(h, 4), QStringList{QStringLiteral("000001")});
}

void FrmEtDTest::cardThatCannotBeSentIsSkipped()
{
    LineHome h(LineHome::Wire::Memory);
    cardsOnThree(h);
    h.home.exec(QStringLiteral("UPDATE faka SET 物理卡号 = '12AB' WHERE 卡号 = '000002'"));
    Window win;
    win.type("dz", QStringLiteral("1"));
    selectTargets(win.targets(), {"4"});
    win.add();
    QCOMPARE(h.prompts.texts(), (QStringList{QStringLiteral("卡号000002的卡号或物理卡号不能写入控制器，没有发送！"),
                                             QStringLiteral("添加完毕！")}));
    QCOMPARE(fakaCards(h, 4), QStringList{QStringLiteral("000001")});
    sameListsAsFaka(h);
}

void FrmEtDTest::checksComeInOrder_data()
{
    QTest::addColumn<QString>("setup");
    QTest::addColumn<QString>("message");
    QTest::newRow("dates reversed before an empty card") << "dates" << "日期选择错误！";
    QTest::newRow("times reversed") << "times" << "时间选择错误!";
    QTest::newRow("time range from 00:00") << "midnight"
                                           << "时间范围不能从00:00开始或到00:00结束，控制器会当作没有时间限制！";
    QTest::newRow("no card") << "" << "请选择要扩展的卡号!";
    QTest::newRow("no target before the card's rows") << "card" << "请选择目的门号地址!";
    QTest::newRow("card never issued") << "unissued" << "此卡没有发卡！";
}

void FrmEtDTest::checksComeInOrder()
{
    QFETCH(QString, setup);
    QFETCH(QString, message);
    LineHome h(LineHome::Wire::Memory);
    Clock::freeze(QDateTime(QDate(2024, 5, 6), QTime(10, 0)));
    cardsOnThree(h);
    Window win;
    if (setup == QLatin1String("dates")) {
        win.tick(0);
        win.date(0)->setDate(QDate(2024, 5, 7));
    } else if (setup == QLatin1String("times") || setup == QLatin1String("midnight")) {
        win.tick(2);
        win.setHour(0, setup == QLatin1String("times") ? 18 : 0);
        win.setHour(1, 8);
    } else if (setup == QLatin1String("card")) {
        win.type("Ckh", QStringLiteral("000009"));
    } else if (setup == QLatin1String("unissued")) {
        win.type("Ckh", QStringLiteral("000009"));
        selectTargets(win.targets(), {"4"});
    }
    win.add();
    QCOMPARE(h.prompts.texts(), QStringList{message});
    LineHome::settle();
    QVERIFY(h.sim.frames().isEmpty());
}

void FrmEtDTest::targetClickClearsLimitsAndModes()
{
    LineHome h(LineHome::Wire::Memory);
    cardsOnThree(h);
    Window win;
    pick(win.box("Ckh"), QStringLiteral("000001"));
    QVERIFY(win.limit(2)->isChecked());
    // A controller that holds the card shows its own limits ...
    QTest::mouseClick(win.targets()->viewport(), Qt::LeftButton, Qt::ControlModifier,
                      win.targets()->visualItemRect(win.targets()->item(0)).center());
    QVERIFY(win.limit(2)->isChecked() && win.mode("Op", 1)->isChecked());
    // ... one that does not clears them: nothing set for another
    // controller is carried over unseen.
    QTest::mouseClick(win.targets()->viewport(), Qt::LeftButton, Qt::ControlModifier,
                      win.targets()->visualItemRect(win.targets()->item(3)).center());
    QVERIFY(!win.limit(0)->isChecked() && !win.limit(2)->isChecked());
    for (int i = 0; i < 4; ++i)
        QVERIFY(!win.mode("Op", i)->isChecked() && !win.mode("Opp", i)->isChecked());
    QCOMPARE(win.time(0)->time(), QTime(0, 0));
    QVERIFY(win.targets()->item(3)->isSelected());
}

void FrmEtDTest::databaseFailureNamesTheController()
{
    LineHome h(LineHome::Wire::Memory);
    cardsOnThree(h);
    h.home.exec(QStringLiteral("CREATE TRIGGER refuse BEFORE UPDATE ON faka BEGIN SELECT RAISE(ABORT, 'locked'); END"));
    Window win;
    pick(win.box("Ckh"), QStringLiteral("000001"));
    selectTargets(win.targets(), {"4"});
    win.tick(2);
    win.setHour(0, 8);
    win.setHour(1, 17);
    win.add();
    QCOMPARE(h.prompts.texts(),
             QStringList{QStringLiteral("地址4的控制器已写入卡号000001，但数据库没有写入，请检查数据库！")});
    // The insert went back with its limits.
    QVERIFY(fakaCards(h, 4).isEmpty());
    QCOMPARE(heldCards(h.sim, 4), QStringList{QStringLiteral("000001")});
}

void FrmEtDTest::stoppedRunLeavesFakaAsAcknowledged()
{
    LineHome h(LineHome::Wire::Memory);
    cardsOnThree(h);
    Window win;
    bool inputsLive = true;
    QObject::connect(&h.sim, &Simulator::frameReceived, &h.sim, [&] {
        // Nothing that the run took at its start can be changed under it.
        inputsLive = win.box("dz")->isEnabled() || win.limit(0)->isEnabled() || win.targets()->isEnabled();
        QTest::mouseClick(child<QPushButton>(*win.w, "CmdStop"), Qt::LeftButton);
    });
    win.type("dz", QStringLiteral("1"));
    selectTargets(win.targets(), {"4"});
    win.add();
    QVERIFY(!inputsLive);
    QVERIFY(win.box("dz")->isEnabled());
    QCOMPARE(h.prompts.texts(), QStringList{QStringLiteral("已停止：2张卡中已确认写入1张。")});
    QCOMPARE(fakaCards(h, 4), QStringList{QStringLiteral("000001")});
    sameListsAsFaka(h);
}

QTEST_MAIN(FrmEtDTest)

void FrmEtDTest::inputThatIsNoNumberExtendsNothing_data()
{
    notANumberRows("Ckh");
}

// Extending to controllers 12 and 20, which hold no card.
void FrmEtDTest::inputThatIsNoNumberExtendsNothing()
{
    QFETCH(QString, box);
    QFETCH(bool, paste);
    QFETCH(QString, text);
    QFETCH(QStringList, messages);
    LineHome h(LineHome::Wire::Memory);
    cardsOnOneAndFifteen(h, {12, 20});
    const QStringList before = fakaSnapshot(h);
    Window win;
    enterInto(win.box(box.toLatin1()), paste, text);
    QCOMPARE(win.box(box.toLatin1())->currentText(), text);
    selectTargets(win.targets(), {"12", "20"});
    win.add();
    QCOMPARE(h.prompts.texts(), messages);
    QVERIFY(h.sim.frames().isEmpty());
    QCOMPARE(fakaSnapshot(h), before);
    for (quint8 a : {12, 20})
        QVERIFY(heldCards(h.sim, a).isEmpty());
}

#include "tst_frmetd.moc"
