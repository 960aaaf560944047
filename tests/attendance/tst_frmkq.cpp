#include "attendance/AttendanceQuery.h"
#include "attendance/Frmkq.h"
#include "reports/ReportViewer.h"
#include "support/Controls.h"
#include "support/OperatorInput.h"
#include "support/ScriptedPrompter.h"
#include "support/TestHome.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QSqlQuery>
#include <QStandardPaths>
#include <QTableView>
#include <QtTest>

namespace {

class KeptReports : public ReportViewer {
public:
    KeptReports() { ReportViewer::install(this); }
    ~KeptReports() override { ReportViewer::install(nullptr); }
    void show(QWidget*, const ReportDocument& d) override { rows = d.rows(); ++shown; }
    QList<QStringList> rows;
    int shown = 0;
};

// Four people over three days; 丙 and 丁 share a building, 甲 has a row
// whose name was taken from an older personnel record.
void seed(const TestHome& home)
{
    home.exec(QStringLiteral("INSERT INTO people (卡号, 姓名, 部门) VALUES ('000001', '甲', 'B座'), ('000002', '乙', 'A座'), "
                             "('000003', '丙', 'C座'), ('000004', '丁', 'C座'), ('000005', '戊', 'A座')"));
    const char* rows[][4] = {
        {"000003", "2024-03-05", "丙", "C座"}, {"000001", "2024-03-04", "甲", "B座"}, {"000002", "2024-03-06", "乙", "A座"},
        {"000004", "2024-03-05", "丁", "C座"}, {"000001", "2024-03-05", "甲", "B座"}, {"000002", "2024-03-04", "乙", "A座"},
        {"000003", "2024-03-04", "丙", "C座"}, {"000001", "2024-03-06", "甲甲", "B座"},
    };
    int n = 0;
    for (const auto& r : rows)
        home.exec(QStringLiteral("INSERT INTO datakq (卡号, 日期, 姓名, 部门, 职务, 时间1, 时间2, hrs, late, leavee, absent) "
                                 "VALUES (?, ?, ?, ?, '职员', '08:3%1:00', NULL, 6.17, %1, 0, 420)").arg(n++ % 10),
                  {QString::fromUtf8(r[0]), QString::fromUtf8(r[1]), QString::fromUtf8(r[2]), QString::fromUtf8(r[3])});
}

struct Window {
    Frmkq w;
    QTableView* grid = child<QTableView>(w, "DBGrid1");
    Window()
    {
        w.show();
        if (!QTest::qWaitForWindowActive(&w))
            qFatal("the query window did not come up");
    }
    void check(int box) { child<QCheckBox>(w, qPrintable(QStringLiteral("Cck%1").arg(box)))->click(); }
    void type(const char* box, const QString& text) { OperatorInput::typeInto(child<QComboBox>(w, box), text); }
    // The operator opens the list and clicks the item.
    void pick(const char* box, const QString& item) { OperatorInput::pickFromList(child<QComboBox>(w, box), item); }
    void click(const char* name) { child<QPushButton>(w, name)->click(); }
    // "卡号 日期" of each shown row, in order.
    QStringList shown() const
    {
        QStringList out;
        for (int r = 0; r < grid->model()->rowCount(); ++r)
            out << grid->model()->index(r, 1).data().toString() + QLatin1Char(' ') +
                       grid->model()->index(r, 2).data().toString();
        return out;
    }
};

QStringList stagedKeys(const TestHome& home)
{
    QSqlQuery q(home.db());
    q.exec(QStringLiteral("SELECT 卡号, 日期 FROM datakqPT ORDER BY rowid"));
    QStringList out;
    while (q.next())
        out << q.value(0).toString() + QLatin1Char(' ') + q.value(1).toString();
    return out;
}

}  // namespace

class TestFrmkq : public QObject {
    Q_OBJECT
private slots:
    void filtersAndOrders_data();
    void filtersAndOrders();
    void printingStagesTheLastQuery();
    void reportPdfHoldsEveryStagedRow();
    void gridEditsAreCheckedPerColumn_data();
    void gridEditsAreCheckedPerColumn();
};

void TestFrmkq::filtersAndOrders_data()
{
    QTest::addColumn<QString>("boxes");   // 0 date, 1 department, 2 card, 4 name
    QTest::addColumn<QDate>("first");
    QTest::addColumn<QDate>("last");
    QTest::addColumn<QString>("card");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("department");
    QTest::addColumn<QString>("order");
    QTest::addColumn<QStringList>("expected");   // or the message, when refused
    const QDate d4(2024, 3, 4), d5(2024, 3, 5), d6(2024, 3, 6);
    QTest::newRow("one day, by card") << "0" << d5 << d5 << "" << "" << "" << "2 按卡号"
                                      << QStringList{"000001 2024-03-05", "000003 2024-03-05", "000004 2024-03-05"};
    QTest::newRow("range, by date") << "0" << d5 << d6 << "" << "" << "" << "1 按日期"
                                    << QStringList{"000001 2024-03-05", "000003 2024-03-05", "000004 2024-03-05",
                                                   "000001 2024-03-06", "000002 2024-03-06"};
    QTest::newRow("reversed range finds nothing") << "0" << d6 << d4 << "" << "" << "" << "" << QStringList{};
    QTest::newRow("card, trimmed") << "2" << d4 << d4 << " 000001 " << "" << "" << "1 按日期"
                                   << QStringList{"000001 2024-03-04", "000001 2024-03-05", "000001 2024-03-06"};
    QTest::newRow("name as stored in the row") << "4" << d4 << d4 << "" << "甲" << "" << "1 按日期"
                                               << QStringList{"000001 2024-03-04", "000001 2024-03-05"};
    QTest::newRow("building, by name") << "1" << d4 << d4 << "" << "" << "C座" << "4 按姓名"
                                       // 丙 (bing) before 丁 (ding), as a reader looks them up
                                       << QStringList{"000003 2024-03-04", "000003 2024-03-05", "000004 2024-03-05"};
    // Departments are one whatever the case of their letters.
    QTest::newRow("building typed in another case") << "1" << d4 << d4 << "" << "" << "c座" << "2 按卡号"
                                                    << QStringList{"000003 2024-03-04", "000003 2024-03-05", "000004 2024-03-05"};
    QTest::newRow("building and dates, by date") << "0 1" << d4 << d5 << "" << "" << "C座" << "1 按日期"
                                                 << QStringList{"000003 2024-03-04", "000003 2024-03-05",
                                                                "000004 2024-03-05"};
    QTest::newRow("one day, by building") << "0" << d6 << d6 << "" << "" << "" << "3 按部门"
                                          << QStringList{"000002 2024-03-06", "000001 2024-03-06"};
    QTest::newRow("every filter") << "0 1 2 4" << d4 << d6 << "000002" << "乙" << "A座" << "1 按日期"
                                  << QStringList{"000002 2024-03-04", "000002 2024-03-06"};
    QTest::newRow("a typed order that is no item") << "2" << d4 << d4 << "000003" << "" << "" << "by day"
                                                   << QStringList{"000003 2024-03-05", "000003 2024-03-04"};
    // The first missing value in the order date, card, name, building.
    QTest::newRow("card missing first") << "1 2 4" << d4 << d4 << "" << "" << "" << "" << QStringList{"请选择卡号"};
    QTest::newRow("blank card") << "2" << d4 << d4 << "   " << "" << "" << "" << QStringList{"请选择卡号"};
    QTest::newRow("then the name") << "1 2 4" << d4 << d4 << "000001" << "" << "" << "" << QStringList{"请选择姓名"};
    QTest::newRow("then the building") << "1 2" << d4 << d4 << "000001" << "" << "" << "" << QStringList{"请选择部门"};
}

void TestFrmkq::filtersAndOrders()
{
    QFETCH(QString, boxes);
    QFETCH(QDate, first);
    QFETCH(QDate, last);
    QFETCH(QString, card);
    QFETCH(QString, name);
    QFETCH(QString, department);
    QFETCH(QString, order);
    QFETCH(QStringList, expected);
    TestHome home;
    ScriptedPrompter prompter;
    seed(home);
    Window win;
    QCOMPARE(win.w.windowTitle(), QStringLiteral("考勤汇总数据查询"));
    QCOMPARE(win.shown().size(), 8);   // every row at first
    for (const QString& b : boxes.split(QLatin1Char(' ')))
        win.check(b.toInt());
    child<QDateEdit>(win.w, "t1s")->setDate(first);
    child<QDateEdit>(win.w, "t1e")->setDate(last);
    if (!card.isEmpty())
        win.type("Cka", card);
    if (!name.isEmpty())
        win.pick("Cna", name);
    if (!department.isEmpty() && department.front().isLower())
        win.type("Cbm", department);
    else if (!department.isEmpty())
        win.pick("Cbm", department);
    if (AttendanceQuery::orderItems().contains(order))
        win.pick("Corder", order);
    else if (!order.isEmpty())
        win.type("Corder", order);
    win.click("Ccx");
    if (expected.size() == 1 && expected.first().startsWith(QStringLiteral("请选择"))) {
        QCOMPARE(prompter.texts(), expected);
        QCOMPARE(prompter.shown.last().icon, Prompter::Icon::Exclamation);
        QCOMPARE(win.shown().size(), 8);   // the grid keeps the last query
        return;
    }
    QVERIFY(prompter.shown.isEmpty());
    if (order.isEmpty() || !AttendanceQuery::orderItems().contains(order)) {
        // No order: compare as sets.
        QStringList got = win.shown();
        got.sort();
        expected.sort();
        QCOMPARE(got, expected);
    } else {
        QCOMPARE(win.shown(), expected);
    }
}

void TestFrmkq::printingStagesTheLastQuery()
{
    TestHome home;
    ScriptedPrompter prompter;
    KeptReports viewer;
    seed(home);
    Window win;
    win.click("Command2");   // right after opening: every row
    QCOMPARE(viewer.shown, 1);
    QCOMPARE(stagedKeys(home).size(), 8);

    win.check(0);
    child<QDateEdit>(win.w, "t1s")->setDate(QDate(2024, 3, 5));
    child<QDateEdit>(win.w, "t1e")->setDate(QDate(2024, 3, 6));
    win.pick("Corder", QStringLiteral("2 按卡号"));
    win.click("Ccx");
    win.click("Command2");
    QVERIFY(prompter.shown.isEmpty());
    QCOMPARE(viewer.shown, 2);
    const QStringList expected{"000001 2024-03-05", "000001 2024-03-06", "000002 2024-03-06", "000003 2024-03-05",
                               "000004 2024-03-05"};
    QCOMPARE(stagedKeys(home), expected);
    QCOMPARE(viewer.rows.size(), 5);
    QCOMPARE(viewer.rows.first().mid(0, 4), (QStringList{"甲", "000001", "2024-03-05", "08:34:00"}));

    // A query that finds nothing prints an empty report.
    win.check(0);
    win.check(4);
    win.type("Cna", QStringLiteral("nobody"));
    win.click("Ccx");
    win.click("Command2");
    QCOMPARE(stagedKeys(home), QStringList{});
    // A refused query leaves the last one to be printed.
    win.check(4);
    win.check(1);
    win.click("Ccx");
    QCOMPARE(prompter.texts(), QStringList{"请选择部门"});
    home.exec(QStringLiteral("UPDATE datakq SET 姓名 = 'nobody' WHERE 卡号 = '000002' AND 日期 = '2024-03-06'"));
    win.click("Command2");
    QCOMPARE(stagedKeys(home), QStringList{"000002 2024-03-06"});
    QCOMPARE(viewer.shown, 4);
    // A query the database refuses leaves nothing of an earlier one to print.
    win.check(1);
    home.exec(QStringLiteral("DROP TABLE datakq"));
    win.click("Ccx");
    QVERIFY(prompter.texts().last().startsWith(QStringLiteral("查询考勤数据出错")));
    win.click("Command2");
    QCOMPARE(stagedKeys(home), QStringList{});
    QCOMPARE(viewer.shown, 5);
}

void TestFrmkq::reportPdfHoldsEveryStagedRow()
{
    TestHome home;
    for (int i = 0; i < 120; ++i)
        home.exec(QStringLiteral("INSERT INTO datakq (卡号, 日期, 姓名, 部门, 时间1, 时间4, hrs, late, leavee, absent) "
                                 "VALUES (?, '2024-03-04', ?, '阳光大厦', '08:31:00', '17:29:00', 7.5, 1, 1, 0)"),
                  {QStringLiteral("%1").arg(300000 + i * 7), QStringLiteral("员工%1号").arg(i)});
    AttendanceQuery::Filter all;
    all.order = 1;
    const ReportOutcome staged = AttendanceQuery::stage(home.db(), AttendanceQuery::statement(home.db(), all));
    QVERIFY2(staged.ok(), qPrintable(staged.message()));
    QCOMPARE(staged.rows, 120);
    const QString pdf = home.file(QStringLiteral("drkq.pdf"));
    const ReportOutcome o = AttendanceQuery::report(home.db()).renderPdf(pdf);
    QVERIFY2(o.ok(), qPrintable(o.message()));
    const QString tool = QStandardPaths::findExecutable(QStringLiteral("pdftotext"));
    if (tool.isEmpty())
        QSKIP("pdftotext is not installed");
    QProcess p;
    p.start(tool, {pdf, QStringLiteral("-")});
    QVERIFY(p.waitForFinished(120000));
    QString text = QString::fromUtf8(p.readAllStandardOutput());
    text.remove(QLatin1Char(' '));
    const QStringList pages = text.split(QLatin1Char('\f'), Qt::SkipEmptyParts);
    QVERIFY(pages.size() >= 2);
    for (const QString& page : pages)
        QVERIFY(page.contains(QStringLiteral("考勤汇总表")) && page.contains(QStringLiteral("缺席")));
    for (int i = 0; i < 120; ++i) {
        QVERIFY2(text.contains(QStringLiteral("%1").arg(300000 + i * 7)), qPrintable(QString::number(i)));
        QVERIFY2(text.contains(QStringLiteral("员工%1号").arg(i)), qPrintable(QString::number(i)));
    }
    QCOMPARE(text.count(QStringLiteral("08:31:00")), 120);
}

void TestFrmkq::gridEditsAreCheckedPerColumn_data()
{
    QTest::addColumn<int>("column");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("message");   // empty: accepted
    QTest::addColumn<QString>("key");       // where the row is afterwards
    QTest::addColumn<QString>("stored");    // the field afterwards
    const QString row = QStringLiteral("000001 2024-03-05");
    const QString badTime = QStringLiteral("时间应写成“08:30”或“08:30:00”的样子，没有打卡的留空；修改没有保存。");
    const QString taken = QStringLiteral("这张卡在这一天已有考勤记录，修改没有保存。");
    QTest::newRow("time, short form") << 3 << "9:5" << "" << row << "09:05:00";
    QTest::newRow("time emptied is no punch") << 3 << "" << "" << row << "<null>";
    QTest::newRow("time out of range") << 4 << "25:00" << badTime << row << "<null>";
    QTest::newRow("hours") << 7 << "7.5" << "" << row << "7.5";
    QTest::newRow("hours not a number") << 7 << "7h" << "时数应为0到24之间的数，修改没有保存。" << row << "6.17";
    QTest::newRow("minutes") << 8 << "15" << "" << row << "15";
    QTest::newRow("negative minutes") << 10 << "-5" << "分钟数应为0到1440之间的整数，修改没有保存。" << row << "420";
    QTest::newRow("name") << 0 << "Li'An" << "" << row << "Li'An";
    QTest::newRow("date onto another row's key") << 2 << "2024-03-04" << taken << row << "2024-03-05";
    QTest::newRow("date not a date") << 2 << "2024-02-30" << "日期应写成“2004-03-05”的样子，修改没有保存。" << row
                                     << "2024-03-05";
    QTest::newRow("date to a free day") << 2 << "2024-3-7" << "" << "000001 2024-03-07" << "2024-03-07";
    QTest::newRow("card onto another row's key") << 1 << "000003" << taken << row << "000001";
    QTest::newRow("card not six digits") << 1 << "12345" << "卡号应为6位数字，修改没有保存。" << row << "000001";
    QTest::newRow("card to a free key") << 1 << "000005" << "" << "000005 2024-03-05" << "000005";
}

void TestFrmkq::gridEditsAreCheckedPerColumn()
{
    QFETCH(int, column);
    QFETCH(QString, typed);
    QFETCH(QString, message);
    QFETCH(QString, key);
    QFETCH(QString, stored);
    TestHome home;
    ScriptedPrompter prompter;
    seed(home);
    Window win;
    win.check(0);
    child<QDateEdit>(win.w, "t1s")->setDate(QDate(2024, 3, 5));
    child<QDateEdit>(win.w, "t1e")->setDate(QDate(2024, 3, 5));
    win.pick("Corder", QStringLiteral("2 按卡号"));
    win.click("Ccx");
    QCOMPARE(win.shown().first(), QStringLiteral("000001 2024-03-05"));

    const QModelIndex cell = win.grid->model()->index(0, column);
    win.grid->scrollTo(cell);
    QTest::mouseClick(win.grid->viewport(), Qt::LeftButton, {}, win.grid->visualRect(cell).center());
    QTest::mouseDClick(win.grid->viewport(), Qt::LeftButton, {}, win.grid->visualRect(cell).center());
    QTRY_VERIFY(qobject_cast<QLineEdit*>(QApplication::focusWidget()));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backspace);
    QTest::keyClicks(QApplication::focusWidget(), typed);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    if (message.isEmpty()) {
        QTest::qWait(50);
        QVERIFY2(prompter.shown.isEmpty(), qPrintable(prompter.last()));
    } else {
        QTRY_COMPARE(prompter.texts(), QStringList{message});
    }
    const QVariant v = home.scalar(QStringLiteral("SELECT %1 FROM datakq WHERE 卡号 = ? AND 日期 = ?")
                                       .arg(AttendanceQuery::fields().at(column)),
                                   {key.section(QLatin1Char(' '), 0, 0), key.section(QLatin1Char(' '), 1)});
    QCOMPARE(v.isNull() ? QStringLiteral("<null>") : v.toString(), stored);
    QCOMPARE(home.scalar(QStringLiteral("SELECT count(*) FROM datakq")).toInt(), 8);
    // The grid shows what is stored.
    if (message.isEmpty() && column > 2)
        QTRY_COMPARE(win.grid->model()->index(0, column).data().toString(),
                     stored == "<null>" ? QString() : column == 7 ? QString::number(stored.toDouble(), 'f', 2) : stored);
}

QTEST_MAIN(TestFrmkq)
#include "tst_frmkq.moc"
