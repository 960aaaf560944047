// The door-open record query: its filters and orders as an operator sets
// them, its messages, and the report of what it shows.

#include "support/Controls.h"
#include "support/OperatorInput.h"
#include "support/ScriptedPrompter.h"
#include "support/TestHome.h"

#include "db/BoundQuery.h"
#include "db/Clock.h"
#include "records/Frmque.h"
#include "records/RecordQuery.h"
#include "reports/ReportViewer.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QDateEdit>
#include <QLineEdit>
#include <QProcess>
#include <QSqlQuery>
#include <QPushButton>
#include <QTableView>
#include <QTimeEdit>
#include <QtTest>

namespace {

struct Home {
    TestHome home;
    ScriptedPrompter prompts;

    Home()
    {
        Clock::freeze(QDateTime(QDate(2024, 3, 5), QTime(9, 0)));
        const QList<QVariantList> people{
            {"000001", "张三", "一号楼", "经理"},
            {"000002", "O'Brien", "二号楼", "保安"},
            {"000003", "李四", "三号楼", QVariant()},
        };
        for (const QVariantList& p : people)
            home.exec(QStringLiteral("INSERT INTO people (卡号, 姓名, 部门, 职务) VALUES (?, ?, ?, ?)"), p);
        const QList<QVariantList> records{
            {7, "000001", "2024-03-05", "08:30:00", 1, "锁一进"},
            {7, "000001", "2024-03-05", "17:40:00", 2, "锁一出"},
            {3, "000002", "2024-03-04", "12:00:00", 3, "锁二进"},
            {3, "000003", "2024-03-06", "19:00:00", 9, ""},
            {5, "000999", "2024-03-05", "10:00:00", 1, "锁一进"},  // a card of nobody
        };
        for (const QVariantList& r : records)
            home.exec(QStringLiteral("INSERT INTO data (地址, 卡号, 日期, 时间, flag, flagIO) VALUES (?, ?, ?, ?, ?, ?)"), r);
    }
};

// What the grid shows: "name card date time" a row.
QStringList rows(Frmque& w)
{
    QTableView* grid = child<QTableView>(w, "DBGrid1");
    QStringList out;
    for (int r = 0; r < grid->model()->rowCount(); ++r) {
        auto at = [&](int c) { return grid->model()->index(r, c).data().toString(); };
        out << QStringLiteral("%1 %2 %3 %4").arg(at(0), at(3), at(4), at(5));
    }
    return out;
}

// Keeps count of the reports shown instead of opening the preview.
class CountingViewer : public ReportViewer {
public:
    int shown = 0;
    CountingViewer() { ReportViewer::install(this); }
    ~CountingViewer() override { ReportViewer::install(nullptr); }
    void show(QWidget*, const ReportDocument&) override { ++shown; }
};

void typeInto(QWidget* box, const QString& text)
{
    box->setFocus();
    QApplication::processEvents();
    QTest::keyClicks(QApplication::focusWidget(), text);
}

}  // namespace

class TestFrmque : public QObject {
    Q_OBJECT
private slots:
    void loadsEveryJoinedRecord();
    void filtersAndOrders_data();
    void filtersAndOrders();
    void missingInputIsAskedFor_data();
    void missingInputIsAskedFor();
    void addressBoxTakesDigitsOnly();
    void recordCellsAreCorrectedInPlace_data();
    void recordCellsAreCorrectedInPlace();
    void refusedQueryEmptiesTheGrid();
    void reportStagesWhatIsShown();
    void printTakesTheShownRows();
};

void TestFrmque::loadsEveryJoinedRecord()
{
    Home h;
    Frmque w;
    QCOMPARE(w.windowTitle(), QStringLiteral("打卡数据查询"));
    QCOMPARE(rows(w).size(), 4);
    QVERIFY(!rows(w).join(QLatin1Char('|')).contains(QStringLiteral("000999")));
    QComboBox* door = child<QComboBox>(w, "Cdoor");
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    // Each list is read when the operator first comes to it; what was typed stays.
    for (const char* box : {"Cdoor", "Cka", "Cna"})
        QCOMPARE(child<QComboBox>(w, box)->count(), 0);
    typeInto(door, QStringLiteral("5"));
    QCOMPARE(door->currentText(), QStringLiteral("5"));
    QStringList addresses;
    for (int i = 0; i < door->count(); ++i)
        addresses << door->itemText(i);
    QCOMPARE(addresses, (QStringList{"3", "5", "7"}));
    OperatorInput::pickFromList(child<QComboBox>(w, "Cka"), QStringLiteral("000002"));
    QCOMPARE(child<QComboBox>(w, "Cka")->currentText(), QStringLiteral("000002"));
    QCOMPARE(child<QComboBox>(w, "Cka")->count(), 4);
    typeInto(child<QComboBox>(w, "Cna"), QStringLiteral("O"));
    QCOMPARE(child<QComboBox>(w, "Cna")->count(), 3);
    QCOMPARE(child<QComboBox>(w, "Corder")->currentText(), QStringLiteral("排序方法"));
    QCOMPARE(child<QDateEdit>(w, "t1s")->date(), QDate(2024, 3, 5));
    QCOMPARE(child<QTimeEdit>(w, "t2e")->time(), QTime(18, 0));
    QTableView* grid = child<QTableView>(w, "DBGrid1");
    QCOMPARE(grid->model()->headerData(7, Qt::Horizontal).toString(), QStringLiteral("进出标志"));
    QCOMPARE(grid->model()->headerData(8, Qt::Horizontal).toString(), QStringLiteral("采集标志"));
}

void TestFrmque::filtersAndOrders_data()
{
    QTest::addColumn<QList<int>>("checked");  // Cck indices
    QTest::addColumn<QDate>("lastDay");
    QTest::addColumn<QTime>("lastTime");
    QTest::addColumn<QString>("address");
    QTest::addColumn<QString>("card");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("order");
    QTest::addColumn<QStringList>("expected");
    const QDate d5(2024, 3, 5), d6(2024, 3, 6);
    const QTime t18(18, 0), t20(20, 0);
    QTest::newRow("by date") << QList<int>{} << d5 << t18 << "" << "" << "" << "1 按日期"
                             << QStringList{"O'Brien 000002 2024-03-04 12:00:00", "张三 000001 2024-03-05 08:30:00",
                                            "张三 000001 2024-03-05 17:40:00", "李四 000003 2024-03-06 19:00:00"};
    QTest::newRow("one day") << QList<int>{0} << d5 << t18 << "" << "" << "" << "2 按时间"
                             << QStringList{"张三 000001 2024-03-05 08:30:00", "张三 000001 2024-03-05 17:40:00"};
    QTest::newRow("day range, time range") << QList<int>{0, 3} << d6 << t20 << "" << "" << "" << "2 按时间"
                                           << QStringList{"张三 000001 2024-03-05 08:30:00", "张三 000001 2024-03-05 17:40:00",
                                                          "李四 000003 2024-03-06 19:00:00"};
    QTest::newRow("address trimmed") << QList<int>{1} << d5 << t18 << " 3 " << "" << "" << "4 按卡号"
                                     << QStringList{"O'Brien 000002 2024-03-04 12:00:00", "李四 000003 2024-03-06 19:00:00"};
    QTest::newRow("card") << QList<int>{2} << d5 << t18 << "" << "000003" << "" << ""
                          << QStringList{"李四 000003 2024-03-06 19:00:00"};
    QTest::newRow("name with a quote") << QList<int>{4} << d5 << t18 << "" << "" << "O'Brien" << "6 按姓名"
                                       << QStringList{"O'Brien 000002 2024-03-04 12:00:00"};
    QTest::newRow("typed order unknown") << QList<int>{1, 0} << d6 << t18 << "7" << "" << "" << "9 x"
                                                        << QStringList{"张三 000001 2024-03-05 08:30:00",
                                                                       "张三 000001 2024-03-05 17:40:00"};
    QTest::newRow("by department") << QList<int>{} << d5 << t18 << "" << "" << "" << "5 按部门"
                                   << QStringList{"张三 000001 2024-03-05 08:30:00", "张三 000001 2024-03-05 17:40:00",
                                                  "李四 000003 2024-03-06 19:00:00", "O'Brien 000002 2024-03-04 12:00:00"};
    QTest::newRow("card of nobody") << QList<int>{2} << d5 << t18 << "" << "000999" << "" << "" << QStringList{};
}

void TestFrmque::filtersAndOrders()
{
    QFETCH(QList<int>, checked);
    QFETCH(QDate, lastDay);
    QFETCH(QTime, lastTime);
    QFETCH(QString, address);
    QFETCH(QString, card);
    QFETCH(QString, name);
    QFETCH(QString, order);
    QFETCH(QStringList, expected);
    Home h;
    Frmque w;
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    for (int i : checked)
        QTest::mouseClick(child<QCheckBox>(w, qPrintable(QStringLiteral("Cck_%1").arg(i))), Qt::LeftButton, {},
                          QPoint(4, 4));
    child<QDateEdit>(w, "t1e")->setDate(lastDay);
    child<QTimeEdit>(w, "t2e")->setTime(lastTime);
    if (!address.isEmpty())
        typeInto(child<QComboBox>(w, "Cdoor"), address);
    if (!card.isEmpty())
        typeInto(child<QComboBox>(w, "Cka"), card);
    if (!name.isEmpty())
        typeInto(child<QComboBox>(w, "Cna"), name);
    QComboBox* o = child<QComboBox>(w, "Corder");
    if (const int item = o->findText(order); item >= 0) {
        // Picked from the list, by mouse.
        o->showPopup();
        QAbstractItemView* list = o->view();
        QTRY_VERIFY(list->isVisible());
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualRect(list->model()->index(item, 0)).center());
        QTRY_COMPARE(o->currentText(), order);
    } else if (!order.isEmpty()) {
        o->lineEdit()->selectAll();
        typeInto(o, order);
    }
    child<QPushButton>(w, "Ccx")->click();
    QCOMPARE(h.prompts.texts(), QStringList{});
    QStringList got = rows(w);
    if (order.isEmpty() || order.startsWith(QLatin1Char('9'))) {
        got.sort();
        expected.sort();
    }
    QCOMPARE(got, expected);
}

void TestFrmque::missingInputIsAskedFor_data()
{
    QTest::addColumn<QList<int>>("checked");
    QTest::addColumn<QString>("card");
    QTest::addColumn<QString>("message");
    QTest::newRow("address") << QList<int>{1} << "" << "请选择地址";
    QTest::newRow("address before card") << QList<int>{2, 1} << "" << "请选择地址";
    QTest::newRow("card of blanks") << QList<int>{2} << "   " << "请选择卡号";
    QTest::newRow("name") << QList<int>{4, 0} << "" << "请选择姓名";
}

void TestFrmque::missingInputIsAskedFor()
{
    QFETCH(QList<int>, checked);
    QFETCH(QString, card);
    QFETCH(QString, message);
    Home h;
    Frmque w;
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    for (int i : checked)
        child<QCheckBox>(w, qPrintable(QStringLiteral("Cck_%1").arg(i)))->click();
    if (!card.isEmpty())
        typeInto(child<QComboBox>(w, "Cka"), card);
    child<QPushButton>(w, "Ccx")->click();
    QCOMPARE(h.prompts.texts(), QStringList{message});
    QCOMPARE(h.prompts.shown.first().icon, Prompter::Icon::Exclamation);
    // The grid keeps what it showed.
    QCOMPARE(rows(w).size(), 4);
}

void TestFrmque::addressBoxTakesDigitsOnly()
{
    Home h;
    Frmque w;
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    QComboBox* door = child<QComboBox>(w, "Cdoor");
    typeInto(door, QStringLiteral("a7b"));
    QCOMPARE(door->currentText(), QStringLiteral("7"));
    QApplication::clipboard()->setText(QStringLiteral("x5"));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_V, Qt::ControlModifier);
    QCOMPARE(door->currentText(), QStringLiteral("7"));
    // A third digit stays: 712 is refused by the check, never read as 71.
    QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("12"));
    QCOMPARE(door->currentText(), QStringLiteral("712"));
    // The check behind the box refuses what no controller can be.
    RecordQueryInput in;
    in.byAddress = true;
    for (const char* bad : {"100", "712", "-1", "1.5", " ", "+5"}) {
        in.address = QString::fromLatin1(bad);
        QVERIFY(std::holds_alternative<QString>(RecordQuery::check(in)));
    }
}

void TestFrmque::recordCellsAreCorrectedInPlace_data()
{
    QTest::addColumn<int>("column");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("stored");   // the record's field afterwards
    QTest::addColumn<QString>("refusal");
    QTest::newRow("card") << 3 << "000003" << "000003" << "";
    QTest::newRow("card not six digits") << 3 << "00001" << "000001" << "卡号应为6位数字";
    QTest::newRow("day") << 4 << "2024-3-7" << "2024-03-07" << "";
    QTest::newRow("no such day") << 4 << "2024-02-30" << "2024-03-05" << "日期应为“年-月-日”，如2024-03-01";
    QTest::newRow("time") << 5 << "8:31" << "08:31:00" << "";
    QTest::newRow("no such time") << 5 << "25:00" << "08:30:00" << "时间应为“时:分:秒”，如08:30:00";
    QTest::newRow("address") << 6 << "12" << "12" << "";
    QTest::newRow("address too high") << 6 << "100" << "7" << "地址应为0到99之间的整数";
    QTest::newRow("direction") << 7 << "锁二进" << "锁二进" << "";
    QTest::newRow("no such direction") << 7 << "锁三进" << "锁一进" << "进出标志应为锁一进、锁一出、锁二进或锁二出";
    QTest::newRow("channel") << 8 << "3" << "3" << "";
    QTest::newRow("no such channel") << 8 << "5" << "1"
                                     << "采集标志应为1到4的整数（1锁一进，2锁一出，3锁二进，4锁二出）";
    // 08:30 with channel 2 is already there: the record would be that one.
    QTest::newRow("the same pass as another") << 8 << "2" << "1"
                                              << "修改未保存：改后与另一条打卡记录（卡号、日期、时间、地址和采集标志都相同）重复";
}

void TestFrmque::recordCellsAreCorrectedInPlace()
{
    QFETCH(int, column);
    QFETCH(QString, typed);
    QFETCH(QString, stored);
    QFETCH(QString, refusal);
    Home h;
    h.home.exec(QStringLiteral("INSERT INTO data (地址, 卡号, 日期, 时间, flag, flagIO) "
                               "VALUES (7, '000001', '2024-03-05', '08:30:00', 2, '锁一出')"));
    const qint64 id = h.home.scalar(QStringLiteral("SELECT rowid FROM data WHERE 时间 = '08:30:00' AND flag = 1")).toLongLong();
    const char* fields[] = {"卡号", "日期", "时间", "地址", "flagIO", "flag"};
    auto field = [&] {
        return h.home.scalar(QStringLiteral("SELECT \"%1\" FROM data WHERE rowid = ?").arg(QString::fromUtf8(fields[column - 3])), {id})
            .toString();
    };
    Frmque w;
    w.show();
    QVERIFY(QTest::qWaitForWindowActive(&w));
    QTableView* grid = child<QTableView>(w, "DBGrid1");
    int row = -1;
    for (int r = 0; r < grid->model()->rowCount(); ++r)
        if (grid->model()->index(r, 5).data().toString() == QLatin1String("08:30:00") &&
            grid->model()->index(r, 8).data().toInt() == 1)
            row = r;
    QVERIFY(row >= 0);
    const QString before = grid->model()->index(row, column).data().toString();

    // F2, the old text selected, typed over, Enter.
    grid->setFocus();
    grid->setCurrentIndex(grid->model()->index(row, column));
    QTest::keyClick(grid, Qt::Key_F2);
    QWidget* editor = QApplication::focusWidget();
    QVERIFY(editor && editor != grid);
    OperatorInput::typeInto(editor, typed);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    QTRY_VERIFY(!grid->indexWidget(grid->currentIndex()));
    QCoreApplication::processEvents();

    QCOMPARE(field(), stored);
    QCOMPARE(h.prompts.texts(), refusal.isEmpty() ? QStringList{} : QStringList{refusal});
    QCOMPARE(grid->model()->index(row, column).data().toString(), refusal.isEmpty() ? stored : before);
    QCOMPARE(h.home.scalar(QStringLiteral("SELECT count(*) FROM data")).toInt(), 6);

    // The holder's columns come from people: not the record's to change.
    for (int c = 0; c < 3; ++c) {
        const QModelIndex i = grid->model()->index(row, c);
        QVERIFY(!(grid->model()->flags(i) & Qt::ItemIsEditable));
        QVERIFY(!grid->model()->setData(i, QStringLiteral("改")));
    }
    QCOMPARE(h.home.scalar(QStringLiteral("SELECT 姓名 FROM people WHERE 卡号 = '000001'")).toString(), QStringLiteral("张三"));
}

void TestFrmque::refusedQueryEmptiesTheGrid()
{
    Home h;
    Frmque w;
    QCOMPARE(rows(w).size(), 4);
    h.home.exec(QStringLiteral("DROP TABLE people"));
    child<QPushButton>(w, "Ccx")->click();
    QCOMPARE(h.prompts.shown.size(), 1);
    QVERIFY(h.prompts.last().startsWith(QStringLiteral("查询失败")));
    QCOMPARE(rows(w).size(), 0);
}

void TestFrmque::reportStagesWhatIsShown()
{
    Home h;
    RecordFilter f;
    f.order = 0;
    const RecordStatement s = RecordQuery::statement(h.home.db(), f);
    EditableGridModel grid(h.home.db(), RecordQuery::gridCaptions(), {}, {});
    QVERIFY(grid.run([&](QSqlDatabase reader) { return BoundQuery::scrollable(reader, s.sql, s.values); }));
    const ReportOutcome staged = RecordQuery::stage(h.home.db(), grid);
    QVERIFY(staged.ok());
    QCOMPARE(staged.rows, 4);
    QSqlQuery q(h.home.db());
    QVERIFY(q.exec(QStringLiteral("SELECT 姓名, 地址, 时间, flag FROM dataPT ORDER BY rowid")));
    QStringList staged_rows;
    while (q.next())
        staged_rows << QStringLiteral("%1 %2 %3 %4").arg(q.value(0).toString(), q.value(1).toString(),
                                                         q.value(2).toString(), q.value(3).toString());
    QCOMPARE(staged_rows, (QStringList{"O'Brien 3 12:00:00 锁二进", "张三 7 08:30:00 锁一进", "张三 7 17:40:00 锁一出",
                                       "李四 3 19:00:00 "}));

    const QString pdf = h.home.file(QStringLiteral("drda2.pdf"));
    QVERIFY(RecordQuery::report(h.home.db()).renderPdf(pdf).ok());
    QProcess p;
    p.start(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), pdf, QStringLiteral("-")});
    QVERIFY(p.waitForFinished(60000));
    const QString text = QString::fromUtf8(p.readAllStandardOutput());
    for (const char* s : {"打卡数据表", "O'Brien", "张三", "李四", "锁二进", "锁一出", "17:40:00", "2024-03-06"})
        QVERIFY2(text.contains(QString::fromUtf8(s)), s);
    QVERIFY(!text.contains(QStringLiteral("000999")));

}

void TestFrmque::printTakesTheShownRows()
{
    Home h;
    CountingViewer viewer;
    Frmque w;
    w.show();
    QVERIFY(QTest::qWaitForWindowActive(&w));
    child<QCheckBox>(w, "Cck_2")->click();
    typeInto(child<QComboBox>(w, "Cka"), QStringLiteral("000001"));
    child<QPushButton>(w, "Ccx")->click();
    child<QPushButton>(w, "Command2")->click();
    QCOMPARE(viewer.shown, 1);
    QCOMPARE(h.home.scalar(QStringLiteral("SELECT COUNT(*) FROM dataPT WHERE 卡号 = '000001'")).toInt(), 2);
    QCOMPARE(h.home.scalar(QStringLiteral("SELECT COUNT(*) FROM dataPT")).toInt(), 2);
    child<QCheckBox>(w, "Cck_0")->click();   // today too, 2024-03-05: 08:30 and 17:40, printed as corrected
    child<QPushButton>(w, "Ccx")->click();
    QTableView* grid = child<QTableView>(w, "DBGrid1");
    auto correct = [grid](int row, int column, const QString& text) {   // F2, typed over, Enter
        grid->setFocus();
        grid->setCurrentIndex(grid->model()->index(row, column));
        QTest::keyClick(grid, Qt::Key_F2);
        OperatorInput::typeInto(QApplication::focusWidget(), text);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        QTRY_VERIFY(!grid->indexWidget(grid->currentIndex()));
        QCoreApplication::processEvents();
    };
    correct(0, 4, QStringLiteral("2024-03-07"));   // no longer a record of the day asked for
    correct(1, 8, QStringLiteral("3"));            // the channel, and with it the direction
    child<QPushButton>(w, "Command2")->click();
    QCOMPARE(viewer.shown, 2);
    QStringList shown;
    for (int r = 0; r < grid->model()->rowCount(); ++r)
        for (int c : {3, 4, 5, 7})
            shown << grid->model()->index(r, c).data().toString();
    QCOMPARE(shown.mid(4), (QStringList{"000001", "2024-03-05", "17:40:00", "锁二进"}));
    QCOMPARE(h.home.scalar(QStringLiteral("SELECT group_concat(卡号 || ' ' || 日期 || ' ' || 时间 || ' ' || flag, ' ') "
                                          "FROM (SELECT * FROM dataPT ORDER BY rowid)")).toString(), shown.join(QLatin1Char(' ')));
    QCOMPARE(h.home.scalar(QStringLiteral("SELECT flagIO FROM data WHERE 时间 = '17:40:00'")).toString(), QStringLiteral("锁二进"));
    // After a refused query nothing is shown, and nothing is printed.
    h.home.exec(QStringLiteral("DROP TABLE people"));
    child<QPushButton>(w, "Ccx")->click();
    child<QPushButton>(w, "Command2")->click();
    QCOMPARE(viewer.shown, 3);
    QCOMPARE(h.home.scalar(QStringLiteral("SELECT COUNT(*) FROM dataPT")).toInt(), 0);
}

QTEST_MAIN(TestFrmque)
#include "tst_frmque.moc"
