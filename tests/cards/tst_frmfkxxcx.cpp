#include "cards/FrmFKXXCX.h"
#include "cards/IssuedCardQuery.h"
#include "support/CardQueryRows.h"
#include "support/CardQueryWindow.h"
#include "support/Controls.h"
#include "support/ScriptedPrompter.h"

#include <QCheckBox>
#include <QClipboard>
#include <QPushButton>
#include <QTableView>
#include <QtTest>

using namespace CardQueryRows;

namespace {

enum { Name = 0, Card = 1, Address = 2, State2 = 4, Position = 13 };   // grid columns

// Four holders and five issued cards; card 000009 has no holder and is
// never listed.
void seed(const TestHome& home)
{
    holder(home, card(1), QStringLiteral("张三"), QStringLiteral("A座"), QStringLiteral("经理"));
    holder(home, card(2), QStringLiteral("李四"), QStringLiteral("B座"));
    holder(home, card(3), QStringLiteral("王五"), QStringLiteral("A座"));
    holder(home, card(4), QStringLiteral("赵六"), QStringLiteral("A座"));
    const std::pair<int, int> cards[] = {{1, 1}, {2, 1}, {1, 2}, {5, 3}, {2, 4}, {3, 9}};   // address, card
    for (auto [address, c] : cards)
        issued(home, address, card(c), 0, c == 1 && address == 1 ? 3 : 0);
}

struct Window : CardQueryWindow<FrmFKXXCX> {
    // Ticks filter `index` and types its value; a null value leaves it be.
    void filter(int index, const char* box, const QString& value)
    {
        if (value.isNull())
            return;
        QTest::mouseClick(child<QCheckBox>(w, qPrintable(QStringLiteral("Cck_%1").arg(index))), Qt::LeftButton);
        typeInto(combo(box), value);
    }
    void filters(const QString& department, const QString& name, const QString& address, const QString& card)
    {
        filter(2, "Tka", card);   // ticked backwards: the order of ticking changes nothing
        filter(1, "Cdoor", address);
        filter(0, "Txm", name);
        filter(3, "Cbm", department);
        click("Ccx");
    }
    // The rows shown as card@address, sorted.
    QStringList rows()
    {
        const QStringList cards = gridColumn(grid->model(), Card), addresses = gridColumn(grid->model(), Address);
        QStringList out;
        for (int i = 0; i < cards.size(); ++i)
            out << cards.at(i) + QLatin1Char('@') + addresses.at(i);
        out.sort();
        return out;
    }
};

}  // namespace

class TestFrmFKXXCX : public QObject {
    Q_OBJECT
private slots:
    void filters_data();
    void filters();
    void orders_data();
    void orders();
    void namesInPinyinOrder();
    void readOnlyGridAndWholeNumberAddress();
    void refusedStatementEmptiesTheGrid();
    void reportHoldsEveryRowOfTheLastQuery();
};

void TestFrmFKXXCX::filters_data()
{
    QTest::addColumn<QString>("department");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("address");
    QTest::addColumn<QString>("card");
    QTest::addColumn<QString>("message");   // a check's: nothing runs, the grid keeps its rows
    QTest::addColumn<QStringList>("expected");
    const QString no, empty = QStringLiteral("");
    const QStringList all{"000001@1", "000001@2", "000002@1", "000003@5", "000004@2"};
    QTest::newRow("none") << no << no << no << no << no << all;
    QTest::newRow("department, trimmed") << QStringLiteral(" A座 ") << no << no << no << no
                                         << QStringList{"000001@1", "000001@2", "000003@5", "000004@2"};
    QTest::newRow("name") << no << QStringLiteral("李四") << no << no << no << QStringList{"000002@1"};
    QTest::newRow("address") << no << no << QStringLiteral("02") << no << no << QStringList{"000001@2", "000004@2"};
    QTest::newRow("card") << no << no << no << QStringLiteral("000001") << no << QStringList{"000001@1", "000001@2"};
    QTest::newRow("all four") << QStringLiteral("A座") << QStringLiteral("张三") << QStringLiteral("2")
                              << QStringLiteral("000001") << no << QStringList{"000001@2"};
    QTest::newRow("all four, one misses") << QStringLiteral("B座") << QStringLiteral("张三") << QStringLiteral("2")
                                          << QStringLiteral("000001") << no << QStringList{};
    QTest::newRow("a quote is text") << QStringLiteral("A座' OR '1'='1") << no << no << no << no << QStringList{};
    QTest::newRow("department blank") << QStringLiteral("   ") << no << no << no << QStringLiteral("请输入部门") << all;
    QTest::newRow("all four empty") << empty << empty << empty << empty << QStringLiteral("请输入部门") << all;
    QTest::newRow("department passes") << QStringLiteral("A座") << empty << no << no << QStringLiteral("请输入姓名")
                                       << all;
    QTest::newRow("address and card empty") << no << no << empty << empty << QStringLiteral("请选择地址") << all;
    QTest::newRow("card empty") << no << no << QStringLiteral("1") << empty << QStringLiteral("请输入卡号") << all;
}

void TestFrmFKXXCX::filters()
{
    QFETCH(QString, department);
    QFETCH(QString, name);
    QFETCH(QString, address);
    QFETCH(QString, card);
    QFETCH(QString, message);
    QFETCH(QStringList, expected);
    TestHome home;
    ScriptedPrompter prompter;
    seed(home);
    Window win;
    QCOMPARE(win.rows().size(), 5);   // opening lists every card with a holder
    win.filters(department, name, address, card);
    QCOMPARE(prompter.texts(), message.isNull() ? QStringList() : QStringList{message});
    QCOMPARE(win.rows(), expected);
    if (!message.isNull())
        QCOMPARE(prompter.shown.first().icon, Prompter::Icon::Exclamation);
}

void TestFrmFKXXCX::orders_data()
{
    QTest::addColumn<QString>("item");
    QTest::addColumn<int>("column");
    QTest::addColumn<QStringList>("expected");
    QTest::newRow("address") << QStringLiteral("1 按地址") << int(Address) << QStringList{"1", "1", "2", "2", "5"};
    QTest::newRow("card") << QStringLiteral("2 按卡号") << int(Card)
                          << QStringList{"000001", "000001", "000002", "000003", "000004"};
    QTest::newRow("name") << QStringLiteral("3 按姓名") << int(Name)
                          << QStringList{"李四", "王五", "张三", "张三", "赵六"};   // by pinyin
}

void TestFrmFKXXCX::namesInPinyinOrder()
{
    TestHome home;
    ScriptedPrompter prompter;
    const QStringList names{"张伟", "李娜", "王芳", "赵磊", "陈静", "安娜"};
    for (int i = 0; i < names.size(); ++i) {
        holder(home, card(i + 1), names.at(i), QStringLiteral("A座"));
        issued(home, 1, card(i + 1));
    }
    Window win;
    QVERIFY(pick(win.combo("Corder"), QStringLiteral("3 按姓名")));
    win.click("Ccx");
    QCOMPARE(gridColumn(win.grid->model(), int(Name)), (QStringList{"安娜", "陈静", "李娜", "王芳", "张伟", "赵磊"}));
    // A name corrected while the window is open takes its place at once.
    home.exec(QStringLiteral("UPDATE people SET 姓名 = '白雪' WHERE 卡号 = ?"), {card(4)});
    win.click("Ccx");
    QCOMPARE(gridColumn(win.grid->model(), int(Name)), (QStringList{"安娜", "白雪", "陈静", "李娜", "王芳", "张伟"}));
    QVERIFY(prompter.shown.isEmpty());
}

void TestFrmFKXXCX::orders()
{
    QFETCH(QString, item);
    QFETCH(int, column);
    QFETCH(QStringList, expected);
    TestHome home;
    ScriptedPrompter prompter;
    seed(home);
    Window win;
    QVERIFY(pick(win.combo("Corder"), item));
    win.click("Ccx");
    QCOMPARE(gridColumn(win.grid->model(), column), expected);
    // Typed in full, an item is chosen too; any other text keeps no order.
    QCOMPARE(IssuedCardQuery::orderOf(item), IssuedCardQuery::Order(IssuedCardQuery::orderItems().indexOf(item) + 1));
    QCOMPARE(IssuedCardQuery::orderOf(item.mid(2)), IssuedCardQuery::Order::Engine);
}

void TestFrmFKXXCX::readOnlyGridAndWholeNumberAddress()
{
    TestHome home;
    ScriptedPrompter prompter;
    seed(home);
    Window win;
    QComboBox* cdoor = win.combo("Cdoor");
    QVERIFY(cdoor->completer() == nullptr);
    win.filter(1, "Cdoor", QStringLiteral("1a 23"));   // letters and blanks are kept out, digits are not cut
    QCOMPARE(cdoor->currentText(), QStringLiteral("123"));
    QApplication::clipboard()->setText(QStringLiteral("1x"));
    typeInto(cdoor, QString());
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_V, Qt::ControlModifier);
    QCOMPARE(cdoor->currentText(), QString());
    typeAtFocus(QStringLiteral("1"));
    win.filter(2, "Tka", QStringLiteral("000001"));
    win.click("Ccx");

    QAbstractItemModel* m = win.grid->model();
    QCOMPARE(m->rowCount(), 1);
    QCOMPARE(m->headerData(Position, Qt::Horizontal).toString(), QStringLiteral("职位"));
    QCOMPARE(m->index(0, Position).data().toString(), QStringLiteral("经理"));
    QCOMPARE(m->index(0, State2).data().toString(), QStringLiteral("3"));   // codes, not words
    const QModelIndex cell = m->index(0, Card);
    QVERIFY(!(m->flags(cell) & Qt::ItemIsEditable));
    QTest::mouseDClick(win.grid->viewport(), Qt::LeftButton, {}, win.grid->visualRect(cell).center());
    typeAtFocus(QStringLiteral("999999"));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    QCOMPARE(column(home, QStringLiteral("SELECT 卡号 FROM faka WHERE 地址 = 1 ORDER BY 卡号")),
             (QStringList{"000001", "000002"}));
}

void TestFrmFKXXCX::refusedStatementEmptiesTheGrid()
{
    TestHome home;
    ScriptedPrompter prompter;
    seed(home);
    Window win;
    home.exec(QStringLiteral("ALTER TABLE people RENAME TO people_elsewhere"));
    win.click("Ccx");
    QCOMPARE(prompter.shown.size(), 1);
    QVERIFY2(prompter.last().startsWith(QStringLiteral("查询失败：")), qPrintable(prompter.last()));
    QCOMPARE(win.grid->model()->rowCount(), 0);
    QCOMPARE(win.grid->model()->headerData(0, Qt::Horizontal).toString(), QStringLiteral("姓名"));
}

void TestFrmFKXXCX::reportHoldsEveryRowOfTheLastQuery()
{
    TestHome home;
    ScriptedPrompter prompter;
    KeptReports reports;
    QStringList expected;
    for (int i = 1; i <= 700; ++i) {   // more rows than the grid reads at first
        holder(home, card(i), QStringLiteral("业主%1").arg(i), i % 7 ? QStringLiteral("A座") : QStringLiteral("B座"));
        // Lock 1 of the first two cards has no known mode (7) and none at all.
        issued(home, i % 100, card(i), i == 1 ? QVariant(7) : i == 2 ? QVariant() : QVariant(i % 4), 3);
        if (i % 7)
            expected << card(i);
    }
    Window win;
    win.filter(3, "Cbm", QStringLiteral("A座"));
    QVERIFY(pick(win.combo("Corder"), QStringLiteral("2 按卡号")));
    win.click("Ccx");
    QVERIFY(win.grid->model()->canFetchMore({}));
    win.click("Command2");
    QVERIFY2(prompter.shown.isEmpty(), qPrintable(prompter.last()));
    QCOMPARE(reports.shown.size(), 1);
    QCOMPARE(reports.shown.first().report().title, QStringLiteral("发卡信息表"));
    QCOMPARE(column(home, QStringLiteral("SELECT 卡号 FROM fakapt ORDER BY rowid")), expected);
    QCOMPARE(column(home, QStringLiteral("SELECT ctrl_state1 FROM fakapt ORDER BY rowid LIMIT 6")),
             (QStringList{"<null>", "<null>", "禁止", "进出", "进", "出"}));
    QCOMPARE(column(home, QStringLiteral("SELECT DISTINCT ctrl_state2 FROM fakapt")), QStringList{"禁止"});
    // The card's own fields go across unchanged.
    QCOMPARE(column(home, QStringLiteral("SELECT 物理卡号 || 卡号 || 地址 || 开始日期 || 开始时间 || 开始星期 || "
                                         "截止日期 || 截止时间 || 截止星期 FROM fakapt WHERE 卡号 = '000123'")),
             QStringList{QStringLiteral("0000012323000123" "23" "2024-01-01" "08:00:00" "1" "2025-12-31" "18:00:00" "7")});
    QCOMPARE(pdfMisses(IssuedCardQuery::report(home.db()), home.file(QStringLiteral("faka.pdf")),
                       expected + QStringList{"禁止", "进出"}, {card(7)}),
             QStringList());
}

QTEST_MAIN(TestFrmFKXXCX)
#include "tst_frmfkxxcx.moc"
