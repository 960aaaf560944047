#include "cards/FrmTkcx.h"
#include "cards/RemovedCardQuery.h"
#include "db/Clock.h"
#include "support/CardQueryRows.h"
#include "support/CardQueryWindow.h"
#include "support/Controls.h"
#include "support/PickerInput.h"
#include "support/ScriptedPrompter.h"

#include <QCheckBox>
#include <QDateEdit>
#include <QLabel>
#include <QPushButton>
#include <QSet>
#include <QTableView>
#include <QtTest>

using namespace CardQueryRows;

namespace {

enum { Department = 0, Physical = 3 };   // grid columns

// Six removed cards r1 to r6; no two share the fields of any order.
void seed(const TestHome& home)
{
    const QString a = QStringLiteral("A座"), b = QStringLiteral("B座");
    removed(home, a, QStringLiteral("张三"), card(3), 2, QStringLiteral("2024-03-05"), QStringLiteral("r1"));
    removed(home, a, QStringLiteral("李四"), card(1), 5, QStringLiteral("2024-03-01"), QStringLiteral("r2"));
    removed(home, b, QStringLiteral("王五"), card(2), 1, QStringLiteral("2024-03-31"), QStringLiteral("r3"));
    removed(home, QStringLiteral(""), QStringLiteral("赵六"), card(4), 3, QStringLiteral("2024-04-01"), QStringLiteral("r4"));
    removed(home, a, QStringLiteral("张三"), card(3), 4, QStringLiteral("2024-02-10"), QStringLiteral("r5"));
    removed(home, b, QStringLiteral("钱七"), card(5), 2, QStringLiteral("2024-03-05"), QStringLiteral("r6"));
}

struct Window : CardQueryWindow<FrmTkcx> {
    QDateEdit* date(const char* name) { return child<QDateEdit>(w, name); }
    // The operator checks a filter by clicking its visible name.
    void check(int label) { QTest::mouseClick(child<QLabel>(w, qPrintable(QStringLiteral("Label1_%1").arg(label))), Qt::LeftButton); }
    void filter(int label, const char* box, const QString& value)
    {
        if (!value.isNull()) {
            check(label);
            typeInto(combo(box), value);
        }
    }
    // A click into the year selects it; each filled part moves on to the next.
    void typeDate(const char* name, const QDate& d)
    {
        PickerInput::clickAt(date(name), 1);
        QTest::keyClicks(QApplication::focusWidget(), d.toString(QStringLiteral("yyyyMMdd")));
    }
    void days(const QDate& first, const QDate& last)
    {
        check(4);
        typeDate("DTP1", first);
        typeDate("DTP2", last);
    }
    QStringList physical() { return gridColumn(grid->model(), Physical); }
    // Corrects one cell as the operator does: F2, type over, Enter.
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
    void filters_data();
    void filters();
    void corrections_data();
    void corrections();
    void correctionNeverRepeatsARow();
    void refusedStatementEmptiesTheGrid();
    void reportHoldsEveryRowOfTheLastQuery();
    void printHoldsTheGridsRowsAsCorrected();
};

void TestFrmTkcx::filters_data()
{
    QTest::addColumn<QString>("department");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("card");
    QTest::addColumn<QDate>("first");
    QTest::addColumn<QDate>("last");
    QTest::addColumn<QString>("order");   // picked from the list; with blanks around it, typed
    QTest::addColumn<QStringList>("expected");   // sorted when there is no order
    const QString no;
    const QDate none;
    const QDate first(2024, 3, 1), last(2024, 3, 31);
    QTest::newRow("none") << no << no << no << none << none << no
                          << QStringList{"r1", "r2", "r3", "r4", "r5", "r6", "r7"};
    QTest::newRow("department") << QStringLiteral("A座") << no << no << none << none << no
                                << QStringList{"r1", "r2", "r5"};
    QTest::newRow("empty department") << QStringLiteral("") << no << no << none << none << no << QStringList{"r4"};
    QTest::newRow("name") << no << QStringLiteral("张三") << no << none << none << no << QStringList{"r1", "r5"};
    QTest::newRow("card") << no << no << card(2) << none << none << no << QStringList{"r3"};
    QTest::newRow("days include both ends") << no << no << no << first << last << no
                                            << QStringList{"r1", "r2", "r3", "r6"};
    QTest::newRow("one day") << no << no << no << QDate(2024, 3, 5) << QDate(2024, 3, 5) << no
                             << QStringList{"r1", "r6"};
    QTest::newRow("days reversed") << no << no << no << last << first << no << QStringList{};
    QTest::newRow("all four") << QStringLiteral("A座") << QStringLiteral("张三") << card(3) << first << last << no
                              << QStringList{"r1"};
    // r7's Null department and name sort first.
    QTest::newRow("by 部门") << no << no << no << none << none << QStringLiteral("部门")
                           << QStringList{"r7", "r4", "r2", "r5", "r1", "r3", "r6"};
    QTest::newRow("by 姓名") << no << no << no << none << none << QStringLiteral("姓名")   // by pinyin
                           << QStringList{"r7", "r2", "r6", "r3", "r5", "r1", "r4"};
    QTest::newRow("by 卡号") << no << no << no << none << none << QStringLiteral("卡号")
                           << QStringList{"r2", "r3", "r1", "r5", "r4", "r6", "r7"};
    QTest::newRow("by 地址") << no << no << no << none << none << QStringLiteral("地址")
                           << QStringList{"r7", "r3", "r1", "r6", "r4", "r5", "r2"};
    QTest::newRow("by 日期, one day") << no << no << no << QDate(2024, 3, 5) << QDate(2024, 3, 5)
                                   << QStringLiteral("日期") << QStringList{"r1", "r6"};
    QTest::newRow("by 日期 typed with blanks") << no << no << no << none << none << QStringLiteral(" 日期  ")
                                             << QStringList{"r5", "r2", "r1", "r6", "r3", "r4", "r7"};
}

void TestFrmTkcx::filters()
{
    QFETCH(QString, department);
    QFETCH(QString, name);
    QFETCH(QString, card);
    QFETCH(QDate, first);
    QFETCH(QDate, last);
    QFETCH(QString, order);
    QFETCH(QStringList, expected);
    TestHome home;
    ScriptedPrompter prompter;
    Clock::freeze(QDateTime(QDate(2024, 3, 15), QTime(9, 0)));
    seed(home);
    removed(home, QVariant(), QString(), QStringLiteral("000006"), 1, QStringLiteral("2030-01-01"), QStringLiteral("r7"));
    Window win;
    QCOMPARE(win.physical().size(), 7);
    QCOMPARE(win.date("DTP1")->date(), QDate(2024, 3, 1));
    QCOMPARE(win.date("DTP2")->date(), QDate(2024, 3, 15));
    QCOMPARE(win.combo("Combo1")->currentText(), QStringLiteral("排序方式"));
    win.check(4);   // a label toggles its box; twice leaves it as it was
    win.check(4);
    QVERIFY(!child<QCheckBox>(win.w, "Ch_3")->isChecked());
    win.combo("Cbm")->setFocus();   // the list is read when the box is first used
    QCOMPARE(win.combo("Cbm")->count(), 3);   // A座, B座 and the empty name; no Null

    win.filter(0, "Cbm", department);
    win.filter(1, "Cxm", name);
    win.filter(2, "Ckh", card);
    if (first.isValid())
        win.days(first, last);
    if (order.trimmed() != order)
        typeInto(win.combo("Combo1"), order);
    else if (!order.isNull())
        QVERIFY(pick(win.combo("Combo1"), order));
    win.click("Command1");
    QVERIFY2(prompter.shown.isEmpty(), qPrintable(prompter.last()));
    QCOMPARE(order.isNull() ? sorted(win.physical()) : win.physical(), expected);
}

void TestFrmTkcx::corrections_data()
{
    QTest::addColumn<int>("column");
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("stored");   // null: refused, the row keeps its value
    const QString refused;
    QTest::newRow("大厦") << 0 << QStringLiteral("部门") << QStringLiteral("C座 2") << QStringLiteral("C座 2");
    // Stored text keeps the rule of every stored box.
    QTest::newRow("姓名 of 256 characters") << 1 << QStringLiteral("姓名") << QString(256, u'x') << refused;
    QTest::newRow("大厦 with a right-to-left override") << 0 << QStringLiteral("部门") << QStringLiteral("A\u202E座") << refused;
    QTest::newRow("卡号 of five digits") << 2 << QStringLiteral("卡号") << QStringLiteral("12345") << refused;
    QTest::newRow("地址 100") << 4 << QStringLiteral("地址") << QStringLiteral("100") << refused;
    QTest::newRow("锁一状态 4") << 5 << QStringLiteral("ctrl_state1") << QStringLiteral("4") << refused;
    QTest::newRow("开始时间 short") << 7 << QStringLiteral("开始时间") << QStringLiteral("8:30") << QStringLiteral("08:30:00");
    QTest::newRow("截止时间 25 h") << 8 << QStringLiteral("截止时间") << QStringLiteral("25:00:00") << refused;
    QTest::newRow("开始星期 none") << 9 << QStringLiteral("开始星期") << QStringLiteral("") << QStringLiteral("<null>");
    QTest::newRow("截止日期 30 Feb") << 12 << QStringLiteral("截止日期") << QStringLiteral("2024-02-30") << refused;
    QTest::newRow("退卡日期 none") << 13 << QStringLiteral("日期") << QStringLiteral("") << refused;
    QTest::newRow("退卡日期") << 13 << QStringLiteral("日期") << QStringLiteral("2024-3-9") << QStringLiteral("2024-03-09");
}

void TestFrmTkcx::corrections()
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
    const QString sql = QStringLiteral("SELECT \"%1\" FROM dfaka ORDER BY rowid").arg(field);
    QStringList expected = CardQueryRows::column(home, sql);
    const QString shownBefore = win.grid->model()->index(0, column).data().toString();
    win.correct(0, column, typed);
    QCOMPARE(prompter.shown.size(), stored.isNull() ? 1 : 0);
    if (!stored.isNull())
        expected[1] = stored;   // r2's row, and no other
    QCOMPARE(CardQueryRows::column(home, sql), expected);
    QCOMPARE(win.grid->model()->index(0, column).data().toString(),
             stored.isNull() ? shownBefore : stored == QStringLiteral("<null>") ? QString() : stored);
}

void TestFrmTkcx::correctionNeverRepeatsARow()
{
    TestHome home;
    ScriptedPrompter prompter;
    for (int i = 1; i <= 600; ++i)
        removed(home, QStringLiteral("楼%1").arg(i % 9), QStringLiteral("业主%1").arg(i), card(i), i % 100,
                QStringLiteral("2024-03-05"), QStringLiteral("p%1").arg(i));
    Window win;
    QVERIFY(pick(win.combo("Combo1"), QStringLiteral("部门")));
    win.click("Command1");
    QVERIFY(win.grid->model()->canFetchMore({}));
    const QString first = win.grid->model()->index(0, Physical).data().toString();
    win.correct(0, Department, QStringLiteral("楼九"));   // to the end of the order being read
    QVERIFY2(prompter.shown.isEmpty(), qPrintable(prompter.last()));
    const QStringList rows = win.physical();
    QCOMPARE(QSet<QString>(rows.begin(), rows.end()).size(), 600);
    QCOMPARE(rows.size(), 600);
    QCOMPARE(win.grid->model()->index(0, Department).data().toString(), QStringLiteral("楼九"));
    win.click("Command1");   // the next query reads the corrected history
    QCOMPARE(win.physical().last(), first);
}

void TestFrmTkcx::refusedStatementEmptiesTheGrid()
{
    TestHome home;
    ScriptedPrompter prompter;
    seed(home);
    Window win;
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
        removed(home, QStringLiteral("A座"), QStringLiteral("业主%1").arg(i), card(i), i % 100,
                QStringLiteral("2024-03-%1").arg(i % 28 + 1, 2, 10, QLatin1Char('0')), QStringLiteral("p%1").arg(i), i % 5);
        expected << card(i);
    }
    removed(home, QStringLiteral("A座"), QStringLiteral("外人"), card(999999), 1, QStringLiteral("2024-04-01"), QStringLiteral("p0"));
    Window win;
    win.days(QDate(2024, 3, 1), QDate(2024, 3, 31));
    QVERIFY(pick(win.combo("Combo1"), QStringLiteral("卡号")));
    win.click("Command1");
    QVERIFY(win.grid->model()->canFetchMore({}));
    win.click("Command2");
    QVERIFY2(prompter.shown.isEmpty(), qPrintable(prompter.last()));
    QCOMPARE(reports.shown.size(), 1);
    QCOMPARE(reports.shown.first().report().title, QStringLiteral("退卡信息表"));
    QCOMPARE(column(home, QStringLiteral("SELECT 卡号 FROM dfakapt ORDER BY rowid")), expected);
    QCOMPARE(column(home, QStringLiteral("SELECT ctrl_state1 FROM dfakapt ORDER BY rowid LIMIT 5")),
             (QStringList{"进", "出", "禁止", "<null>", "进出"}));
    QCOMPARE(column(home, QStringLiteral("SELECT 姓名 || 部门 || 地址 || ctrl_state2 FROM dfakapt WHERE 卡号 = '000123'")),
             QStringList{QStringLiteral("业主123A座23禁止")});
    QCOMPARE(pdfMisses(RemovedCardQuery::report(home.db()), home.file(QStringLiteral("drtk.pdf")),
                       expected + QStringList{"业主600"}, {card(999999)}),
             QStringList());
}

void TestFrmTkcx::printHoldsTheGridsRowsAsCorrected()
{
    TestHome home;
    ScriptedPrompter prompter;
    KeptReports reports;
    seed(home);
    Window win;
    win.filter(0, "Cbm", QStringLiteral("A座"));
    QVERIFY(pick(win.combo("Combo1"), QStringLiteral("卡号")));
    win.click("Command1");
    win.correct(0, Department, QStringLiteral("C座"));   // no longer of the building asked for
    win.click("Command2");
    QCOMPARE(reports.shown.size(), 1);
    QCOMPARE(gridColumn(win.grid->model(), Department), (QStringList{"C座", "A座", "A座"}));
    QCOMPARE(column(home, QStringLiteral("SELECT 部门 || 物理卡号 FROM dfakapt ORDER BY rowid")), (QStringList{"C座r2", "A座r1", "A座r5"}));
}

QTEST_MAIN(TestFrmTkcx)
#include "tst_frmtkcx.moc"
