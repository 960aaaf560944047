#include "cards/FrmFKXXCX.h"
#include "cards/IssuedCardQuery.h"
#include "support/CardQueryRows.h"
#include "support/Controls.h"
#include "support/ScriptedPrompter.h"

#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QtTest>

using namespace CardQueryRows;

namespace {

// Grid columns the tests read.
enum { Name = 0, Card = 1, Address = 2, State1 = 3, Position = 13 };

// Four holders and five issued cards; card 000009 has no holder and is
// never listed.
void seed(const TestHome& home)
{
    holder(home, QStringLiteral("000001"), QStringLiteral("张三"), QStringLiteral("A座"), QStringLiteral("经理"));
    holder(home, QStringLiteral("000002"), QStringLiteral("李四"), QStringLiteral("B座"));
    holder(home, QStringLiteral("000003"), QStringLiteral("王五"), QStringLiteral("A座"));
    holder(home, QStringLiteral("000004"), QStringLiteral("赵六"), QStringLiteral("A座"));
    issued(home, 1, QStringLiteral("000001"), 0, 3);
    issued(home, 2, QStringLiteral("000001"));
    issued(home, 1, QStringLiteral("000002"));
    issued(home, 5, QStringLiteral("000003"));
    issued(home, 2, QStringLiteral("000004"));
    issued(home, 3, QStringLiteral("000009"));
}

struct Window {
    FrmFKXXCX w;
    QTableView* grid = child<QTableView>(w, "DBGrid1");
    Window()
    {
        w.show();
        w.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&w));
    }
    QCheckBox* box(int i) { return child<QCheckBox>(w, qPrintable(QStringLiteral("Cck_%1").arg(i))); }
    QComboBox* combo(const char* name) { return child<QComboBox>(w, name); }
    void click(const char* name) { QTest::mouseClick(child<QPushButton>(w, name), Qt::LeftButton); }
    // Ticks a filter and types its value; a null value leaves it unticked.
    void filter(int index, const char* boxName, const QString& value)
    {
        if (value.isNull())
            return;
        QTest::mouseClick(box(index), Qt::LeftButton, {}, QPoint(6, box(index)->height() / 2));
        typeInto(combo(boxName), value);
    }
    // The rows shown, as card@address, in the grid's order.
    QStringList rows()
    {
        const QStringList cards = gridColumn(grid->model(), Card);
        const QStringList addresses = gridColumn(grid->model(), Address);
        QStringList out;
        for (int i = 0; i < cards.size(); ++i)
            out << cards.at(i) + QLatin1Char('@') + addresses.at(i);
        return out;
    }
};

QStringList sorted(QStringList l)
{
    l.sort();
    return l;
}

}  // namespace

class TestFrmFKXXCX : public QObject {
    Q_OBJECT
private slots:
    void filters_data();
    void filters();
    void orders_data();
    void orders();
    void checksInTheirOrder_data();
    void checksInTheirOrder();
    void addressBoxTakesOnlyAWholeNumber();
    void gridIsReadOnlyAndShowsThePosition();
    void refusedStatementEmptiesTheGrid();
    void stateWords_data();
    void stateWords();
    void reportHoldsEveryRowOfTheLastQuery();
};

void TestFrmFKXXCX::filters_data()
{
    QTest::addColumn<QString>("department");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("address");
    QTest::addColumn<QString>("card");
    QTest::addColumn<QStringList>("expected");
    const QString none;
    QTest::newRow("none") << none << none << none << none
                          << QStringList{"000001@1", "000001@2", "000002@1", "000003@5", "000004@2"};
    QTest::newRow("department, blanks trimmed") << QStringLiteral("  A座 ") << none << none << none
                                                << QStringList{"000001@1", "000001@2", "000003@5", "000004@2"};
    QTest::newRow("name") << none << QStringLiteral("李四") << none << none << QStringList{"000002@1"};
    QTest::newRow("address") << none << none << QStringLiteral("2") << none << QStringList{"000001@2", "000004@2"};
    QTest::newRow("address with a leading zero") << none << none << QStringLiteral("05") << none
                                                 << QStringList{"000003@5"};
    QTest::newRow("card") << none << none << none << QStringLiteral("000001") << QStringList{"000001@1", "000001@2"};
    QTest::newRow("all four") << QStringLiteral("A座") << QStringLiteral("张三") << QStringLiteral("2")
                              << QStringLiteral("000001") << QStringList{"000001@2"};
    QTest::newRow("all four, one misses") << QStringLiteral("B座") << QStringLiteral("张三") << QStringLiteral("2")
                                          << QStringLiteral("000001") << QStringList{};
    QTest::newRow("quote is text") << QStringLiteral("A座' OR '1'='1") << none << none << none << QStringList{};
}

void TestFrmFKXXCX::filters()
{
    QFETCH(QString, department);
    QFETCH(QString, name);
    QFETCH(QString, address);
    QFETCH(QString, card);
    QFETCH(QStringList, expected);
    TestHome home;
    ScriptedPrompter prompter;
    seed(home);
    Window win;
    // Opening lists every card with a holder.
    QCOMPARE(sorted(win.rows()), (QStringList{"000001@1", "000001@2", "000002@1", "000003@5", "000004@2"}));
    // Ticked in reverse: the order of ticking changes nothing.
    win.filter(2, "Tka", card);
    win.filter(1, "Cdoor", address);
    win.filter(0, "Txm", name);
    win.filter(3, "Cbm", department);
    win.click("Ccx");
    QVERIFY2(prompter.shown.isEmpty(), qPrintable(prompter.last()));
    QCOMPARE(sorted(win.rows()), expected);
}

void TestFrmFKXXCX::orders_data()
{
    QTest::addColumn<QString>("item");
    QTest::addColumn<bool>("typed");
    QTest::addColumn<int>("column");
    QTest::addColumn<QStringList>("expected");
    QTest::newRow("address") << QStringLiteral("1 按地址") << false << int(Address)
                             << QStringList{"1", "1", "2", "2", "5"};
    QTest::newRow("card") << QStringLiteral("2 按卡号") << false << int(Card)
                          << QStringList{"000001", "000001", "000002", "000003", "000004"};
    QTest::newRow("name") << QStringLiteral("3 按姓名") << false << int(Name)
                          << QStringList{"张三", "张三", "李四", "王五", "赵六"};
    QTest::newRow("an item typed in full") << QStringLiteral("2 按卡号") << true << int(Card)
                                           << QStringList{"000001", "000001", "000002", "000003", "000004"};
}

void TestFrmFKXXCX::orders()
{
    QFETCH(QString, item);
    QFETCH(bool, typed);
    QFETCH(int, column);
    QFETCH(QStringList, expected);
    TestHome home;
    ScriptedPrompter prompter;
    seed(home);
    Window win;
    if (typed)
        typeInto(win.combo("Corder"), item);
    else
        QVERIFY(pick(win.combo("Corder"), item));
    win.click("Ccx");
    QCOMPARE(gridColumn(win.grid->model(), column), expected);
    QCOMPARE(IssuedCardQuery::orderOf(QStringLiteral("按卡号")), IssuedCardQuery::Order::Engine);
}

void TestFrmFKXXCX::checksInTheirOrder_data()
{
    QTest::addColumn<QString>("department");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("address");
    QTest::addColumn<QString>("card");
    QTest::addColumn<QString>("message");
    const QString none;
    const QString empty = QStringLiteral("");
    QTest::newRow("department blank") << QStringLiteral("   ") << none << none << none << QStringLiteral("请输入部门");
    QTest::newRow("all four empty") << empty << empty << empty << empty << QStringLiteral("请输入部门");
    QTest::newRow("department passes, name empty")
        << QStringLiteral("A座") << empty << none << none << QStringLiteral("请输入姓名");
    QTest::newRow("address and card empty") << none << none << empty << empty << QStringLiteral("请选择地址");
    QTest::newRow("card empty") << none << none << QStringLiteral("1") << empty << QStringLiteral("请输入卡号");
}

void TestFrmFKXXCX::checksInTheirOrder()
{
    QFETCH(QString, department);
    QFETCH(QString, name);
    QFETCH(QString, address);
    QFETCH(QString, card);
    QFETCH(QString, message);
    TestHome home;
    ScriptedPrompter prompter;
    seed(home);
    Window win;
    win.filter(1, "Cdoor", QStringLiteral("5"));
    win.click("Ccx");
    QCOMPARE(win.rows(), QStringList{"000003@5"});
    win.box(1)->click();   // untick the address again
    win.filter(3, "Cbm", department);
    win.filter(0, "Txm", name);
    win.filter(1, "Cdoor", address);
    win.filter(2, "Tka", card);
    win.click("Ccx");
    QCOMPARE(prompter.texts(), QStringList{message});
    QCOMPARE(prompter.shown.first().icon, Prompter::Icon::Exclamation);
    // Nothing ran: the grid still shows the last query's rows.
    QCOMPARE(win.rows(), QStringList{"000003@5"});
    QCOMPARE(win.w.shown().address, std::optional<QString>(QStringLiteral("5")));
}

void TestFrmFKXXCX::addressBoxTakesOnlyAWholeNumber()
{
    TestHome home;
    ScriptedPrompter prompter;
    Window win;
    QComboBox* cdoor = win.combo("Cdoor");
    typeInto(cdoor, QStringLiteral("1a 23"));
    QCOMPARE(cdoor->currentText(), QStringLiteral("12"));
    QApplication::clipboard()->setText(QStringLiteral("7x"));
    typeInto(cdoor, QString());
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_V, Qt::ControlModifier);
    QCOMPARE(cdoor->currentText(), QString());
    QApplication::clipboard()->setText(QStringLiteral("42"));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_V, Qt::ControlModifier);
    QCOMPARE(cdoor->currentText(), QStringLiteral("42"));
    QVERIFY(cdoor->completer() == nullptr);
    // The service refuses what the box would never let through.
    IssuedCardQuery::Filter f;
    f.address = QStringLiteral("100");
    QVERIFY(!IssuedCardQuery::refusal(f).isEmpty());
}

void TestFrmFKXXCX::gridIsReadOnlyAndShowsThePosition()
{
    TestHome home;
    ScriptedPrompter prompter;
    seed(home);
    Window win;
    win.filter(1, "Cdoor", QStringLiteral("1"));
    win.filter(2, "Tka", QStringLiteral("000001"));
    win.click("Ccx");
    QAbstractItemModel* m = win.grid->model();
    QCOMPARE(m->rowCount(), 1);
    QCOMPARE(m->columnCount(), 14);
    QCOMPARE(m->headerData(Position, Qt::Horizontal).toString(), QStringLiteral("职位"));
    QCOMPARE(m->index(0, Position).data().toString(), QStringLiteral("经理"));
    QCOMPARE(m->index(0, State1 + 1).data().toString(), QStringLiteral("3"));   // codes, not words
    QCOMPARE(win.grid->currentIndex().row(), 0);

    const QModelIndex cell = m->index(0, Card);
    QVERIFY(!(m->flags(cell) & Qt::ItemIsEditable));
    const QRect r = win.grid->visualRect(cell);
    QTest::mouseDClick(win.grid->viewport(), Qt::LeftButton, {}, r.center());
    QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("999999"));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    QCOMPARE(cell.data().toString(), QStringLiteral("000001"));
    QCOMPARE(home.scalar(QStringLiteral("SELECT count(*) FROM faka WHERE 卡号 = '999999'")).toInt(), 0);
}

void TestFrmFKXXCX::refusedStatementEmptiesTheGrid()
{
    TestHome home;
    ScriptedPrompter prompter;
    seed(home);
    Window win;
    QCOMPARE(win.rows().size(), 5);
    home.exec(QStringLiteral("ALTER TABLE people RENAME TO people_elsewhere"));
    win.click("Ccx");
    QCOMPARE(prompter.shown.size(), 1);
    QVERIFY2(prompter.last().startsWith(QStringLiteral("查询失败：")), qPrintable(prompter.last()));
    QCOMPARE(win.grid->model()->rowCount(), 0);
    QCOMPARE(win.grid->model()->headerData(0, Qt::Horizontal).toString(), QStringLiteral("姓名"));
}

void TestFrmFKXXCX::stateWords_data()
{
    QTest::addColumn<QVariant>("code");
    QTest::addColumn<QString>("word");
    QTest::newRow("0") << QVariant(0) << QStringLiteral("进出");
    QTest::newRow("1") << QVariant(1) << QStringLiteral("进");
    QTest::newRow("2") << QVariant(2) << QStringLiteral("出");
    QTest::newRow("3") << QVariant(3) << QStringLiteral("禁止");
    QTest::newRow("unknown") << QVariant(7) << QStringLiteral("<null>");
    QTest::newRow("none") << QVariant() << QStringLiteral("<null>");
}

void TestFrmFKXXCX::stateWords()
{
    QFETCH(QVariant, code);
    QFETCH(QString, word);
    TestHome home;
    ScriptedPrompter prompter;
    KeptReports reports;
    holder(home, QStringLiteral("000001"), QStringLiteral("张三"), QStringLiteral("A座"));
    issued(home, 4, QStringLiteral("000001"), code, 3);
    Window win;
    win.click("Command2");
    QVERIFY2(prompter.shown.isEmpty(), qPrintable(prompter.last()));
    QCOMPARE(reports.shown.size(), 1);
    QCOMPARE(column(home, QStringLiteral("SELECT ctrl_state1 FROM fakapt")), QStringList{word});
    QCOMPARE(column(home, QStringLiteral("SELECT ctrl_state2 FROM fakapt")), QStringList{QStringLiteral("禁止")});
    // The card's own fields go across unchanged.
    QCOMPARE(column(home, QStringLiteral("SELECT 物理卡号 || 卡号 || 地址 || 开始日期 || 开始时间 || 开始星期 || "
                                         "截止日期 || 截止时间 || 截止星期 FROM fakapt")),
             QStringList{QStringLiteral("0000000104000001" "4" "2024-01-01" "08:00:00" "1" "2025-12-31" "18:00:00" "7")});
}

void TestFrmFKXXCX::reportHoldsEveryRowOfTheLastQuery()
{
    TestHome home;
    ScriptedPrompter prompter;
    KeptReports reports;
    // More rows than the grid reads at first.
    for (int i = 1; i <= 700; ++i) {
        const QString card = QStringLiteral("%1").arg(i, 6, 10, QLatin1Char('0'));
        holder(home, card, QStringLiteral("业主%1").arg(i), i % 7 ? QStringLiteral("A座") : QStringLiteral("B座"));
        issued(home, i % 100, card, i % 4, 3 - i % 4);
    }
    Window win;
    win.filter(3, "Cbm", QStringLiteral("A座"));
    QVERIFY(pick(win.combo("Corder"), QStringLiteral("2 按卡号")));
    win.click("Ccx");
    QVERIFY(win.grid->model()->canFetchMore({}));
    QVERIFY(win.grid->model()->rowCount() < 600);
    win.click("Command2");
    QVERIFY2(prompter.shown.isEmpty(), qPrintable(prompter.last()));
    QCOMPARE(reports.shown.size(), 1);
    QCOMPARE(reports.shown.first().report().title, QStringLiteral("发卡信息表"));
    QStringList expected;
    for (int i = 1; i <= 700; ++i)
        if (i % 7)
            expected << QStringLiteral("%1").arg(i, 6, 10, QLatin1Char('0'));
    QCOMPARE(column(home, QStringLiteral("SELECT 卡号 FROM fakapt ORDER BY rowid")), expected);

    const QString pdf = home.file(QStringLiteral("faka.pdf"));
    QVERIFY(IssuedCardQuery::report(home.db()).renderPdf(pdf).ok());
    const QString text = pdfText(pdf);
    if (text.isNull())
        QSKIP("pdftotext is not installed");
    for (const QString& card : expected)
        QVERIFY2(text.contains(QRegularExpression(QStringLiteral("\\b%1\\b").arg(card))), qPrintable(card));
    QVERIFY(!text.contains(QRegularExpression(QStringLiteral("\\b000007\\b"))));
    QVERIFY(text.contains(QStringLiteral("禁止")));
    QVERIFY(text.simplified().remove(QLatin1Char(' ')).contains(QStringLiteral("共600条")));
}

QTEST_MAIN(TestFrmFKXXCX)
#include "tst_frmfkxxcx.moc"
