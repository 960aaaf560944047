// The card removal window against the simulator.

#include "support/CardListFixtures.h"

#include "cards/FrmDec.h"
#include "db/Clock.h"

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QtTest>

#include <memory>

namespace {

struct Window {
    std::unique_ptr<FrmDec> w = std::make_unique<FrmDec>();
    Window()
    {
        w->show();
        QVERIFY(QTest::qWaitForWindowExposed(w.get()));
    }
    QComboBox* box(const char* name) const { return child<QComboBox>(*w, name); }
    QListWidget* targets() const { return child<QListWidget>(*w, "Ldr"); }
    QPushButton* remove() const { return child<QPushButton>(*w, "Command1"); }
    QLabel* progressLine() const { return child<QLabel>(*w, "Label1"); }
    // Types into the box the way an operator does: click, then keys.
    void type(const char* name, const QString& text)
    {
        QTest::mouseClick(box(name)->lineEdit(), Qt::LeftButton);
        QTest::keyClicks(QApplication::focusWidget(), text);
    }
};

// Three controllers holding card 000001, with people of two departments.
void threeControllers(LineHome& h)
{
    h.home.exec(QStringLiteral("INSERT INTO doors (地址) VALUES (1), (2), (3)"));
    h.home.exec(QStringLiteral("INSERT INTO people (卡号, 姓名, 部门) VALUES ('000001', '张三', 'A座'), "
                               "('000002', '', 'A座'), ('000003', '王五', 'B座')"));
    for (quint8 a : {1, 2, 3}) {
        Controller& c = h.sim.addController(a);
        for (const char* card : {"000001", "000002", "000003"}) {
            issue(h, a, QString::fromLatin1(card), QStringLiteral("12345"));
            load(c, QString::fromLatin1(card), QStringLiteral("12345"));
        }
    }
}

void sameListsAsFaka(LineHome& h)
{
    for (quint8 a : {1, 2, 3})
        QCOMPARE(heldCards(h.sim, a), fakaCards(h, a));
}

}  // namespace

class FrmDecTest : public QObject {
    Q_OBJECT
private slots:
    void byCardOverThreeControllersSecondSilent();
    void unconfirmedRemovalLeavesTheCardInDoubt();
    void byControllerStopsAtAFailure_data();
    void byControllerStopsAtAFailure();
    void byDepartment();
    void cardThatCannotBeSentIsSkipped();
    void pickingACardMarksItsControllers();
    void boxesTakeDigitsAsTyped();
    void inputThatIsNoNumberRemovesNothing_data();
    void inputThatIsNoNumberRemovesNothing();
    void stopBetweenCards();
};

void FrmDecTest::byCardOverThreeControllersSecondSilent()
{
    LineHome h(LineHome::Wire::Memory);
    Clock::freeze(QDateTime(QDate(2024, 5, 6), QTime(10, 0)));
    threeControllers(h);
    h.home.exec(QStringLiteral("UPDATE faka SET 开始时间 = '08:00:00', 截止时间 = '18:00:00' WHERE 地址 = 3"));
    h.sim.controller(2)->behaviour.silent = true;
    Window win;
    pick(win.box("kh"), QStringLiteral("000001"));
    QCOMPARE(selectedTexts(win.targets()), (QStringList{"1", "2", "3"}));
    QTest::mouseClick(win.remove(), Qt::LeftButton);
    QCOMPARE(h.prompts.texts(), (QStringList{QStringLiteral("000001已从地址为1的门中删除"), QStringLiteral("通讯出错，删除失败！"),
                                             QStringLiteral("000001已从地址为3的门中删除")}));
    QCOMPARE(h.sim.frames().at(0), hex("01050D000001"));
    sameListsAsFaka(h);
    QCOMPARE(h.home.scalar(QStringLiteral("SELECT group_concat(地址 || ',' || 姓名 || ',' || 日期 || ',' || "
                                          "ifnull(开始时间, '-'), ';') FROM (SELECT * FROM dfaka ORDER BY rowid)")).toString(),
             QStringLiteral("1,张三,2024-05-06,-;3,张三,2024-05-06,08:00:00"));
    // Again: every selected controller that no longer holds it says so.
    h.prompts.clear();
    h.sim.clearFrames();
    selectTargets(win.targets(), {"1", "3"});
    QTest::mouseClick(win.remove(), Qt::LeftButton);
    QCOMPARE(h.prompts.texts(), QStringList(2, QStringLiteral("此卡没有该门的发卡记录！")));
    QVERIFY(h.sim.frames().isEmpty());
    // The lists stay as loaded.
    QCOMPARE(win.box("kh")->findText(QStringLiteral("000001")), 0);
    // A read that fails is no "not issued there", by card or by controller.
    h.prompts.clear();
    h.home.exec(QStringLiteral("ALTER TABLE faka RENAME TO faka_away"));
    QTest::mouseClick(win.remove(), Qt::LeftButton);
    win.type("dz", QStringLiteral("2"));
    QTest::mouseClick(win.remove(), Qt::LeftButton);
    QCOMPARE(h.prompts.texts(), (QStringList{QStringLiteral("读不出地址1的发卡记录，卡号000001没有删除，请检查数据库！\n"
                                                            "数据库出错，操作已停止，1、3 号门没有发送。"),
                                             QStringLiteral("读不出发卡记录，没有删除任何卡，请检查数据库！")}));
    QVERIFY(h.sim.frames().isEmpty());
}

void FrmDecTest::unconfirmedRemovalLeavesTheCardInDoubt()
{
    LineHome h(LineHome::Wire::Memory);
    threeControllers(h);
    h.sim.controller(2)->behaviour.wrongAddress = true;
    h.sim.controller(3)->behaviour.delayMs = 2500;
    Window win;
    pick(win.box("kh"), QStringLiteral("000001"));
    QTest::mouseClick(win.remove(), Qt::LeftButton);
    const QString doubt = QStringLiteral("卡号 000001 可能已从该门禁控制器删除，也可能没有，发卡记录保留。"
                                         "请用“发卡信息重整”重新发送该门的卡，使门禁控制器与数据库一致");
    QCOMPARE(h.prompts.texts().mid(1), (QStringList{QStringLiteral("2号门回答的地址不对，") + doubt,
                                                    QStringLiteral("3号门的应答迟到了，") + doubt}));
    QCOMPARE(fakaCards(h, 2) + fakaCards(h, 3), (QStringList{"000001", "000002", "000003", "000001", "000002", "000003"}));
}

void FrmDecTest::byControllerStopsAtAFailure_data()
{
    QTest::addColumn<bool>("databaseFails");
    QTest::addColumn<QStringList>("messages");
    QTest::addColumn<QStringList>("leftInFaka");
    QTest::addColumn<QStringList>("leftInController");
    QTest::newRow("third card not answered")
        << false << QStringList{"通讯出错，删除失败！", "已停止：3张卡中已确认删除2张。"} << QStringList{"000003"} << QStringList{"000003"};
    // The controller let the first card go; the database could not say so.
    QTest::newRow("history cannot be written")
        << true << QStringList{"地址2的控制器已删除卡号000001，但数据库没有写入，请检查数据库！\n"
                               "数据库出错，操作已停止，2 号门没有发送。", "已停止：3张卡中已确认删除0张。"}
        << QStringList{"000001", "000002", "000003"} << QStringList{"000002", "000003"};
}

void FrmDecTest::byControllerStopsAtAFailure()
{
    QFETCH(bool, databaseFails);
    QFETCH(QStringList, messages);
    QFETCH(QStringList, leftInFaka);
    QFETCH(QStringList, leftInController);
    LineHome h(LineHome::Wire::Memory);
    threeControllers(h);
    if (databaseFails)
        h.home.exec(QStringLiteral("CREATE TRIGGER no_history BEFORE INSERT ON dfaka BEGIN SELECT RAISE(ABORT, 'full'); END"));
    int deletes = 0;
    QObject::connect(&h.sim, &Simulator::frameReceived, &h.sim, [&](const QByteArray& f) {
        if (commandOf(f) == hex("0D") && ++deletes == 3)
            h.sim.controller(2)->behaviour.silent = true;
    });
    Window win;
    win.type("dz", QStringLiteral("2"));
    QVERIFY(child<QRadioButton>(*win.w, "Option2")->isChecked());
    QTest::mouseClick(win.remove(), Qt::LeftButton);
    QCOMPARE(h.prompts.texts(), messages);
    QCOMPARE(fakaCards(h, 2), leftInFaka);
    QCOMPARE(heldCards(h.sim, 2), leftInController);
    if (!databaseFails)
        QCOMPARE(win.progressLine()->text(), QStringLiteral("000002已从地址为 2 的门上删除!"));
    QCOMPARE(fakaCards(h, 1).size(), 3);
}

void FrmDecTest::byDepartment()
{
    LineHome h(LineHome::Wire::Memory);
    threeControllers(h);
    Window win;
    pick(win.box("bm"), QStringLiteral("A座"));
    QVERIFY(child<QRadioButton>(*win.w, "Option3")->isChecked());
    QTest::mouseClick(win.remove(), Qt::LeftButton);
    QCOMPARE(h.prompts.texts(), QStringList{QStringLiteral("请选择删除门号!")});
    h.prompts.clear();
    selectTargets(win.targets(), {"1", "3"});
    QTest::mouseClick(win.remove(), Qt::LeftButton);
    QCOMPARE(h.prompts.texts(), QStringList{QStringLiteral("部门删除完毕！")});
    QCOMPARE(fakaCards(h, 1), QStringList{QStringLiteral("000003")});
    QCOMPARE(fakaCards(h, 2).size(), 3);
    QCOMPARE(fakaCards(h, 3), QStringList{QStringLiteral("000003")});
    sameListsAsFaka(h);
    QCOMPARE(win.progressLine()->text(), QStringLiteral("000002已从 3 号门上删除！"));
    QCOMPARE(h.home.scalar(QStringLiteral("SELECT group_concat(地址 || 卡号 || 部门, ',') FROM (SELECT * FROM dfaka ORDER BY rowid)")).toString(),
             QStringLiteral("1000001A座,3000001A座,1000002A座,3000002A座"));
    QCOMPARE(h.home.scalar(QStringLiteral("SELECT count(*) FROM people")).toInt(), 3);
}

void FrmDecTest::cardThatCannotBeSentIsSkipped()
{
    LineHome h(LineHome::Wire::Memory);
    threeControllers(h);
    issue(h, 2, QStringLiteral("00001A"), QStringLiteral("1"));
    Window win;
    win.type("dz", QStringLiteral("2"));
    QTest::mouseClick(win.remove(), Qt::LeftButton);
    // No retry for it, and the run goes on.
    QCOMPARE(h.prompts.texts(), (QStringList{QStringLiteral("卡号00001A不能写成删除命令，没有发送！"), QStringLiteral("删除完毕！")}));
    QCOMPARE(fakaCards(h, 2), QStringList{QStringLiteral("00001A")});
    QCOMPARE(heldCards(h.sim, 2), QStringList());
}

void FrmDecTest::pickingACardMarksItsControllers()
{
    LineHome h(LineHome::Wire::Memory);
    h.home.exec(QStringLiteral("INSERT INTO doors (地址) VALUES (1), (3)"));  // 2 is no longer a controller
    issue(h, 1, QStringLiteral("000005"), QStringLiteral("5"));
    issue(h, 2, QStringLiteral("000005"), QStringLiteral("5"));
    issue(h, 3, QStringLiteral("000006"), QStringLiteral("6"));
    Window win;
    selectTargets(win.targets(), {"3"});
    pick(win.box("kh"), QStringLiteral("000005"));
    QCOMPARE(selectedTexts(win.targets()), QStringList{QStringLiteral("1")});
    // A typed card leaves the marking made by hand as it is.
    win.box("kh")->lineEdit()->clear();
    selectTargets(win.targets(), {"1"});
    win.type("kh", QStringLiteral("000006"));
    QTest::mouseClick(win.remove(), Qt::LeftButton);
    QCOMPARE(h.prompts.texts(), QStringList{QStringLiteral("此卡没有该门的发卡记录！")});
}

void FrmDecTest::boxesTakeDigitsAsTyped()
{
    LineHome h(LineHome::Wire::Memory);
    Window win;
    // A paste with anything but digits is refused whole; digits beyond
    // what an address can be stay for the check to refuse.
    QApplication::clipboard()->setText(QStringLiteral("1a"));
    QTest::mouseClick(win.box("dz")->lineEdit(), Qt::LeftButton);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_V, Qt::ControlModifier);
    QCOMPARE(win.box("dz")->currentText(), QString());
    win.type("dz", QStringLiteral("100"));
    QCOMPARE(win.box("dz")->currentText(), QStringLiteral("100"));
    win.type("kh", QStringLiteral("12a34"));
    QCOMPARE(win.box("kh")->currentText(), QStringLiteral("1234"));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    QVERIFY(win.remove()->hasFocus());
    QVERIFY(h.prompts.shown.isEmpty());
    win.type("kh", QStringLiteral("567"));
    QCOMPARE(win.box("kh")->currentText(), QStringLiteral("123456"));
    QTRY_VERIFY(win.remove()->hasFocus());
}

void FrmDecTest::inputThatIsNoNumberRemovesNothing_data()
{
    notANumberRows("kh");
}

void FrmDecTest::inputThatIsNoNumberRemovesNothing()
{
    QFETCH(QString, box);
    QFETCH(bool, paste);
    QFETCH(QString, text);
    QFETCH(QStringList, messages);
    LineHome h(LineHome::Wire::Memory);
    cardsOnOneAndFifteen(h, {12});
    const QStringList before = fakaSnapshot(h);
    Window win;
    selectTargets(win.targets(), {"1", "15"});
    enterInto(win.box(box.toLatin1()), paste, text);
    QCOMPARE(win.box(box.toLatin1())->currentText(), text);
    QTest::mouseClick(win.remove(), Qt::LeftButton);
    QCOMPARE(h.prompts.texts(), messages);
    QVERIFY(h.sim.frames().isEmpty());
    QCOMPARE(fakaSnapshot(h), before);
    QCOMPARE(h.home.scalar(QStringLiteral("SELECT count(*) FROM dfaka")).toInt(), 0);
    for (quint8 a : {1, 15})
        QCOMPARE(heldCards(h.sim, a), (QStringList{"000001", "123456"}));
}

void FrmDecTest::stopBetweenCards()
{
    LineHome h(LineHome::Wire::Memory);
    threeControllers(h);
    Window win;
    QObject::connect(&h.sim, &Simulator::frameReceived, &h.sim, [&](const QByteArray& f) {
        if (commandOf(f) == hex("0D"))
            QTest::mouseClick(child<QPushButton>(*win.w, "CmdStop"), Qt::LeftButton);
    });
    win.type("dz", QStringLiteral("1"));
    QTest::mouseClick(win.remove(), Qt::LeftButton);
    QCOMPARE(h.prompts.texts(), QStringList{QStringLiteral("已停止：3张卡中已确认删除1张。")});
    QCOMPARE(fakaCards(h, 1), (QStringList{"000002", "000003"}));
    sameListsAsFaka(h);
}

QTEST_MAIN(FrmDecTest)
#include "tst_frmdec.moc"
