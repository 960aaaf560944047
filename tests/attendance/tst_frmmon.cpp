#include "attendance/FrmMon.h"
#include "attendance/MonthlySheet.h"
#include "support/AppFont.h"
#include "support/Controls.h"
#include "support/OperatorInput.h"
#include "support/ScriptedPrompter.h"
#include "support/TestHome.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QDateEdit>
#include <QDir>
#include <QHeaderView>
#include <QScrollBar>
#include <QToolButton>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTableWidget>
#include <QTextEdit>
#include <QtTest>

namespace {

void seedWorkTimes(const TestHome& home)
{
    home.exec(QStringLiteral("INSERT INTO owt (上班时间, 下班时间, timeB, timeE, 迟到时间, 早退时间, lat, let) VALUES "
                             "('08:30:00', '11:30:00', '13:30:00', '17:30:00', '08:35:00', '11:25:00', '13:35:00', "
                             "'17:25:00')"));
}

void attendance(const TestHome& home, const char* card, const char* name, const char* day, const QStringList& times)
{
    QVariantList v{QString::fromUtf8(card), QString::fromUtf8(name), QString::fromUtf8(day)};
    for (const QString& t : times)
        v << (t == QLatin1String("-") ? QVariant(QMetaType(QMetaType::QString)) : QVariant(t + QStringLiteral(":00")));
    home.exec(QStringLiteral("INSERT INTO datakq (卡号, 姓名, 日期, 时间1, 时间2, 时间3, 时间4) VALUES (?, ?, ?, ?, ?, ?, ?)"),
              v);
}

struct Window {
    FrmMon w;
    QTableWidget* grid[2] = {child<QTableWidget>(w, "MSF"), child<QTableWidget>(w, "MSF1")};
    QTextEdit* rbox = child<QTextEdit>(w, "RBox");
    Window()
    {
        w.show();
        if (!QTest::qWaitForWindowActive(&w))
            qFatal("the monthly sheet did not come up");
    }
    void type(const char* box, const QString& text) { OperatorInput::typeInto(child<QComboBox>(w, box), text); }
    void query(const QDate& month, const char* box, const QString& who)
    {
        child<QDateEdit>(w, "DTP")->setDate(month);
        type(box, who);
        child<QPushButton>(w, "Command1")->click();
    }
    // A click on a cell of grid g (0 left, 1 right), row as the day row (1-16).
    void pick(int g, int row, int column = 1)
    {
        QTableWidget* t = grid[g];
        const QRect r = t->visualRect(t->model()->index(row - 1, column));
        QTest::mouseClick(t->viewport(), Qt::LeftButton, {}, r.center());
    }
    QString cell(int g, int row, int column) const
    {
        const QTableWidgetItem* i = grid[g]->item(row - 1, column);
        return i ? i->text() : QString();
    }
    QColor ink(int g, int row, int column) const
    {
        const QTableWidgetItem* i = grid[g]->item(row - 1, column);
        const QVariant v = i ? i->data(Qt::ForegroundRole) : QVariant();
        return v.isValid() ? v.value<QBrush>().color() : QColor();
    }
    void click(const char* name) { child<QPushButton>(w, name)->click(); }
};

}  // namespace

class TestFrmMon : public QObject {
    Q_OBJECT
private slots:
    void calendarLayout_data();
    void calendarLayout();
    void everyDayAndColumnShowWithoutScrolling_data();
    void everyDayAndColumnShowWithoutScrolling();
    void punchesAreColouredAgainstTheThresholds_data();
    void punchesAreColouredAgainstTheThresholds();
    void withoutWorkTimesNothingIsColoured();
    void queryChecksAndMessages_data();
    void queryChecksAndMessages();
    void marksFollowThePickedDay();
    void remarksAreSavedAsRtfAndOpened();
};

void TestFrmMon::calendarLayout_data()
{
    QTest::addColumn<QDate>("month");
    QTest::addColumn<int>("days");
    QTest::addColumn<QString>("firstWeekday");
    QTest::newRow("31 days") << QDate(2004, 3, 15) << 31 << "星期一";
    QTest::newRow("30 days") << QDate(2004, 4, 1) << 30 << "星期四";
    QTest::newRow("February of a leap year") << QDate(2004, 2, 29) << 29 << "星期日";
    QTest::newRow("February") << QDate(2003, 2, 1) << 28 << "星期六";
}

void TestFrmMon::calendarLayout()
{
    QFETCH(QDate, month);
    QFETCH(int, days);
    QFETCH(QString, firstWeekday);
    TestHome home;
    ScriptedPrompter prompter;
    seedWorkTimes(home);
    attendance(home, "000001", "甲", "2004-01-05", {"08:30", "11:30", "13:30", "17:30"});
    Window win;
    win.query(month, "Cka", QStringLiteral("000001"));
    QCOMPARE(prompter.texts(), QStringList{"此员工本月无打卡记录！"});   // the calendar stays
    QCOMPARE(win.cell(0, 1, 0), firstWeekday);
    for (int d = 1; d <= 31; ++d) {
        const int g = d <= 16 ? 0 : 1, row = d <= 16 ? d : d - 16;
        QCOMPARE(win.cell(g, row, 1), d <= days ? QString::number(d) : QString());
        QCOMPARE(win.cell(g, row, 0).isEmpty(), d > days);
    }
    QCOMPARE(win.cell(1, 16, 0), QString());
    // Weekends are shaded, their weekday cell in a colour of its own.
    const QDate first(month.year(), month.month(), 1);
    for (int d = 1; d <= 7; ++d) {
        const QDate day = first.addDays(d - 1);
        const QTableWidgetItem* weekday = win.grid[0]->item(d - 1, 0);
        const QTableWidgetItem* punch = win.grid[0]->item(d - 1, 3);
        const QColor shade = day.dayOfWeek() == Qt::Sunday ? QColor(150, 200, 150)
                             : day.dayOfWeek() == Qt::Saturday ? QColor(200, 160, 180)
                                                               : QColor();
        QCOMPARE(weekday->data(Qt::BackgroundRole).isValid() ? weekday->background().color() : QColor(), shade);
        QCOMPARE(punch->data(Qt::BackgroundRole).isValid() ? punch->background().color() : QColor(),
                 shade.isValid() ? QColor(230, 230, 230) : QColor());
    }
}

void TestFrmMon::everyDayAndColumnShowWithoutScrolling_data()
{
    AppFont::sizes();
}

void TestFrmMon::everyDayAndColumnShowWithoutScrolling()
{
    QFETCH(qreal, points);
    const AppFont::Sized font(points);
    TestHome home;
    ScriptedPrompter prompter;
    seedWorkTimes(home);
    attendance(home, "000001", "甲", "2004-03-31", {"08:30", "11:30", "13:30", "17:30"});
    auto check = [](QTableWidget* t) {
        QVERIFY(!t->horizontalScrollBar()->isVisible());
        QVERIFY(!t->verticalScrollBar()->isVisible());
        const QRect view = t->viewport()->rect();
        const QFontMetrics fm(t->font());
        for (int r = 0; r < t->rowCount(); ++r) {
            for (int c = 0; c < t->columnCount(); ++c) {
                const QRect cell = t->visualRect(t->model()->index(r, c));
                QVERIFY2(view.contains(cell), qPrintable(QStringLiteral("%1,%2").arg(r).arg(c)));
                QVERIFY(cell.height() >= fm.height());
            }
        }
        // No text cut short: every cell and caption as wide as it asks.
        const QAbstractItemView* asView = t;
        for (int c = 0; c < t->columnCount(); ++c) {
            QVERIFY2(t->columnWidth(c) >= asView->sizeHintForColumn(c), qPrintable(QString::number(c)));
            QVERIFY(t->columnWidth(c) >= t->horizontalHeader()->sectionSizeHint(c));
        }
    };
    {
        Window win;
        win.query(QDate(2004, 3, 1), "Cka", QStringLiteral("000001"));
        QTRY_COMPARE(win.cell(1, 15, 5), QStringLiteral("17:30:00"));
        for (QTableWidget* t : win.grid)
            check(t);
        // The grids grow with the window.
        const QSize opened = win.grid[1]->size();
        win.w.resize(win.w.size() + QSize(300, 200));
        QTRY_VERIFY(win.grid[1]->width() > opened.width() + 100);
        QVERIFY(win.grid[1]->height() > opened.height() + 100);
        QVERIFY(win.grid[1]->geometry().right() < win.w.width());
        for (QTableWidget* t : win.grid)
            check(t);
        // The remarks come below the grids.
        child<QToolButton>(win.w, "Picture3")->click();
        QVERIFY(child<QWidget>(win.w, "Clate")->mapTo(&win.w, QPoint(0, 0)).y() > win.grid[0]->geometry().bottom());
        QVERIFY(child<QWidget>(win.w, "Command3")->mapTo(&win.w, QPoint(0, 0)).y() + 28 <= win.w.height());
    }
}

void TestFrmMon::punchesAreColouredAgainstTheThresholds_data()
{
    QTest::addColumn<int>("grid");
    QTest::addColumn<int>("column");
    QTest::addColumn<QTime>("punch");
    QTest::addColumn<QColor>("colour");
    QTest::addColumn<QColor>("missing");   // the colour of a missing punch there
    const QColor none, blue(0, 0, 255), red(255, 0, 0), darker(235, 0, 0);
    QTest::newRow("arrival after 08:35") << 0 << 2 << QTime(8, 36) << blue << none;
    QTest::newRow("arrival at 08:35") << 0 << 2 << QTime(8, 35) << none << none;
    QTest::newRow("arrival at midnight") << 1 << 2 << QTime(0, 0) << none << none;
    QTest::newRow("leave before 11:25") << 0 << 3 << QTime(11, 24) << red << red;
    QTest::newRow("leave at 11:25") << 0 << 3 << QTime(11, 25) << none << red;
    QTest::newRow("right grid's morning leave") << 1 << 3 << QTime(11, 24) << darker << darker;
    QTest::newRow("afternoon arrival after 13:35") << 1 << 4 << QTime(13, 35, 1) << blue << none;
    QTest::newRow("afternoon leave before 17:25") << 0 << 5 << QTime(17, 24, 59) << red << red;
    QTest::newRow("afternoon leave after 17:25") << 1 << 5 << QTime(18, 0) << none << red;
    QTest::newRow("leave at midnight") << 1 << 5 << QTime(0, 0) << red << red;
}

void TestFrmMon::punchesAreColouredAgainstTheThresholds()
{
    QFETCH(int, grid);
    QFETCH(int, column);
    QFETCH(QTime, punch);
    QFETCH(QColor, colour);
    QFETCH(QColor, missing);
    const WorkTimeRow w = WorkTimes::withThresholds(WorkTimes::defaults(), {5, 5});
    const std::optional<QColor> got = MonthlySheet::punchColour(grid, column, punch, w);
    QCOMPARE(got.value_or(QColor()), colour);
    QCOMPARE(MonthlySheet::punchColour(grid, column, std::nullopt, w).value_or(QColor()), missing);
    QVERIFY(!MonthlySheet::punchColour(grid, column, punch, std::nullopt));
}

void TestFrmMon::withoutWorkTimesNothingIsColoured()
{
    TestHome home;
    ScriptedPrompter prompter;
    home.exec(QStringLiteral("INSERT INTO data (卡号, 日期, 时间) VALUES ('000002', '2004-03-01', '08:00:00'), "
                             "('000001', '2004-03-01', '08:00:00'), ('000002', '2004-03-02', '08:00:00')"));
    attendance(home, "000001", "甲", "2004-03-05", {"09:00", "-", "-", "-"});
    Window win;
    QCOMPARE(prompter.texts(), QStringList{"请先设置上下班时间！"});
    QCOMPARE(child<QLineEdit>(win.w, "Text1")->text(), QStringLiteral("Text1"));
    auto* cka = child<QComboBox>(win.w, "Cka");
    QCOMPARE(cka->count(), 0);   // read when first used, not while the window opens
    // A card picked from the list runs the query.
    prompter.clear();
    child<QDateEdit>(win.w, "DTP")->setDate(QDate(2004, 3, 1));
    cka->showPopup();
    QTRY_VERIFY(cka->view()->isVisible());
    QCOMPARE(cka->count(), 2);
    QTest::mouseClick(cka->view()->viewport(), Qt::LeftButton, {}, cka->view()->visualRect(cka->model()->index(0, 0)).center());
    QTRY_COMPARE(win.cell(0, 5, 2), QStringLiteral("09:00:00"));
    QVERIFY(prompter.shown.isEmpty());
    QCOMPARE(win.ink(0, 5, 2), QColor());
    // A missing leave shows as 00:00; without thresholds it is not red.
    QCOMPARE(win.cell(0, 5, 3), QStringLiteral("00:00"));
    QCOMPARE(win.ink(0, 5, 3), QColor());
}

void TestFrmMon::queryChecksAndMessages_data()
{
    QTest::addColumn<QString>("card");
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("byName");
    QTest::addColumn<QString>("message");
    QTest::newRow("nothing typed") << "" << "" << false << "请选择卡号或姓名!!";
    QTest::newRow("by card without a card") << "" << "Jia" << false << "请选择卡号!!";
    QTest::newRow("by name without a name") << "000001" << "" << true << "请选择姓名!!";
    QTest::newRow("blanks only find nothing") << "   " << "" << false << "此员工本月无打卡记录！";
    QTest::newRow("by card, trimmed") << " 000001 " << "" << false << "";
    QTest::newRow("by name, two people on one day") << "" << "Jia" << true << "";
}

void TestFrmMon::queryChecksAndMessages()
{
    QFETCH(QString, card);
    QFETCH(QString, name);
    QFETCH(bool, byName);
    QFETCH(QString, message);
    TestHome home;
    ScriptedPrompter prompter;
    seedWorkTimes(home);
    attendance(home, "000001", "Jia", "2004-03-05", {"08:40", "11:20", "-", "-"});
    attendance(home, "000007", "Jia", "2004-03-05", {"08:30", "00:00", "13:40", "17:30"});
    Window win;
    child<QDateEdit>(win.w, "DTP")->setDate(QDate(2004, 3, 9));
    // Entering a box chooses what the query goes by; the last one entered wins.
    win.type(byName ? "Cka" : "Cna", byName ? card : name);
    win.type(byName ? "Cna" : "Cka", byName ? name : card);
    QCOMPARE(child<QRadioButton>(win.w, "Option2")->isChecked(), byName);
    win.click("Command1");
    QCOMPARE(prompter.texts(), message.isEmpty() ? QStringList{} : QStringList{message});
    if (!message.isEmpty())
        return;
    if (!byName) {
        QCOMPARE(win.cell(0, 5, 2), QStringLiteral("08:40:00"));
        QCOMPARE(win.ink(0, 5, 2), QColor(0, 0, 255));
        QCOMPARE(win.ink(0, 5, 3), QColor(255, 0, 0));
        // A missing punch shows as 00:00, a missing leave in red.
        QCOMPARE(win.cell(0, 5, 4), QStringLiteral("00:00"));
        QCOMPARE(win.ink(0, 5, 4), QColor());
        QCOMPARE(win.cell(0, 5, 5), QStringLiteral("00:00"));
        QCOMPARE(win.ink(0, 5, 5), QColor(255, 0, 0));
    } else {
        // The later row overwrites the day, its colours with it.
        QCOMPARE(win.cell(0, 5, 2), QStringLiteral("08:30:00"));
        QCOMPARE(win.ink(0, 5, 2), QColor());
        // A punch at midnight is a punch, and a leave that early is red.
        QCOMPARE(win.cell(0, 5, 3), QStringLiteral("00:00:00"));
        QCOMPARE(win.ink(0, 5, 3), QColor(255, 0, 0));
        QCOMPARE(win.ink(0, 5, 4), QColor(0, 0, 255));
    }
}

void TestFrmMon::marksFollowThePickedDay()
{
    TestHome home;
    ScriptedPrompter prompter;
    seedWorkTimes(home);
    attendance(home, "000001", "Jia", "2004-03-05", {"08:40", "11:20", "13:30", "17:30"});
    attendance(home, "000001", "Jia", "2004-03-20", {"08:30", "11:30", "13:30", "17:00"});
    Window win;
    win.query(QDate(2004, 3, 1), "Cka", QStringLiteral("000001"));
    QVERIFY(prompter.shown.isEmpty());
    win.click("Clate");   // nothing picked yet
    QCOMPARE(win.rbox->toPlainText(), QString());

    win.pick(0, 5, 2);
    win.click("Clate");
    win.pick(1, 4, 5);
    win.click("Cle");
    win.pick(0, 5, 2);   // the cell already current in its grid, picked again
    win.click("Clv");
    QCOMPARE(win.rbox->toPlainText(), QStringLiteral("\n000001\n2004-3-5号迟到  2004-3-20号早退  2004-3-5号请假  "));
    // Picking never empties a cell.
    QCOMPARE(win.cell(0, 5, 2), QStringLiteral("08:40:00"));
    QCOMPARE(win.cell(1, 4, 5), QStringLiteral("17:00:00"));

    // The month is the last query's; a row without a day picks none.
    child<QDateEdit>(win.w, "DTP")->setDate(QDate(2004, 4, 1));
    win.pick(1, 16, 1);
    win.click("Cabs");
    win.pick(1, 15, 1);
    win.click("Cot");
    QCOMPARE(win.rbox->toPlainText().section(QLatin1Char('\n'), -1), QStringLiteral("2004-3-5号迟到  2004-3-20号早退  2004-3-5号请假  2004-3-31号加班  "));

    // A new query: its person heads the next mark, once a day is picked.
    win.type("Cna", QStringLiteral("Jia"));
    win.click("Command1");
    QCOMPARE(prompter.texts(), QStringList{"此员工本月无打卡记录！"});
    win.click("Cabs");
    win.pick(0, 2, 1);
    win.click("Cabs");
    QVERIFY(win.rbox->toPlainText().endsWith(QStringLiteral("加班  \nJia\n2004-4-2号旷工  ")));
    win.click("Command3");
    QCOMPARE(win.rbox->toPlainText(), QString());
}

void TestFrmMon::remarksAreSavedAsRtfAndOpened()
{
    TestHome home;
    ScriptedPrompter prompter;
    seedWorkTimes(home);
    Window win;
    QStringList asked;
    QString answer;
    win.w.saveDialog = [&](QWidget*, const QString& last) {
        asked << last;
        return answer;
    };
    QList<QUrl> opened;
    bool desktopHasWordProcessor = false;
    win.w.openDocument = [&](const QUrl& url) {
        opened << url;
        return desktopHasWordProcessor;
    };
    win.rbox->setPlainText(QStringLiteral("甲{1}\\\n"));
    QTextCursor c(win.rbox->document());
    c.movePosition(QTextCursor::End);
    QTextCharFormat bold;
    bold.setFontWeight(QFont::Bold);
    c.insertText(QStringLiteral("2004-3-5号迟到  "), bold);

    // "编辑打印" before any save asks for one; cancelling writes nothing.
    win.click("Command7");
    QCOMPARE(prompter.texts(), QStringList{"请先把备注保存成文件，再编辑打印。"});
    QCOMPARE(asked, QStringList{QString()});
    QVERIFY(opened.isEmpty());
    QVERIFY(QDir(home.path()).entryList(QDir::Files | QDir::NoDotAndDotDot).filter(QStringLiteral(".doc")).isEmpty());

    prompter.clear();
    answer = home.file(QStringLiteral("三月.doc"));
    win.click("Command6");
    QVERIFY(prompter.shown.isEmpty());
    QFile f(answer);
    QVERIFY(f.open(QIODevice::ReadOnly));
    const QByteArray expected =
        "{\\rtf1\\ansi\\ansicpg936\\deff0\\uc1{\\fonttbl{\\f0\\fnil\\fcharset134 SimSun;}}\r\n"
        "\\viewkind4\\pard\\f0\\fs21 \\u30002?\\{1\\}\\\\\\par\r\n"
        "{\\b 2004-3-5\\u21495?\\u-28705?\\u21040?  }\\par\r\n}\r\n";
    QCOMPARE(f.readAll(), expected);

    // Without a word processor the operator is told so.
    win.click("Command7");
    QCOMPARE(opened, QList<QUrl>{QUrl::fromLocalFile(answer)});
    QCOMPARE(prompter.shown.size(), 1);
    QVERIFY(prompter.last().contains(QStringLiteral("没有能打开")));
    desktopHasWordProcessor = true;
    win.click("Command7");
    QCOMPARE(opened.size(), 2);
    QCOMPARE(prompter.shown.size(), 1);

    // The last name is offered again; a file that cannot be written is told.
    answer = home.path();
    win.click("Command6");
    QCOMPARE(asked.last(), home.file(QStringLiteral("三月.doc")));
    QCOMPARE(prompter.shown.size(), 2);
    QVERIFY(prompter.last().startsWith(QStringLiteral("备注没有保存到")));
    QCOMPARE(win.w.savedFile(), home.file(QStringLiteral("三月.doc")));
}

QTEST_MAIN(TestFrmMon)
#include "tst_frmmon.moc"
