// The lock-status monitor against the simulator, on the line's clock.

#include "support/LineHome.h"
#include "support/AppFont.h"

#include "app/ToolWindows.h"
#include "app/Tools.h"
#include "records/FrmssjsN.h"
#include "records/LockMonitor.h"

#include <QAbstractItemModel>
#include <QAction>
#include <QApplication>
#include <QHeaderView>
#include <QScreen>
#include <QListView>
#include <QStackedWidget>
#include <QTreeView>
#include <QtTest>

using namespace std::chrono_literals;

namespace {

// The text of one column of the entry whose description is `entry`;
// "(none)" when the list has no such entry.
QString cell(FrmssjsN& w, const QString& entry, int column)
{
    const QAbstractItemModel* m = child<QTreeView>(w, "doorlistDetails")->model();
    for (int r = 0; r < m->rowCount(); ++r)
        if (m->index(r, 0).data().toString() == entry)
            return m->index(r, column).data().toString();
    return QStringLiteral("(none)");
}

QList<int> polled(const QList<QByteArray>& frames)
{
    QList<int> out;
    for (const QByteArray& f : frames)
        if (f.size() == 3 && quint8(f.at(2)) == 0x1F)
            out << quint8(f.at(0));
    return out;
}

int countOf(const QList<QByteArray>& frames, quint8 command)
{
    int n = 0;
    for (const QByteArray& f : frames)
        n += f.size() > 2 && quint8(f.at(2)) == command;
    return n;
}

void seedHolder(TestHome& home, int address, const QString& card, const QString& physical, const QString& name)
{
    home.exec(QStringLiteral("INSERT INTO people (卡号, 姓名, 部门, 职务) VALUES (?, ?, '一号楼', '保安')"), {card, name});
    home.exec(QStringLiteral("INSERT INTO faka (地址, 卡号, 物理卡号) VALUES (?, ?, ?)"), {address, card, physical});
}

}  // namespace

class TestFrmssjsN : public QObject {
    Q_OBJECT
private slots:
    void entryTexts_data();
    void entryTexts();
    void pollsInAddressOrderAndListsLocks();
    void openLockAsksForThePass();
    void passIsAcknowledgedAndShown();
    void unrecognisedStateShowsUnknown_data();
    void unrecognisedStateShowsUnknown();
    void badPassRecordsAreNotAcknowledged_data();
    void badPassRecordsAreNotAcknowledged();
    void silentControllerTurnsUnknown();
    void lateRestOfAPassIsNoLockState();
    void viewModes();
    void detailsShowEveryColumnWhole_data();
    void detailsShowEveryColumnWhole();
    void portRefusedClosesTheWindow();
};

void TestFrmssjsN::entryTexts_data()
{
    QTest::addColumn<int>("lock");
    QTest::addColumn<QVariant>("description");
    QTest::addColumn<QString>("text");
    QTest::newRow("no description") << 1 << QVariant() << QStringLiteral("7-1");
    QTest::newRow("lock 2") << 2 << QVariant() << QStringLiteral("7-2");
    QTest::newRow("description") << 1 << QVariant(QStringLiteral("大门")) << QStringLiteral("7-1*大门");
    QTest::newRow("blanks are a description") << 2 << QVariant(QStringLiteral("  ")) << QStringLiteral("7-2*  ");
}

void TestFrmssjsN::entryTexts()
{
    QFETCH(int, lock);
    QFETCH(QVariant, description);
    QFETCH(QString, text);
    QCOMPARE(LockMonitor::entryText(7, lock, description), text);
}

void TestFrmssjsN::pollsInAddressOrderAndListsLocks()
{
    LineHome h;  // on the terminal, end to end
    h.home.exec(QStringLiteral("INSERT INTO doors (地址, namedr1, dtype1) VALUES (5, '东门', '玻')"));
    h.home.exec(QStringLiteral("INSERT INTO doors (地址) VALUES (2)"));
    h.home.exec(QStringLiteral("INSERT INTO doors (地址, dtype1, dtype2) VALUES (7, '木', '铁')"));
    for (int a : {2, 5, 7})
        h.sim.addController(a);
    FrmssjsN w(nullptr, 100ms, 3000ms);
    QVERIFY(w.portOpened());
    QVERIFY(LineHome::settle(10000, [&] { return polled(h.sim.frames()).size() >= 4; }));
    QCOMPARE(polled(h.sim.frames()).first(4), (QList<int>{2, 5, 7, 2}));
    const QAbstractItemModel* m = child<QTreeView>(w, "doorlistDetails")->model();
    QCOMPARE(m->rowCount(), 3);
    QCOMPARE(m->index(0, 0).data().toString(), QStringLiteral("5-1*东门"));
    QCOMPARE(m->index(1, 0).data().toString(), QStringLiteral("7-1"));
    QCOMPARE(m->index(2, 0).data().toString(), QStringLiteral("7-2"));
    QCOMPARE(m->headerData(7, Qt::Horizontal).toString(), QStringLiteral("进出时间"));
    QVERIFY(LineHome::settle(10000, [&] { return cell(w, QStringLiteral("7-2"), 1) == QStringLiteral("关"); }));
}

void TestFrmssjsN::openLockAsksForThePass()
{
    LineHome h(LineHome::Wire::Memory);
    h.home.exec(QStringLiteral("INSERT INTO doors (地址, dtype1, dtype2) VALUES (1, '木', '铁')"));
    h.sim.addController(1).force[0] = Controller::Force::Open;
    FrmssjsN w(nullptr, 100ms, 3000ms);
    QVERIFY(LineHome::settle(10000, [&] { return cell(w, QStringLiteral("1-1"), 1) == QStringLiteral("开"); }));
    QCOMPARE(cell(w, QStringLiteral("1-2"), 1), QStringLiteral("关"));
    QVERIFY(LineHome::settle(10000, [&] { return countOf(h.sim.frames(), 0x1B) > 0; }));
    // No pass waited: nothing acknowledged, nothing shown.
    QCOMPARE(countOf(h.sim.frames(), 0x02), 0);
    QCOMPARE(cell(w, QStringLiteral("1-1"), 2), QString());
}

void TestFrmssjsN::passIsAcknowledgedAndShown()
{
    LineHome h(LineHome::Wire::Memory);
    h.home.exec(QStringLiteral("INSERT INTO doors (地址, dtype1, dtype2) VALUES (3, '木', '铁')"));
    seedHolder(h.home, 3, QStringLiteral("000123"), QStringLiteral("0012345678"), QStringLiteral("张三"));
    Controller& c = h.sim.addController(3);
    FrmssjsN w(nullptr, 100ms, 3000ms);
    QVERIFY(c.pass(QStringLiteral("0012345678"), 3));
    QVERIFY(LineHome::settle(10000, [&] { return cell(w, QStringLiteral("3-2"), 3) == QStringLiteral("张三"); }));
    QCOMPARE(cell(w, QStringLiteral("3-2"), 2), QStringLiteral("000123"));
    QCOMPARE(cell(w, QStringLiteral("3-2"), 4), QStringLiteral("一号楼"));
    QCOMPARE(cell(w, QStringLiteral("3-2"), 5), QStringLiteral("保安"));
    QCOMPARE(cell(w, QStringLiteral("3-2"), 6), QStringLiteral("进门"));
    QVERIFY(!cell(w, QStringLiteral("3-2"), 7).isEmpty());
    QCOMPARE(cell(w, QStringLiteral("3-1"), 2), QString());
    QVERIFY(LineHome::settle(5000, [&] { return c.passes.isEmpty(); }));
    QCOMPARE(countOf(h.sim.frames(), 0x02), 1);

    // The same card going out through the same lock: the entry follows.
    QVERIFY(c.pass(QStringLiteral("0012345678"), 4));
    QVERIFY(LineHome::settle(10000, [&] { return cell(w, QStringLiteral("3-2"), 6) == QStringLiteral("出门"); }));
    // A card nobody holds empties the entry's pass.
    QVERIFY(c.pass(QStringLiteral("0099999999"), 3));
    QVERIFY(LineHome::settle(10000, [&] { return cell(w, QStringLiteral("3-2"), 2) == QString(); }));
    QCOMPARE(cell(w, QStringLiteral("3-2"), 3), QString());
}

void TestFrmssjsN::unrecognisedStateShowsUnknown_data()
{
    QTest::addColumn<QByteArray>("answer");
    QTest::newRow("unknown state code") << hex("0133");
    // Lock 1 open in its first two bytes, but not this controller's answer alone.
    QTest::newRow("a byte too many") << hex("012400");
}

void TestFrmssjsN::unrecognisedStateShowsUnknown()
{
    QFETCH(QByteArray, answer);
    LineHome h(LineHome::Wire::Memory);
    h.home.exec(QStringLiteral("INSERT INTO doors (地址, dtype1, dtype2) VALUES (1, '木', '铁')"));
    Controller& c = h.sim.addController(1);
    c.answers[0x1F] = hex("0122");
    FrmssjsN w(nullptr, 100ms, 3000ms);
    QVERIFY(LineHome::settle(10000, [&] { return cell(w, QStringLiteral("1-1"), 1) == QStringLiteral("关"); }));
    c.answers[0x1F] = answer;
    QVERIFY(LineHome::settle(10000, [&] { return cell(w, QStringLiteral("1-1"), 1) == QStringLiteral("?"); }));
    QCOMPARE(cell(w, QStringLiteral("1-2"), 1), QStringLiteral("?"));
    LineHome::settle(300);
    QCOMPARE(countOf(h.sim.frames(), 0x1B), 0);
}

void TestFrmssjsN::badPassRecordsAreNotAcknowledged_data()
{
    QTest::addColumn<QByteArray>("record");
    QTest::newRow("code 5") << hex("0108050012345678" "01");
    QTest::newRow("short") << hex("0108040012345678");
    // More than one record's bytes: another answer ran into this one.
    QTest::newRow("ten bytes") << hex("0108040012345678" "0101");
    QTest::newRow("none within the wait") << QByteArray();
}

void TestFrmssjsN::badPassRecordsAreNotAcknowledged()
{
    QFETCH(QByteArray, record);
    LineHome h(LineHome::Wire::Memory);
    h.home.exec(QStringLiteral("INSERT INTO doors (地址, dtype1) VALUES (1, '木')"));
    seedHolder(h.home, 1, QStringLiteral("000123"), QStringLiteral("0012345678"), QStringLiteral("张三"));
    Controller& c = h.sim.addController(1);
    c.answers[0x1F] = hex("0124");
    c.answers[0x1B] = record;
    FrmssjsN w(nullptr, 100ms, 3000ms);
    QVERIFY(LineHome::settle(10000, [&] { return countOf(h.sim.frames(), 0x1B) >= 1; }));
    // After at most the wait for the pass the poll goes on.
    QVERIFY(LineHome::settle(15000, [&] { return countOf(h.sim.frames(), 0x1B) >= 2; }));
    QCOMPARE(countOf(h.sim.frames(), 0x02), 0);
    QCOMPARE(cell(w, QStringLiteral("1-1"), 2), QString());
    QCOMPARE(cell(w, QStringLiteral("1-1"), 1), QStringLiteral("开"));
}

void TestFrmssjsN::lateRestOfAPassIsNoLockState()
{
    LineHome h(LineHome::Wire::Memory);
    h.home.exec(QStringLiteral("INSERT INTO doors (地址, dtype1, dtype2) VALUES (3, '木', '铁'), (4, '木', '铁')"));
    Controller& three = h.sim.addController(3);
    h.sim.addController(4);
    // The pass reply comes 3 bytes first and the rest after its wait: the
    // rest begins 04 44, which read as controller 4's answer to PollLocks
    // would say both its locks are open.
    three.behaviour.splitAt = 3;
    three.behaviour.splitGapMs = 450;
    QVERIFY(three.pass(QStringLiteral("0444000000"), 1));
    FrmssjsN w(nullptr, 100ms, 300ms);
    QStringList states;
    QObject::connect(child<QTreeView>(w, "doorlistDetails")->model(), &QAbstractItemModel::dataChanged, &w, [&] {
        const QString s = cell(w, QStringLiteral("4-1"), 1) + cell(w, QStringLiteral("4-2"), 1);
        if (states.isEmpty() || states.last() != s)
            states << s;
    });
    QVERIFY(LineHome::settle(15000, [&] { return countOf(h.sim.frames(), 0x1B) >= 3; }));
    LineHome::settle(300);
    QVERIFY2(!states.join(QLatin1Char('|')).contains(QStringLiteral("开")), qPrintable(states.join(QLatin1Char('|'))));
    QCOMPARE(countOf(h.sim.frames(), 0x02), 0);
    QCOMPARE(three.passes.size(), 1);
}

void TestFrmssjsN::silentControllerTurnsUnknown()
{
    LineHome h(LineHome::Wire::Memory);
    h.home.exec(QStringLiteral("INSERT INTO doors (地址, dtype1) VALUES (4, '木')"));
    Controller& c = h.sim.addController(4);
    FrmssjsN w(nullptr, 100ms, 3000ms);
    QVERIFY(LineHome::settle(10000, [&] { return cell(w, QStringLiteral("4-1"), 1) == QStringLiteral("关"); }));
    c.behaviour.silent = true;
    QVERIFY(LineHome::settle(10000, [&] { return cell(w, QStringLiteral("4-1"), 1) == QStringLiteral("?"); }));
    c.behaviour.silent = false;
    QVERIFY(LineHome::settle(10000, [&] { return cell(w, QStringLiteral("4-1"), 1) == QStringLiteral("关"); }));
}

void TestFrmssjsN::viewModes()
{
    LineHome h(LineHome::Wire::Memory);
    h.home.exec(QStringLiteral("INSERT INTO doors (地址, namedr1, namedr2, dtype1, dtype2) "
                               "VALUES (4, '阳光大厦一号楼东侧停车场大门', '西门', '木', '铁')"));
    FrmssjsN w(nullptr, 100ms, 3000ms);
    w.show();
    auto* views = w.findChild<QStackedWidget*>();
    auto* list = child<QListView>(w, "doorlist");
    using M = FrmssjsN::Mode;
    // Every description whole, none over its neighbour.
    for (M mode : {M::Icons, M::SmallIcons, M::List}) {
        w.setMode(mode);
        QTest::qWait(50);
        const QAbstractItemModel* m = list->model();
        for (int r = 0; r < m->rowCount(); ++r) {
            const QRect cell = list->visualRect(m->index(r, 0));
            const int text = list->fontMetrics().horizontalAdvance(m->index(r, 0).data().toString());
            QVERIFY2(cell.width() >= text + (mode == M::Icons ? 0 : list->iconSize().width()),
                     qPrintable(QStringLiteral("mode %1 row %2").arg(int(mode)).arg(r)));
            for (int o = r + 1; o < m->rowCount(); ++o)
                QVERIFY(!cell.intersects(list->visualRect(m->index(o, 0))));
        }
    }
    auto* details = child<QTreeView>(w, "doorlistDetails");
    for (int r = 0; r < details->model()->rowCount(); ++r)
        QVERIFY(details->columnWidth(0) >= details->fontMetrics().horizontalAdvance(details->model()->index(r, 0).data().toString()) +
                                               16);   // the small lock icon
    // Toolbar keys and menu entries alike.
    const QList<std::pair<const char*, M>> cases{{"detail", M::Details}, {"list", M::List}, {"smallico", M::SmallIcons},
                                                 {"details", M::Details}, {"smico", M::SmallIcons}, {"ico", M::Icons}};
    for (const auto& [action, mode] : cases) {
        w.findChild<QAction*>(QString::fromLatin1(action))->trigger();
        QCOMPARE(w.mode(), mode);
        QCOMPARE(views->currentWidget()->objectName() == QLatin1String("doorlistDetails"), mode == M::Details);
    }
}

void TestFrmssjsN::detailsShowEveryColumnWhole_data()
{
    AppFont::sizes();
}

void TestFrmssjsN::detailsShowEveryColumnWhole()
{
    QFETCH(qreal, points);
    const AppFont::Sized font(points);
    LineHome h(LineHome::Wire::Memory);
    h.home.exec(QStringLiteral("INSERT INTO doors (地址, dtype1, dtype2) VALUES (3, '木', '铁')"));
    h.home.exec(QStringLiteral("INSERT INTO people (卡号, 姓名, 部门, 职务) VALUES ('000123', '欧阳建国', "
                               "'阳光花园小区十二号楼', '物业经理')"));
    h.home.exec(QStringLiteral("INSERT INTO faka (地址, 卡号, 物理卡号) VALUES (3, '000123', '0012345678')"));
    Controller& c = h.sim.addController(3);
    FrmssjsN w(nullptr, 100ms, 3000ms);
    w.setMode(FrmssjsN::Mode::Details);
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    QVERIFY(c.pass(QStringLiteral("0012345678"), 3));
    QVERIFY(LineHome::settle(10000, [&] { return cell(w, QStringLiteral("3-2"), 4) == QStringLiteral("阳光花园小区十二号楼"); }));
    QTest::qWait(50);
    auto* details = child<QTreeView>(w, "doorlistDetails");
    const QRect screen = w.screen()->availableGeometry();
    QVERIFY(w.width() <= screen.width() && w.height() <= screen.height());
    QVERIFY(w.width() >= 760);
    const QAbstractItemModel* m = details->model();
    const int right = details->header()->sectionViewportPosition(7) + details->columnWidth(7);
    // Every column whole: none cut with an ellipsis, none beyond the view.
    for (int col = 0; col < m->columnCount(); ++col) {
        QVERIFY2(details->columnWidth(col) >= details->header()->sectionSizeHint(col), qPrintable(QString::number(col)));
        const QAbstractItemView* asView = details;
        QVERIFY2(details->columnWidth(col) >= asView->sizeHintForColumn(col), qPrintable(m->index(0, col).data().toString()));
    }
    if (w.width() < screen.width())
        QVERIFY2(right <= details->viewport()->width(), qPrintable(QStringLiteral("%1 > %2").arg(right).arg(details->viewport()->width())));
}

void TestFrmssjsN::portRefusedClosesTheWindow()
{
    LineHome h(LineHome::Wire::Memory);
    h.home.exec(QStringLiteral("INSERT INTO doors (地址, dtype1) VALUES (4, '木')"));
    LinePort holder;
    QVERIFY(holder.open(Session::lineParams()).ok());
    FrmssjsN w(nullptr, 100ms, 3000ms);
    QVERIFY(!w.portOpened());
    QCOMPARE(h.prompts.texts(), QStringList{QStringLiteral("串口没有打开：串口正被本程序的其他窗口使用，请等那个窗口的通信结束或关闭它之后再试！")});
    // The menu's tool opens no window then.
    QVERIFY(!ToolWindows::create(Tools::kMonitor, nullptr));
    QCOMPARE(h.prompts.shown.size(), 2);
}

QTEST_MAIN(TestFrmssjsN)
#include "tst_frmssjsn.moc"
