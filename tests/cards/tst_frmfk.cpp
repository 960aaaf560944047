// The card-issuing window against the simulator: the checks of its three
// commands, what each controller and the database hold afterwards, the
// lookup, the address click, the physical-number box and reading a card.

#include "support/LineHome.h"

#include "app/MainWindow.h"
#include "app/Tools.h"
#include "cards/CardCommands.h"
#include "cards/CardRows.h"
#include "cards/FrmFK.h"
#include "db/Clock.h"
#include "session/Session.h"
#include "support/ReadOnlyMount.h"
#include "support/PickerInput.h"

#include <QAccessible>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QDateEdit>
#include <QLineEdit>
#include <QListWidget>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QTimeEdit>
#include <QSqlQuery>
#include <QtTest>

#include <memory>

namespace {

const QDate kToday(2024, 5, 17);

// The program folder and the simulator, on a day of the test's choosing.
struct Home : LineHome {
    explicit Home(Waits w = Waits::Line, Wire on = Wire::Memory) : LineHome(w, on) { Clock::freeze(QDateTime(kToday, QTime(9, 0))); }
    ~Home() { Clock::reset(); }
};

struct Window {
    std::unique_ptr<FrmFK> w;

    Window()
    {
        w = std::make_unique<FrmFK>();
        w->show();
        if (!QTest::qWaitForWindowExposed(w.get()))
            qFatal("window not shown");
        // Without a window manager (a bare X server) nothing activates it.
        w->activateWindow();
        QApplication::setActiveWindow(w.get());
        (void)QTest::qWaitForWindowActive(w.get(), 1000);
    }

    // The operator types into a box, as it gets the focus by a click.
    void type(QWidget* box, const QString& text) const
    {
        box->setFocus();
        QTest::keyClicks(QApplication::focusWidget(), text);
    }
    // Typed over whatever the box holds.
    void typeCard(const QString& card) const
    {
        w->Tkh->setFocus();
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_A, Qt::ControlModifier);
        QTest::keyClicks(QApplication::focusWidget(), card);
    }
    // Picks controllers in the list with the mouse; Ctrl adds a row.
    void pick(const QList<int>& addresses) const
    {
        bool first = true;
        for (int a : addresses) {
            const QList<QListWidgetItem*> items = w->dooraddr->findItems(QString::number(a), Qt::MatchExactly);
            if (items.isEmpty())
                qFatal("address %d not listed", a);
            const QRect r = w->dooraddr->visualItemRect(items.front());
            QTest::mouseClick(w->dooraddr->viewport(), Qt::LeftButton,
                              first ? Qt::KeyboardModifiers() : Qt::ControlModifier, r.center());
            first = false;
        }
    }
    QList<int> selected() const
    {
        QList<int> out;
        for (int i = 0; i < w->dooraddr->count(); ++i)
            if (w->dooraddr->item(i)->isSelected())
                out << w->dooraddr->item(i)->text().toInt();
        return out;
    }
    void setTime(int i, const QString& hhmm) const
    {
        // Clicked into the hour and typed over, as an operator sets it.
        PickerInput::clickAt(w->dtime[i], 1);
        QTest::keyClicks(QApplication::focusWidget(), hhmm);
    }
    // A click on a controller that does not hold the card leaves no passing
    // mode chosen: the operator chooses both.
    void chooseModes(int lock1 = 0, int lock2 = 0) const
    {
        for (QRadioButton* b : {w->Op[lock1], w->Opp[lock2]})
            QTest::mouseClick(b, Qt::LeftButton, {}, QPoint(6, b->height() / 2));
    }
    bool noModeChosen() const
    {
        for (int i = 0; i < 4; ++i)
            if (w->Op[i]->isChecked() || w->Opp[i]->isChecked())
                return false;
        return true;
    }
    void paste(QWidget* box, const QString& text) const
    {
        box->setFocus();
        QApplication::clipboard()->setText(text);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_V, Qt::ControlModifier);
    }
    void readOnPort(int portNo) const
    {
        QTest::mouseClick(w->Option1[1], Qt::LeftButton);
        w->ComPort->setFocus();
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_A, Qt::ControlModifier);
        QTest::keyClicks(QApplication::focusWidget(), QString::number(portNo));
        QTest::mouseClick(w->Command1, Qt::LeftButton);
    }
};

// What each side holds for a controller: the simulator's card list and
// faka's rows, card and physical number each.
QStringList heldBySimulator(Simulator& sim, int address)
{
    QStringList out;
    for (const CardEntry& e : sim.controller(static_cast<quint8>(address))->cards)
        out << e.card + QLatin1Char('/') + e.physical;
    out.sort();
    return out;
}

QStringList heldByDatabase(const TestHome& home, int address)
{
    QStringList out;
    QSqlQuery q(home.db());
    q.prepare(QStringLiteral("SELECT 卡号, 物理卡号 FROM faka WHERE 地址 = ? ORDER BY 卡号"));
    q.addBindValue(address);
    q.exec();
    while (q.next())
        out << q.value(0).toString() + QLatin1Char('/') + q.value(1).toString();
    return out;
}

// A card issued on controllers as the window would have done it.
void issue(LineHome& h, const QList<int>& addresses, const QString& card, const QString& physical,
           const CardLimits& limits = {})
{
    LinePort comm;
    for (int a : addresses) {
        QVERIFY(addtodoor(comm, a, physical, card, limits, CardSendOptions::quiet(Session::lineParams())).ok());
        QString error;
        QVERIFY2(CardRows::insertIssued(h.home.db(), a, card, physical, limits, &error), qPrintable(error));
    }
    h.sim.clearFrames();
}

void addDoors(LineHome& h, const QList<int>& addresses)
{
    for (int a : addresses) {
        h.home.exec(QStringLiteral("INSERT INTO doors (地址, dtype1) VALUES (?, '玻')"), {a});
        h.sim.addController(static_cast<quint8>(a));
    }
}

}  // namespace

class FrmFKTest : public QObject {
    Q_OBJECT
private slots:

    void checksComeFirst_data();
    void checksComeFirst();
    void changeOffersRetryThenRecordsTheRemoval_data();
    void changeOffersRetryThenRecordsTheRemoval();
    void databaseFailureNamesTheController_data();
    void databaseFailureNamesTheController();
    void unconfirmedEchoLeavesTheCardInDoubt_data();
    void unconfirmedEchoLeavesTheCardInDoubt();
    void lateAddEchoIsNoDeleteAcknowledgement();
    void chatteringLineGoesOnToTheNextController();
    void lookupFillsTheWindow();
    void addressClickShowsThatControllersLimits();
    void tabThroughTheAddressListKeepsTheModes();
    void boxesReadTheirLabels_data();
    void boxesReadTheirLabels();
    void physicalNumberBox();
    void readingACard();
    void portBoxRefusesWhatIsNoPort_data();
    void portBoxRefusesWhatIsNoPort();
    void readerAddressBox();
    void secondClickShowsTheSameWindow();
    void exchangeHoldsTheButtons();
    void resizesInProportion();
    void issueChangeDeleteAsAnOperator();
};

// Each row breaks one input of an otherwise good request (card 000123,
// physical 0012345678, controller 1) and expects the first check that
// fails; nothing may reach a controller.
void FrmFKTest::checksComeFirst_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<QString>("card");
    QTest::addColumn<QString>("physical");
    QTest::addColumn<bool>("pick");
    QTest::addColumn<QString>("setup");
    QTest::addColumn<QString>("message");

    const QString c = QStringLiteral("000123"), p = QStringLiteral("0012345678");
    QTest::newRow("add: no card") << "Cmdadd" << QString() << p << true << "" << "请输入卡号！";
    QTest::newRow("add: five digits") << "Cmdadd" << "12345" << p << true << "" << "卡号必须是6位自然数！";
    QTest::newRow("add: no physical") << "Cmdadd" << c << QString() << true << "" << "请刷卡后，按读卡读入卡号";
    QTest::newRow("add: no controllers") << "Cmdadd" << c << p << false << "nodoors"
                                         << "请先在“门锁设置”处设置门锁地址";
    QTest::newRow("add: none picked") << "Cmdadd" << c << p << false << "" << "请选择门锁地址";
    QTest::newRow("add: physical of another card") << "Cmdadd" << c << "12345678" << true << "other"
                                                   << "物理卡号已经存在！";
    QTest::newRow("add: times reversed") << "Cmdadd" << c << p << true << "time 1800 0800" << "时间输入错误";
    QTest::newRow("add: time from 00:00") << "Cmdadd" << c << p << true << "time 0000 0800"
                                          << "时间限制不能从0:00开始或到0:00结束（控制器把0:00当作不限时间）";
    QTest::newRow("add: no such end date") << "Cmdadd" << c << p << true << "end 20250231" << "“使用时间限制： 结束日期”里的日期不存在，请重新输入！";
    QTest::newRow("add: time ending 24:00") << "Cmdadd" << c << p << true << "time 0800 2400" << "“使用时间限制： 结束时间”里的时间不存在，请重新输入！";
    QTest::newRow("add: dates reversed") << "Cmdadd" << c << p << true << "dates" << "日期有错";
    QTest::newRow("add: no passing mode") << "Cmdadd" << c << p << true << "nomode" << "请选择锁号1的进出控制";

    QTest::newRow("change: physical before card") << "cmdchg" << QString() << p << true << "other"
                                                  << "物理卡号已经存在！";
    QTest::newRow("change: no card") << "cmdchg" << QString() << p << true << "" << "请输入卡号";
    QTest::newRow("change: no physical") << "cmdchg" << c << QString() << true << "issued" << "请输入物理卡号";
    QTest::newRow("change: nine digits") << "cmdchg" << c << "001234567" << true << "issued"
                                         << "请按“读卡”按扭读入卡号";
    QTest::newRow("change: none picked") << "cmdchg" << c << p << false << "issued" << "请选择要修改的地址！";
    QTest::newRow("change: time from 00:00") << "cmdchg" << c << p << true << "issued time 0000 1200"
                                           << "时间限制不能从0:00开始或到0:00结束（控制器把0:00当作不限时间）";
    QTest::newRow("change: weekdays reversed") << "cmdchg" << c << p << true << "issued week" << "星期输入错误";
    QTest::newRow("change: no passing mode") << "cmdchg" << c << p << true << "issued nomode"
                                             << "请选择锁号1的进出控制";
    QTest::newRow("change: not issued") << "cmdchg" << c << p << true << "" << "该卡号没有发卡记录!";

    QTest::newRow("delete: no card") << "Cmddel" << QString() << p << true << "" << "请输入卡号";
    QTest::newRow("delete: no physical") << "Cmddel" << c << QString() << true << "issued" << "请输入卡号";
    QTest::newRow("delete: nine digits") << "Cmddel" << c << "001234567" << true << "issued"
                                         << "请按“读卡”按扭读入卡号";
    QTest::newRow("delete: not issued") << "Cmddel" << c << p << true << "" << "找不到该卡号对应的门号";
    QTest::newRow("add: faka unreadable") << "Cmdadd" << c << p << true << "unreadable" << "读不出发卡记录，没有向任何门发送，请检查数据库！";
    QTest::newRow("delete: faka unreadable") << "Cmddel" << c << p << true << "issued unreadable" << "读不出发卡记录，没有向任何门发送，请检查数据库！";
    QTest::newRow("delete: none picked") << "Cmddel" << c << p << false << "issued" << "请选择从哪个门删除";
}

void FrmFKTest::checksComeFirst()
{
    QFETCH(QString, button);
    QFETCH(QString, card);
    QFETCH(QString, physical);
    QFETCH(bool, pick);
    QFETCH(QString, setup);
    QFETCH(QString, message);

    Home h;
    if (!setup.contains(QLatin1String("nodoors")))
        addDoors(h, {1, 2});
    if (setup.contains(QLatin1String("other")))
        issue(h, {2}, QStringLiteral("000999"), QStringLiteral("0012345678"));
    if (setup.contains(QLatin1String("issued"))) {
        CardLimits l;
        l.weekStart = setup.contains(QLatin1String("week")) ? 6 : 0;
        l.weekEnd = setup.contains(QLatin1String("week")) ? 2 : 0;
        issue(h, {1}, QStringLiteral("000123"), QStringLiteral("0012345678"), l);
    }
    Window win;
    if (!card.isEmpty())
        win.typeCard(card);
    win.w->tcard->clear();  // the lookup may have filled it
    if (!physical.isEmpty())
        win.type(win.w->tcard, physical);
    if (pick)
        win.pick({1});
    else
        win.w->dooraddr->clearSelection();
    if (setup.contains(QLatin1String("time"))) {
        const QStringList parts = setup.mid(setup.indexOf(QLatin1String("time"))).split(QLatin1Char(' '));
        QTest::mouseClick(win.w->Ch[2], Qt::LeftButton);
        win.w->Ch[2]->setChecked(true);
        win.setTime(0, parts[1]);
        win.setTime(1, parts[2]);
    }
    if (setup.startsWith(QLatin1String("end "))) {
        PickerInput::clickAt(win.w->ddate[1], 1);
        QTest::keyClicks(QApplication::focusWidget(), setup.mid(4));
    }
    if (setup.contains(QLatin1String("dates"))) {
        win.w->Ch[0]->setChecked(true);
        win.w->ddate[0]->setDate(kToday.addDays(3));
    }
    if (setup.contains(QLatin1String("nomode")))
        win.pick({2});  // holds nothing: the passing modes are cleared
    if (setup.contains(QLatin1String("unreadable")))
        h.home.exec(QStringLiteral("ALTER TABLE faka RENAME TO faka_away"));
    h.prompts.clear();
    h.sim.clearFrames();

    win.w->findChild<QPushButton*>(button)->click();
    QCOMPARE(h.prompts.texts(), QStringList{message});
    LineHome::settle();
    QVERIFY(h.sim.frames().isEmpty());
    if (setup.contains(QLatin1String("unreadable")))
        h.home.exec(QStringLiteral("ALTER TABLE faka_away RENAME TO faka"));
    QCOMPARE(h.home.scalar(QStringLiteral("SELECT count(*) FROM faka WHERE 卡号 = '000123'")).toInt(), int(setup.contains(QLatin1String("issued"))));
    if (setup.contains(QLatin1String("dates")))
        QCOMPARE(win.w->ddate[0]->date(), kToday);
}

void FrmFKTest::changeOffersRetryThenRecordsTheRemoval_data()
{
    QTest::addColumn<QString>("fault");
    QTest::addColumn<QString>("offer");
    QTest::addColumn<QString>("outcome");
    QTest::addColumn<QStringList>("faka");
    QTest::addColumn<bool>("removalRecorded");
    const QString silent = QStringLiteral("4号门通讯出错：卡号 000777 已从该门删除，新的设置没有写入。重试吗？");
    const QString wrong =
        QStringLiteral("4号门回答的地址不对：卡号 000777 已从该门删除，新的设置可能已经写入，也可能没有。重试吗？");
    const QString unknown = QStringLiteral("卡号 000777 的修改没有写入 4 号门，该门禁控制器中现在是否还有此卡无法确定，"
                                           "发卡记录保留。请用“发卡信息重整”重新发送该门的卡，使门禁控制器与数据库一致");
    const QStringList kept{QStringLiteral("000777/0000000777")};
    // The controller takes the delete, then falls silent for the add and
    // for the delete after Cancel.
    QTest::newRow("silent") << QStringLiteral("silent") << silent << unknown << kept << false;
    // It takes the add but answers from a wrong address, and so it
    // answers the delete after Cancel.
    QTest::newRow("wrong address") << QStringLiteral("wrong") << wrong << unknown << kept << false;
    QTest::newRow("wrong address to the add only")
        << QStringLiteral("wrongAddOnly") << wrong << QStringLiteral("卡号 000777 已从 4 号门删除，修改没有写入；该卡已记入退卡记录")
        << QStringList() << true;
}

void FrmFKTest::changeOffersRetryThenRecordsTheRemoval()
{
    QFETCH(QString, fault);
    QFETCH(QString, offer);
    QFETCH(QString, outcome);
    Home h(Home::Waits::Short);
    addDoors(h, {4});
    issue(h, {4}, QStringLiteral("000777"), QStringLiteral("0000000777"));
    bool added = false;
    connect(&h.sim, &Simulator::frameReceived, this, [&](const QByteArray& f) {
        Behaviour& b = h.sim.controller(4)->behaviour;
        if (f.size() > 2 && quint8(f.at(2)) == 0x0A) {
            added = true;
            (fault == QLatin1String("silent") ? b.silent : b.wrongAddress) = true;
        } else if (added && fault == QLatin1String("wrongAddOnly")) {
            b.wrongAddress = false;
        }
    });
    Window win;
    win.typeCard(QStringLiteral("000777"));
    h.prompts.clear();
    h.prompts.answerNext(Prompter::Answer::Retry);
    h.prompts.answerNext(Prompter::Answer::Cancel);
    win.w->cmdchg->click();
    QCOMPARE(h.prompts.texts(), (QStringList{offer, offer, outcome}));
    QCOMPARE(h.sim.frames().size(), 4);  // the delete, the add, its retry and the delete after Cancel
    QTEST(heldByDatabase(h.home, 4), "faka");
    QFETCH(bool, removalRecorded);
    QCOMPARE(h.home.scalar(QStringLiteral("SELECT 日期 FROM dfaka WHERE 卡号 = '000777'")).toString(),
             removalRecorded ? QStringLiteral("2024-05-17") : QString());
    // Whatever the database says, no row claims the card is off a door
    // whose controller holds it.
    if (!heldBySimulator(h.sim, 4).isEmpty())
        QVERIFY(!removalRecorded && !heldByDatabase(h.home, 4).isEmpty());
}

void FrmFKTest::databaseFailureNamesTheController_data()
{
    QTest::addColumn<QList<int>>("doors");  // more than one: on a full disk
    QTest::newRow("a refused row") << QList<int>{3};
    QTest::newRow("a full disk, three controllers") << QList<int>{1, 2, 3};
}

// The first controller the database cannot record ends the issue there.
void FrmFKTest::databaseFailureNamesTheController()
{
    QFETCH(QList<int>, doors);
    const bool fullDisk = doors.size() > 1;
    Home h;
    std::optional<FullDisk> disk;
    if (fullDisk && (!disk.emplace().ready || !h.sim.makeLink(disk->dir.path(), LineHome::kPort)))
        QSKIP("cannot mount a small file system here");
    addDoors(h, doors);
    disk ? disk->fill()
         : h.home.exec(QStringLiteral("CREATE TRIGGER no_people BEFORE INSERT ON people BEGIN SELECT RAISE(ABORT, 'disk full'); END"));
    Window win;
    win.typeCard(QStringLiteral("000321"));
    win.type(win.w->tcard, QStringLiteral("321"));
    win.pick(doors);
    win.chooseModes();
    h.prompts.clear();
    win.w->Cmdadd->click();
    QCOMPARE(h.prompts.shown.size(), 1);
    QVERIFY2(h.prompts.last().startsWith(QStringLiteral("%1 号门已收到卡号 000321，但数据库没有记下").arg(doors.first())) &&
                 h.prompts.last().endsWith(doors.size() > 1 ? QStringLiteral("2、3 号门没有发送。") : QString()),
             qPrintable(h.prompts.last()));
    // Only the first controller was sent the card; its row and the person were rolled back together.
    QCOMPARE(h.sim.frames().size(), 1);
    QCOMPARE(heldBySimulator(h.sim, doors.first()), QStringList{QStringLiteral("000321/0000000321")});
    QCOMPARE(heldByDatabase(h.home, doors.first()), QStringList());
}

void FrmFKTest::lookupFillsTheWindow()
{
    Home h;
    addDoors(h, {3, 5});
    h.home.exec(QStringLiteral("INSERT INTO people (卡号, 姓名, 职务, 部门, 身份证号) "
                               "VALUES ('000456', '王五', '经理', '二号楼', '110')"));
    CardLimits l;
    l.weekStart = 0;
    l.weekEnd = 5;
    l.startTime = QTime(7, 30);
    l.endTime = QTime(20, 0);
    l.endDate = QDate(2024, 12, 31);
    l.startDate = QDate(2024, 1, 1);
    l.lock1Mode = 2;
    l.lock2Mode = 3;
    // Controller 9 is no longer among the doors.
    h.sim.addController(9);
    issue(h, {3, 9}, QStringLiteral("000456"), QStringLiteral("0000004567"), l);
    Window win;
    win.paste(win.w->Tkh, QStringLiteral(" 000456 "));  // refused whole: blanks are no digits
    QVERIFY(win.w->Tkh->currentText().isEmpty());
    win.paste(win.w->Tkh, QStringLiteral("000456"));
    QCOMPARE(win.w->Tname->text(), QStringLiteral("王五"));
    QCOMPARE(win.w->Tzhiwu->text(), QStringLiteral("经理"));
    QCOMPARE(win.w->Cdw->text(), QStringLiteral("二号楼"));
    QCOMPARE(win.w->tsfz->text(), QStringLiteral("110"));
    QCOMPARE(win.w->tcard->text(), QStringLiteral("0000004567"));
    QCOMPARE(win.selected(), QList<int>{3});
    QVERIFY(win.w->Ch[0]->isChecked() && win.w->Ch[1]->isChecked() && win.w->Ch[2]->isChecked());
    QCOMPARE(win.w->tweek[0]->currentIndex(), -1);
    QCOMPARE(win.w->tweek[1]->currentText(), QStringLiteral("星期四"));
    QCOMPARE(win.w->dtime[0]->time(), QTime(7, 30));
    QCOMPARE(win.w->ddate[1]->date(), QDate(2024, 12, 31));
    QVERIFY(win.w->Op[2]->isChecked() && win.w->Opp[3]->isChecked());

    // A person without a card: the holder's fields, no physical number.
    h.home.exec(QStringLiteral("INSERT INTO people (卡号, 姓名) VALUES ('000457', '赵六')"));
    win.w->Tkh->setFocus();
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("000457"));
    QCOMPARE(win.w->Tname->text(), QStringLiteral("赵六"));
    QVERIFY(win.w->tcard->text().isEmpty());
    QVERIFY(win.selected().isEmpty());
}

void FrmFKTest::addressClickShowsThatControllersLimits()
{
    Home h;
    addDoors(h, {1, 2});
    CardLimits l;
    l.lock1Mode = 1;
    l.lock2Mode = 2;
    l.startTime = QTime(6, 0);
    l.endTime = QTime(22, 0);
    issue(h, {1}, QStringLiteral("000111"), QStringLiteral("0000000111"), l);
    Window win;
    // With no card number a click changes nothing.
    win.pick({2});
    QVERIFY(win.w->Op[0]->isChecked());
    win.typeCard(QStringLiteral("000111"));
    win.pick({2});
    QVERIFY(win.noModeChosen());
    QVERIFY(!win.w->Ch[2]->isChecked());
    QCOMPARE(win.w->dtime[0]->time(), QTime(0, 0));
    win.pick({1});
    QVERIFY(win.w->Op[1]->isChecked() && win.w->Opp[2]->isChecked());
    QVERIFY(win.w->Ch[2]->isChecked());
    QCOMPARE(win.w->dtime[1]->time(), QTime(22, 0));
}

void FrmFKTest::tabThroughTheAddressListKeepsTheModes()
{
    Home h;
    addDoors(h, {3, 5});
    h.home.exec(QStringLiteral("INSERT INTO people (卡号, 姓名) VALUES ('000457', '赵六')"));
    Window win;
    // As the window opens (进出 for both locks) and as the operator chose.
    for (const auto& [lock1, lock2] : {std::pair(0, 0), std::pair(1, 2)}) {
        if (lock1 != 0)
            win.chooseModes(lock1, lock2);
        win.typeCard(QStringLiteral("000457"));
        QCOMPARE(win.w->Tname->text(), QStringLiteral("赵六"));
        for (int i = 0; i < 10 && QApplication::focusWidget() != win.w->dooraddr; ++i)
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), win.w->dooraddr);
        // The focus entering the reader's address chose reading from the reader.
        QVERIFY(win.w->Option1[1]->isChecked());
        QVERIFY(win.w->Op[lock1]->isChecked());
        QVERIFY(win.w->Opp[lock2]->isChecked());
        QVERIFY(win.selected().isEmpty());
        // A row chosen by keys is no click on it either.
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Space);
        QCOMPARE(win.selected(), QList<int>{3});
        QVERIFY(win.w->Op[lock1]->isChecked());
        QVERIFY(win.w->Opp[lock2]->isChecked());
        win.w->dooraddr->clearSelection();
    }
}

void FrmFKTest::boxesReadTheirLabels_data()
{
    QTest::addColumn<QString>("box");
    QTest::addColumn<QString>("label");
    QTest::newRow("card") << "Tkh" << "卡号：";
    QTest::newRow("physical") << "tcard" << "* 物理卡号：";
    QTest::newRow("port") << "ComPort" << "串口号";
    QTest::newRow("reader") << "Cdk" << "发卡机地址";
    QTest::newRow("name") << "Tname" << "姓名：";
    QTest::newRow("position") << "Tzhiwu" << "职务：";
    QTest::newRow("building") << "Cdw" << "大厦：";
    QTest::newRow("id") << "tsfz" << "身份证：";
}

void FrmFKTest::boxesReadTheirLabels()
{
    QFETCH(QString, box);
    QFETCH(QString, label);
    Home h;
    Window win;
    auto* w = win.w->findChild<QWidget*>(box);
    QVERIFY(w);
    QAccessibleInterface* a = QAccessible::queryAccessibleInterface(w);
    QVERIFY(a);
    // A screen reader finds the label through the relation, before the
    // group's title; a text box also takes it as its name (a combo box's
    // name is its text).
    QStringList labels;
    for (const auto& [other, relation] : a->relations(QAccessible::Label))
        labels << other->text(QAccessible::Name);
    QCOMPARE(labels.value(0), label);
    if (qobject_cast<QLineEdit*>(w))
        QCOMPARE(a->text(QAccessible::Name), label);
}

void FrmFKTest::physicalNumberBox()
{
    Home h;
    addDoors(h, {1});
    Window win;
    win.type(win.w->tcard, QStringLiteral("12a34-5678 9"));
    QCOMPARE(win.w->tcard->text(), QStringLiteral("123456789"));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    QCOMPARE(h.prompts.texts(), QStringList{QStringLiteral("卡号长度应为10")});
    QCOMPARE(QApplication::focusWidget(), win.w->tcard);
    // The tenth digit moves the focus on.
    QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("0"));
    QVERIFY(QApplication::focusWidget() != win.w->tcard);
    // A paste brings digits only.
    win.w->tcard->clear();
    win.paste(win.w->tcard, QStringLiteral("12ab34"));
    QVERIFY(win.w->tcard->text().isEmpty());
}

void FrmFKTest::readingACard()
{
    Home h;
    addDoors(h, {1});
    Reader& reader = h.sim.setReader(0);
    QVERIFY(h.sim.layCard(QStringLiteral("1234567890")));
    Session::ReaderAddress = 0;
    Window win;
    QVERIFY(!win.w->Command1->isVisible());

    reader.behaviour.wrongAddress = true;
    win.readOnPort(LineHome::kPort);
    QCOMPARE(h.prompts.texts(), QStringList{QStringLiteral("通讯出错")});
    QVERIFY(win.w->tcard->text().isEmpty());

    reader.behaviour.wrongAddress = false;
    QTest::mouseClick(win.w->Command1, Qt::LeftButton);
    QCOMPARE(win.w->tcard->text(), QStringLiteral("1234567890"));
    QCOMPARE(h.sim.frames(), hexes({"00020B", "00020B"}));

    // The read left the port closed: a controller command opens it afresh.
    win.typeCard(QStringLiteral("000001"));
    win.type(win.w->tcard, QStringLiteral("1234567890"));
    win.pick({1});
    win.chooseModes();
    h.prompts.clear();
    win.w->Cmdadd->click();
    QCOMPARE(h.prompts.texts(), QStringList{QStringLiteral("卡号 000001 已经添加,它能开 1 号门")});
}

void FrmFKTest::portBoxRefusesWhatIsNoPort_data()
{
    QTest::addColumn<QString>("typed");
    QTest::newRow("zero") << "0";
    QTest::newRow("above a 16-bit port") << "32768";
    QTest::newRow("past a whole int") << "4294967297";
    QTest::newRow("empty") << "";
}

void FrmFKTest::portBoxRefusesWhatIsNoPort()
{
    QFETCH(QString, typed);
    Home h;
    addDoors(h, {1});
    h.sim.setReader(0);
    QVERIFY(h.sim.layCard(QStringLiteral("1234567890")));
    Session::ReaderAddress = 0;
    Window win;
    QTest::mouseClick(win.w->Option1[1], Qt::LeftButton);
    win.w->ComPort->setFocus();
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Delete);
    QTest::keyClicks(QApplication::focusWidget(), typed);
    QCOMPARE(win.w->ComPort->currentText(), typed);
    QTest::mouseClick(win.w->Command1, Qt::LeftButton);
    QCOMPARE(h.prompts.texts(), QStringList{QStringLiteral("串口号必须是1到32767的整数！")});
    QVERIFY(h.sim.frames().isEmpty());
    QVERIFY(win.w->tcard->text().isEmpty());
}

void FrmFKTest::readerAddressBox()
{
    Home h;
    addDoors(h, {1});
    Session::ReaderAddress = 7;
    Window win;
    win.type(win.w->Cdk, QStringLiteral("42"));
    QVERIFY(win.w->Option1[1]->isChecked());
    QVERIFY(win.w->Command1->isVisible());
    // The address is taken whole as the operator leaves the box, never a prefix of it.
    QCOMPARE(Session::ReaderAddress, qint16(7));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    QCOMPARE(Session::ReaderAddress, qint16(42));
    win.type(win.w->Cdk, QStringLiteral("0"));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    QCOMPARE(h.prompts.texts(), QStringList{QStringLiteral("发卡机地址应为0到99")});
    QCOMPARE(win.w->Cdk->currentText(), QStringLiteral("420"));
    QCOMPARE(Session::ReaderAddress, qint16(42));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backspace);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    QCOMPARE(Session::ReaderAddress, qint16(0));
}

void FrmFKTest::secondClickShowsTheSameWindow()
{
    Home h;
    addDoors(h, {1});
    menu m;
    m.load();
    m.triggerTool(17);
    QPointer<QWidget> w = m.openWindow(17);
    QVERIFY(qobject_cast<FrmFK*>(w.data()));
    QCOMPARE(w->windowModality(), Qt::NonModal);
    m.triggerTool(17);
    QCOMPARE(m.openWindow(17), w.data());
    w->close();
}

void FrmFKTest::exchangeHoldsTheButtons()
{
    Home h;
    addDoors(h, {1});
    h.sim.controller(1)->behaviour.delayMs = 600;
    Window win;
    win.typeCard(QStringLiteral("000123"));
    win.type(win.w->tcard, QStringLiteral("1"));
    win.pick({1});
    win.chooseModes();
    QList<bool> enabledDuring;
    bool closedDuring = true;
    connect(&h.sim, &Simulator::frameReceived, this, [&] {
        for (QPushButton* b : {win.w->Cmdadd, win.w->cmdchg, win.w->Cmddel, win.w->Command1, win.w->Command2})
            enabledDuring << b->isEnabled();
        closedDuring = win.w->close();
    });
    win.w->Cmdadd->click();
    QCOMPARE(enabledDuring, QList<bool>(5, false));
    QVERIFY(!closedDuring);
    QVERIFY(win.w->isVisible());
    QVERIFY(win.w->Cmdadd->isEnabled() && win.w->Command2->isEnabled());
}

void FrmFKTest::resizesInProportion()
{
    Home h;
    addDoors(h, {1});
    Window win;
    const QRect before = win.w->findChild<QWidget*>(QStringLiteral("Frame2"))->geometry();
    const QSize size = win.w->size();
    win.w->resize(size.width() * 2, size.height());
    const QRect after = win.w->findChild<QWidget*>(QStringLiteral("Frame2"))->geometry();
    QCOMPARE(after.x(), before.x() * 2);
    QCOMPARE(after.width(), before.width() * 2);
    QCOMPARE(after.height(), before.height());
    win.w->resize(size);
    QCOMPARE(win.w->findChild<QWidget*>(QStringLiteral("Frame2"))->geometry(), before);
}

// A card read on the reader goes to three controllers of which the first
// is silent, is changed and deleted while another falls silent: each
// controller's rows change only with its echo, so the simulator's card
// lists and faka agree throughout. With DOOR_SHOTS naming a folder, each
// stage is saved there as a picture for a person to look at.
void FrmFKTest::issueChangeDeleteAsAnOperator()
{
    Home h(Home::Waits::Short, Home::Wire::Terminal);  // end to end
    addDoors(h, {1, 2, 5});
    h.sim.controller(1)->behaviour.silent = true;
    h.sim.setReader(1);
    QVERIFY(h.sim.layCard(QStringLiteral("87654321")));
    Session::ReaderAddress = 1;
    Window win;
    const QString shots = qEnvironmentVariable("DOOR_SHOTS");
    auto shot = [&](const char* name) {
        if (!shots.isEmpty())
            win.w->grab().save(shots + QLatin1Char('/') + QLatin1String(name) + QStringLiteral(".png"));
    };
    auto sidesAgree = [&] {
        for (int a : {1, 2, 5})
            QCOMPARE(heldBySimulator(h.sim, a), heldByDatabase(h.home, a));
    };

    win.typeCard(QStringLiteral("000888"));
    win.readOnPort(LineHome::kPort);
    QCOMPARE(win.w->tcard->text(), QStringLiteral("0087654321"));
    win.paste(win.w->Tname, QStringLiteral("O'Brien 周"));
    win.pick({1, 2, 5});
    win.chooseModes(1, 0);
    win.w->Ch[0]->setChecked(true);
    PickerInput::clickAt(win.w->ddate[1], 1);
    QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("20250228"));
    shot("1-before-add");
    h.prompts.clear();
    win.w->Cmdadd->click();
    QCOMPARE(h.prompts.texts(), (QStringList{QStringLiteral("1号门通讯出错"),
                                             QStringLiteral("卡号 000888 已经添加,它能开 2 号门"),
                                             QStringLiteral("卡号 000888 已经添加,它能开 5 号门")}));
    sidesAgree();
    QCOMPARE(heldByDatabase(h.home, 5), QStringList{QStringLiteral("000888/0087654321")});
    QCOMPARE(h.home.scalar(QStringLiteral("SELECT 姓名 FROM people WHERE 卡号 = '000888'")).toString(),
             QStringLiteral("O'Brien 周"));
    QCOMPARE(h.sim.controller(2)->cards.front().lock1Mode(), 1);
    // The last controller of the list took the card: the inputs are emptied
    // and the new card number is offered in the list.
    QVERIFY(win.w->tcard->text().isEmpty());
    QVERIFY(win.w->Tkh->findText(QStringLiteral("000888")) >= 0);

    win.typeCard(QStringLiteral("000888"));
    QCOMPARE(win.selected(), (QList<int>{2, 5}));
    QVERIFY(win.w->Op[1]->isChecked());
    shot("2-looked-up");
    h.sim.controller(5)->behaviour.silent = true;
    QTest::mouseClick(win.w->Opp[3], Qt::LeftButton, {}, QPoint(6, win.w->Opp[3]->height() / 2));
    win.w->Ch[2]->setChecked(true);
    win.setTime(0, QStringLiteral("0800"));
    win.setTime(1, QStringLiteral("2359"));
    h.prompts.clear();
    win.w->cmdchg->click();
    QCOMPARE(h.prompts.texts(), (QStringList{QStringLiteral("卡号 000888 已经在2 号门修改成功！"),
                                             QStringLiteral("5号门通讯出错")}));
    QCOMPARE(h.sim.controller(2)->cards.front().lock2Mode(), 3);
    QCOMPARE(h.sim.controller(2)->cards.front().startTime(), QTime(8, 0));
    const CardEntry& two = h.sim.controller(2)->cards.front();
    QCOMPARE(QDateTime(two.endDate(), two.endTime()), QDateTime(QDate(2025, 2, 28), QTime(23, 59)));
    QCOMPARE(h.home.scalar(QStringLiteral("SELECT 截止日期 || ' ' || 截止时间 FROM faka WHERE 地址 = 2")).toString(), QStringLiteral("2025-02-28 23:59:00"));
    QCOMPARE(h.home.scalar(QStringLiteral("SELECT group_concat(地址 || ':' || ctrl_state2 || ':' || "
                                          "ifnull(开始时间, '-')) FROM (SELECT * FROM faka ORDER BY 地址)"))
                 .toString(),
             QStringLiteral("2:3:08:00:00,5:0:-"));
    shot("3-changed");

    h.prompts.clear();
    win.w->Cmddel->click();
    QCOMPARE(h.prompts.texts(), (QStringList{QStringLiteral("0087654321已从地址为2的门中删除"),
                                             QStringLiteral("通信出错!")}));
    sidesAgree();
    QCOMPARE(heldByDatabase(h.home, 5), QStringList{QStringLiteral("000888/0087654321")});
    QCOMPARE(h.home.scalar(QStringLiteral("SELECT 地址 || ' ' || 日期 || ' ' || 姓名 || ' ' || 开始时间 FROM dfaka"))
                 .toString(),
             QStringLiteral("2 2024-05-17 O'Brien 周 08:00:00"));
    QVERIFY(win.w->Tkh->currentText().isEmpty());
    shot("4-deleted");
}

// Controller 3 answers from a wrong address or late: the box says it may have acted; faka keeps only what was confirmed.
void FrmFKTest::unconfirmedEchoLeavesTheCardInDoubt_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<int>("delayMs");  // 0: a wrong address at once
    QTest::addColumn<QStringList>("message");
    QTest::addColumn<int>("rowsLeft");
    QTest::addColumn<bool>("exitMeanwhile");  // 退出 → 是 while the controller is awaited
    const QString fix = QStringLiteral("请用“发卡信息重整”重新发送该门的卡，使门禁控制器与数据库一致");
    const QString wrong = QStringLiteral("3号门回答的地址不对，"), late = QStringLiteral("3号门的应答迟到了，");
    const QString added = QStringLiteral("卡号 000123 可能已经写入该门禁控制器，也可能没有，发卡记录中没有写入。") + fix;
    const QString removed = QStringLiteral("卡号 000123 可能已从该门禁控制器删除，也可能没有，发卡记录保留。") + fix;
    for (auto [name, button] : {std::pair{"add", "Cmdadd"}, {"change", "cmdchg"}, {"delete", "Cmddel"}}) {
        const bool add = qstrcmp(button, "Cmdadd") == 0;
        QTest::addRow("%s, wrong address", name) << button << 0 << QStringList{wrong + (add ? added : removed)} << int(!add) << false;
        QTest::addRow("%s, late", name) << button << 2500 << QStringList{late + (add ? added : removed)} << int(!add) << false;
    }
    QTest::addRow("add, late, 退出 meanwhile") << "Cmdadd" << 2500 << QStringList{QStringLiteral("您真要关闭门禁管理系统？"), late + added} << 0 << true;
}

void FrmFKTest::unconfirmedEchoLeavesTheCardInDoubt()
{
    QFETCH(QString, button);
    QFETCH(int, delayMs);
    Home h;
    addDoors(h, {3});
    const bool add = button == QLatin1String("Cmdadd");
    if (!add)
        issue(h, {3}, QStringLiteral("000123"), QStringLiteral("0012345678"));
    Window win;
    win.typeCard(QStringLiteral("000123"));
    if (add) {
        win.type(win.w->tcard, QStringLiteral("0012345678"));
        win.pick({3});
        win.chooseModes();
    }
    h.sim.controller(3)->behaviour = Behaviour{.delayMs = delayMs, .wrongAddress = delayMs == 0};
    h.prompts.clear();
    // The program ends only once the operator has read of controller 3.
    QFETCH(bool, exitMeanwhile);
    menu m;
    QSignalSpy ended(&m, &menu::exitRequested);
    int endedWhenTold = -1;
    h.prompts.onShow = [&](const Prompter::Message& b) { endedWhenTold = b.text.startsWith(QStringLiteral("3号门")) ? int(ended.count()) : endedWhenTold; };
    if (exitMeanwhile) {
        h.prompts.answerNext(Prompter::Answer::Yes);
        QObject::connect(&h.sim, &Simulator::frameReceived, &m, [&] { m.triggerTool(Tools::kExit); });
    }
    win.w->findChild<QPushButton*>(button)->click();
    QTEST(h.prompts.texts(), "message");
    QTEST(int(heldByDatabase(h.home, 3).size()), "rowsLeft");
    QCOMPARE(endedWhenTold, 0);
    QTRY_COMPARE(int(ended.count()), int(exitMeanwhile));
}

// Controller 1 is silent on a line with a stray byte every 40 ms: the wait
// for quiet gives up, the operator hears of controller 1, and controller 2
// is sent its card (or, hit by a stray byte itself, is named too).
void FrmFKTest::chatteringLineGoesOnToTheNextController()
{
    Home h(Home::Waits::Short);
    addDoors(h, {1, 2});
    h.sim.controller(1)->behaviour.silent = true;
    h.sim.setChatter(40);
    Window win;
    win.typeCard(QStringLiteral("000123"));
    win.type(win.w->tcard, QStringLiteral("0012345678"));
    win.pick({1, 2});
    win.chooseModes();
    h.prompts.clear();
    win.w->Cmdadd->click();
    const QStringList told = h.prompts.texts();
    const QString first = told.value(0);
    QVERIFY2(first.startsWith(QStringLiteral("1号门")) && !first.contains(QStringLiteral("地址不对")), qPrintable(first));
    QVERIFY(heldBySimulator(h.sim, 2).size() == 1 || told.value(1).startsWith(QStringLiteral("2号门")));
}

// A change whose add is echoed late, then Cancel, with the delete after it lost: the late echo acknowledges nothing else.
void FrmFKTest::lateAddEchoIsNoDeleteAcknowledgement()
{
    Home h;
    addDoors(h, {2});
    h.home.exec(QStringLiteral("INSERT INTO faka (地址, 卡号, 物理卡号, ctrl_state1, ctrl_state2) VALUES (2, '000123', '0000000123', 0, 0)"));
    QObject::connect(&h.sim, &Simulator::frameReceived, &h.sim, [&](const QByteArray& f) {
        if (quint8(f.at(2)) == 0x0A)
            h.sim.controller(2)->behaviour = Behaviour{.delayMs = 2500, .loseFrames = 1, .loseAfter = 1};
    });
    Window win;
    win.typeCard(QStringLiteral("000123"));
    h.prompts.answerNext(Prompter::Answer::Cancel);
    win.w->cmdchg->click();
    QCOMPARE(heldBySimulator(h.sim, 2), heldByDatabase(h.home, 2));
    QCOMPARE(heldByDatabase(h.home, 2), QStringList{QStringLiteral("000123/0000000123")});
    QVERIFY2(h.prompts.last().contains(QStringLiteral("无法确定")), qPrintable(h.prompts.last()));
}

QTEST_MAIN(FrmFKTest)
#include "tst_frmfk.moc"
