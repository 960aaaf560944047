#include "cards/FrmTkcx.h"
#include "cards/RemovedCardQuery.h"
#include "db/Clock.h"
#include "support/CardQueryRows.h"
#include "support/Controls.h"
#include "support/ScriptedPrompter.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QLabel>
#include <QPushButton>
#include <QSet>
#include <QTableView>
#include <QtTest>

using namespace CardQueryRows;

namespace {

// Grid columns the tests read.
enum { Department = 0, CardNo = 2, Physical = 3, RemovedDay = 13 };

// Six removed cards whose physical numbers r1 to r6 tell them apart; no
// two share the fields of any order.
void seed(const TestHome& home)
{
    removed(home, {QStringLiteral("A座"), QStringLiteral("张三"), QStringLiteral("000003"), 2, QStringLiteral("2024-03-05"), QStringLiteral("r1")});
    removed(home, {QStringLiteral("A座"), QStringLiteral("李四"), QStringLiteral("000001"), 5, QStringLiteral("2024-03-01"), QStringLiteral("r2")});
    removed(home, {QStringLiteral("B座"), QStringLiteral("王五"), QStringLiteral("000002"), 1, QStringLiteral("2024-03-31"), QStringLiteral("r3")});
    removed(home, {QStringLiteral(""), QStringLiteral("赵六"), QStringLiteral("000004"), 3, QStringLiteral("2024-04-01"), QStringLiteral("r4")});
    removed(home, {QStringLiteral("A座"), QStringLiteral("张三"), QStringLiteral("000003"), 4, QStringLiteral("2024-02-10"), QStringLiteral("r5")});
    removed(home, {QStringLiteral("B座"), QStringLiteral("钱七"), QStringLiteral("000005"), 2, QStringLiteral("2024-03-05"), QStringLiteral("r6")});
}

struct Window {
    FrmTkcx w;
    QTableView* grid = child<QTableView>(w, "DBGrid1");
    Window()
    {
        w.show();
        w.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&w));
    }
    QCheckBox* box(int i) { return child<QCheckBox>(w, qPrintable(QStringLiteral("Ch_%1").arg(i))); }
    QComboBox* combo(const char* name) { return child<QComboBox>(w, name); }
    QDateEdit* date(const char* name) { return child<QDateEdit>(w, name); }
    void click(const char* name) { QTest::mouseClick(child<QPushButton>(w, name), Qt::LeftButton); }
    // The operator checks a filter by clicking its visible name.
    void check(int label) { QTest::mouseClick(child<QLabel>(w, qPrintable(QStringLiteral("Label1_%1").arg(label))), Qt::LeftButton); }
    void filter(int label, const char* boxName, const QString& value)
    {
        if (value.isNull())
            return;
        check(label);
        typeInto(combo(boxName), value);
    }
    void typeDate(const char* name, const QDate& d)
    {
        // Tabbing in selects the year; each filled part moves on to the next.
        date(name)->setFocus(Qt::TabFocusReason);
        QTest::keyClicks(QApplication::focusWidget(), d.toString(QStringLiteral("yyyyMMdd")));
    }
    QStringList physical() { return gridColumn(grid->model(), Physical); }
    // Corrects one cell as the operator does: F2, select, type, Enter.
    void correct(int row, int col, const QString& text)
    {
        grid->setFocus();
        grid->setCurrentIndex(grid->model()->index(row, col));
        QTest::keyClick(grid, Qt::Key_F2);
        typeInto(QApplication::focusWidget(), text);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        // The delegate hands the value over once the event loop turns.
        QTRY_VERIFY(!grid->indexWidget(grid->currentIndex()));
        QCoreApplication::processEvents();
    }
};

QStringList sorted(QStringList l)
{
    l.sort();
    return l;
}

}  // namespace

class TestFrmTkcx : public QObject {
    Q_OBJECT
private slots:
    void opensWithEveryRowAndItsDefaults();
    void filters_data();
    void filters();
    void orders_data();
    void orders();
    void correctionsAreCheckedPerColumn_data();
    void correctionsAreCheckedPerColumn();
    void correctionNeverRepeatsARow();
    void refusedStatementEmptiesTheGrid();
    void reportHoldsEveryRowOfTheLastQuery();
};

void TestFrmTkcx::opensWithEveryRowAndItsDefaults()
{
    TestHome home;
    ScriptedPrompter prompter;
    Clock::freeze(QDateTime(QDate(2024, 3, 15), QTime(9, 0)));
    seed(home);
    removed(home, {QVariant(), QStringLiteral("孙八"), QStringLiteral("000006"), 1, QStringLiteral("2024-03-02"), QStringLiteral("r7")});
    Window win;
    QCOMPARE(win.w.windowTitle(), QStringLiteral("退卡查询"));
    QCOMPARE(sorted(win.physical()), (QStringList{"r1", "r2", "r3", "r4", "r5", "r6", "r7"}));
    QCOMPARE(win.grid->model()->headerData(RemovedDay, Qt::Horizontal).toString(), QStringLiteral("退卡日期"));
    QCOMPARE(win.date("DTP1")->date(), QDate(2024, 3, 1));
    QCOMPARE(win.date("DTP2")->date(), QDate(2024, 3, 15));
    QCOMPARE(win.combo("Combo1")->currentText(), QStringLiteral("排序方式"));
    QCOMPARE(win.combo("Combo1")->count(), 5);
    win.combo("Cbm")->setFocus();   // the list is read when the box is first used
    QCOMPARE(win.combo("Cbm")->count(), 3);   // A座, B座 and the empty name; no Null
    for (const char* name : {"Cbm", "Cxm", "Ckh", "Combo1"})
        QVERIFY(win.combo(name)->completer() == nullptr);
    // A label toggles its box; twice leaves it as it was.
    win.check(4);
    QVERIFY(win.box(3)->isChecked());
    win.check(4);
    QVERIFY(!win.box(3)->isChecked());
    QVERIFY(prompter.shown.isEmpty());
}

void TestFrmTkcx::filters_data()
{
    QTest::addColumn<QString>("department");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("card");
    QTest::addColumn<QDate>("first");
    QTest::addColumn<QDate>("last");
    QTest::addColumn<QStringList>("expected");
    const QString none;
    const QDate noDate;
    QTest::newRow("department") << QStringLiteral("A座") << none << none << noDate << noDate
                                << QStringList{"r1", "r2", "r5"};
    QTest::newRow("empty department matches the empty name only")
        << QStringLiteral("") << none << none << noDate << noDate << QStringList{"r4"};
    QTest::newRow("name") << none << QStringLiteral("张三") << none << noDate << noDate << QStringList{"r1", "r5"};
    QTest::newRow("card") << none << none << QStringLiteral("000002") << noDate << noDate << QStringList{"r3"};
    QTest::newRow("dates include both ends") << none << none << none << QDate(2024, 3, 1) << QDate(2024, 3, 31)
                                             << QStringList{"r1", "r2", "r3", "r6"};
    QTest::newRow("one day") << none << none << none << QDate(2024, 3, 5) << QDate(2024, 3, 5)
                             << QStringList{"r1", "r6"};
    QTest::newRow("dates the wrong way round") << none << none << none << QDate(2024, 3, 31) << QDate(2024, 3, 1)
                                               << QStringList{};
    QTest::newRow("all four") << QStringLiteral("A座") << QStringLiteral("张三") << QStringLiteral("000003")
                              << QDate(2024, 3, 1) << QDate(2024, 3, 31) << QStringList{"r1"};
}

void TestFrmTkcx::filters()
{
    QFETCH(QString, department);
    QFETCH(QString, name);
    QFETCH(QString, card);
    QFETCH(QDate, first);
    QFETCH(QDate, last);
    QFETCH(QStringList, expected);
    TestHome home;
    ScriptedPrompter prompter;
    seed(home);
    Window win;
    win.filter(0, "Cbm", department);
    win.filter(1, "Cxm", name);
    win.filter(2, "Ckh", card);
    if (first.isValid()) {
        win.check(4);
        win.typeDate("DTP1", first);
        win.typeDate("DTP2", last);
        QCOMPARE(win.date("DTP1")->date(), first);
        QCOMPARE(win.date("DTP2")->date(), last);
    }
    win.click("Command1");
    QVERIFY2(prompter.shown.isEmpty(), qPrintable(prompter.last()));
    QCOMPARE(sorted(win.physical()), expected);
}

void TestFrmTkcx::orders_data()
{
    QTest::addColumn<QString>("order");
    QTest::addColumn<bool>("typed");
    QTest::addColumn<QStringList>("expected");
    QTest::newRow("部门") << QStringLiteral("部门") << false << QStringList{"r4", "r2", "r5", "r1", "r3", "r6"};
    QTest::newRow("姓名") << QStringLiteral("姓名") << false << QStringList{"r5", "r1", "r2", "r3", "r4", "r6"};
    QTest::newRow("卡号") << QStringLiteral("卡号") << false << QStringList{"r2", "r3", "r1", "r5", "r4", "r6"};
    QTest::newRow("地址") << QStringLiteral("地址") << false << QStringList{"r3", "r1", "r6", "r4", "r5", "r2"};
    QTest::newRow("日期") << QStringLiteral("日期") << false << QStringList{"r5", "r2", "r1", "r6", "r3", "r4"};
    QTest::newRow("typed with blanks") << QStringLiteral(" 地址  ") << true
                                       << QStringList{"r3", "r1", "r6", "r4", "r5", "r2"};
}

void TestFrmTkcx::orders()
{
    QFETCH(QString, order);
    QFETCH(bool, typed);
    QFETCH(QStringList, expected);
    TestHome home;
    ScriptedPrompter prompter;
    seed(home);
    Window win;
    if (typed)
        typeInto(win.combo("Combo1"), order);
    else
        QVERIFY(pick(win.combo("Combo1"), order));
    win.click("Command1");
    QCOMPARE(win.physical(), expected);
    QCOMPARE(RemovedCardQuery::orderOf(QStringLiteral("排序方式")), RemovedCardQuery::Order::None);
}

void TestFrmTkcx::correctionsAreCheckedPerColumn_data()
{
    QTest::addColumn<int>("column");
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("stored");   // null: refused, the row keeps its value
    const QString refused;
    QTest::newRow("大厦") << 0 << QStringLiteral("部门") << QStringLiteral("C座 2") << QStringLiteral("C座 2");
    QTest::newRow("卡号 of five digits") << 2 << QStringLiteral("卡号") << QStringLiteral("12345") << refused;
    QTest::newRow("卡号") << 2 << QStringLiteral("卡号") << QStringLiteral("123456") << QStringLiteral("123456");
    QTest::newRow("物理卡号 of eleven digits") << 3 << QStringLiteral("物理卡号") << QStringLiteral("12345678901") << refused;
    QTest::newRow("地址 100") << 4 << QStringLiteral("地址") << QStringLiteral("100") << refused;
    QTest::newRow("地址") << 4 << QStringLiteral("地址") << QStringLiteral("7") << QStringLiteral("7");
    QTest::newRow("锁一状态 4") << 5 << QStringLiteral("ctrl_state1") << QStringLiteral("4") << refused;
    QTest::newRow("锁二状态") << 6 << QStringLiteral("ctrl_state2") << QStringLiteral("2") << QStringLiteral("2");
    QTest::newRow("开始时间 short") << 7 << QStringLiteral("开始时间") << QStringLiteral("8:30") << QStringLiteral("08:30:00");
    QTest::newRow("截止时间 25 h") << 8 << QStringLiteral("截止时间") << QStringLiteral("25:00:00") << refused;
    QTest::newRow("开始星期 none") << 9 << QStringLiteral("开始星期") << QString("") << QStringLiteral("<null>");
    QTest::newRow("截止星期 8") << 10 << QStringLiteral("截止星期") << QStringLiteral("8") << refused;
    QTest::newRow("开始日期 none") << 11 << QStringLiteral("开始日期") << QString("") << QStringLiteral("<null>");
    QTest::newRow("截止日期 30 Feb") << 12 << QStringLiteral("截止日期") << QStringLiteral("2024-02-30") << refused;
    QTest::newRow("退卡日期 none") << 13 << QStringLiteral("日期") << QString("") << refused;
    QTest::newRow("退卡日期") << 13 << QStringLiteral("日期") << QStringLiteral("2024-3-9") << QStringLiteral("2024-03-09");
}

void TestFrmTkcx::correctionsAreCheckedPerColumn()
{
    QFETCH(int, column);
    QFETCH(QString, field);
    QFETCH(QString, typed);
    QFETCH(QString, stored);
    TestHome home;
    ScriptedPrompter prompter;
    seed(home);
    Window win;
    QVERIFY(pick(win.combo("Combo1"), QStringLiteral("卡号")));
    win.click("Command1");   // r2 comes first
    const QString sql = QStringLiteral("SELECT \"%1\" FROM dfaka WHERE 物理卡号 = 'r2'").arg(field);
    const QStringList before = CardQueryRows::column(home, sql);
    const QString shownBefore = win.grid->model()->index(0, column).data().toString();
    win.correct(0, column, typed);
    if (stored.isNull()) {
        QCOMPARE(prompter.shown.size(), 1);
        QVERIFY(!prompter.last().isEmpty());
        QCOMPARE(CardQueryRows::column(home, sql), before);
        QCOMPARE(win.grid->model()->index(0, column).data().toString(), shownBefore);
    } else {
        QVERIFY2(prompter.shown.isEmpty(), qPrintable(prompter.last()));
        QCOMPARE(CardQueryRows::column(home, sql), QStringList{stored});
        QCOMPARE(win.grid->model()->index(0, column).data().toString(),
                 stored == QStringLiteral("<null>") ? QString() : stored);
    }
    // No other row changed.
    QCOMPARE(home.scalar(QStringLiteral("SELECT count(*) FROM dfaka WHERE 物理卡号 <> 'r2' AND 地址 = 7")).toInt(), 0);
}

void TestFrmTkcx::correctionNeverRepeatsARow()
{
    TestHome home;
    ScriptedPrompter prompter;
    for (int i = 1; i <= 600; ++i)
        removed(home, {QStringLiteral("楼%1").arg(i % 9), QStringLiteral("业主%1").arg(i),
                       QStringLiteral("%1").arg(i, 6, 10, QLatin1Char('0')), i % 100, QStringLiteral("2024-03-05"),
                       QStringLiteral("p%1").arg(i)});
    Window win;
    QVERIFY(pick(win.combo("Combo1"), QStringLiteral("部门")));
    win.click("Command1");
    QVERIFY(win.grid->model()->canFetchMore({}));
    const QString first = win.grid->model()->index(0, Physical).data().toString();
    // Moves the first row to the end of the order being read.
    win.correct(0, Department, QStringLiteral("楼九"));
    QVERIFY2(prompter.shown.isEmpty(), qPrintable(prompter.last()));
    const QStringList rows = win.physical();
    QCOMPARE(rows.size(), 600);
    QCOMPARE(QSet<QString>(rows.begin(), rows.end()).size(), 600);
    QCOMPARE(rows.first(), first);
    QCOMPARE(win.grid->model()->index(0, Department).data().toString(), QStringLiteral("楼九"));
    // The next query reads the corrected history in its order.
    win.click("Command1");
    QCOMPARE(win.physical().last(), first);
}

void TestFrmTkcx::refusedStatementEmptiesTheGrid()
{
    TestHome home;
    ScriptedPrompter prompter;
    seed(home);
    Window win;
    QCOMPARE(win.physical().size(), 6);
    home.exec(QStringLiteral("ALTER TABLE dfaka RENAME TO dfaka_elsewhere"));
    win.click("Command1");
    QCOMPARE(prompter.shown.size(), 1);
    QVERIFY2(prompter.last().startsWith(QStringLiteral("查询失败：")), qPrintable(prompter.last()));
    QCOMPARE(win.grid->model()->rowCount(), 0);
    QCOMPARE(win.grid->model()->columnCount(), 14);
}

void TestFrmTkcx::reportHoldsEveryRowOfTheLastQuery()
{
    TestHome home;
    ScriptedPrompter prompter;
    KeptReports reports;
    QStringList expected;
    for (int i = 1; i <= 600; ++i) {
        const QString card = QStringLiteral("%1").arg(i, 6, 10, QLatin1Char('0'));
        removed(home, {QStringLiteral("A座"), QStringLiteral("业主%1").arg(i), card, i % 100,
                       QStringLiteral("2024-03-%1").arg(i % 28 + 1, 2, 10, QLatin1Char('0')),
                       QStringLiteral("00%1").arg(card) + QStringLiteral("00"), i % 5, 3});
    }
    // Outside the chosen days: not printed.
    removed(home, {QStringLiteral("A座"), QStringLiteral("外人"), QStringLiteral("999999"), 1,
                   QStringLiteral("2024-04-01"), QStringLiteral("0099999900")});
    Window win;
    win.check(4);
    win.typeDate("DTP1", QDate(2024, 3, 1));
    win.typeDate("DTP2", QDate(2024, 3, 31));
    QVERIFY(pick(win.combo("Combo1"), QStringLiteral("卡号")));
    win.click("Command1");
    QVERIFY(win.grid->model()->canFetchMore({}));
    win.click("Command2");
    QVERIFY2(prompter.shown.isEmpty(), qPrintable(prompter.last()));
    QCOMPARE(reports.shown.size(), 1);
    QCOMPARE(reports.shown.first().report().title, QStringLiteral("退卡信息表"));
    for (int i = 1; i <= 600; ++i)
        expected << QStringLiteral("%1").arg(i, 6, 10, QLatin1Char('0'));
    QCOMPARE(column(home, QStringLiteral("SELECT 卡号 FROM dfakapt ORDER BY rowid")), expected);
    QCOMPARE(column(home, QStringLiteral("SELECT ctrl_state1 FROM dfakapt ORDER BY rowid LIMIT 5")),
             (QStringList{"进", "出", "禁止", "<null>", "进出"}));
    QCOMPARE(column(home, QStringLiteral("SELECT 姓名 || 部门 || 地址 FROM dfakapt WHERE 卡号 = '000123'")),
             QStringList{QStringLiteral("业主123A座23")});

    const QString pdf = home.file(QStringLiteral("drtk.pdf"));
    QVERIFY(RemovedCardQuery::report(home.db()).renderPdf(pdf).ok());
    const QString text = pdfText(pdf);
    if (text.isNull())
        QSKIP("pdftotext is not installed");
    for (const QString& card : expected)
        QVERIFY2(text.contains(card), qPrintable(card));
    QVERIFY(!text.contains(QStringLiteral("999999")));
    QVERIFY(text.contains(QStringLiteral("业主600")));
}

QTEST_MAIN(TestFrmTkcx)
#include "tst_frmtkcx.moc"
