#include "attendance/AttendanceProcessing.h"
#include "attendance/Frmkqzl.h"
#include "db/Clock.h"
#include "support/Controls.h"
#include "support/ScriptedPrompter.h"
#include "support/TestHome.h"

#include <QDateEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSqlQuery>
#include <QtTest>

namespace {

void seedWorkTimes(const TestHome& home)
{
    home.exec(QStringLiteral("INSERT INTO owt (上班时间, 下班时间, timeB, timeE, 迟到时间, 早退时间, lat, let) VALUES "
                             "('08:30:00', '11:30:00', '13:30:00', '17:30:00', '08:35:00', '11:25:00', '13:35:00', "
                             "'17:25:00')"));
}

void punch(const TestHome& home, const char* card, const char* day, const char* times)
{
    for (const QString& t : QString::fromLatin1(times).split(QLatin1Char(' ')))
        home.exec(QStringLiteral("INSERT INTO data (地址, 卡号, 日期, 时间, flag, flagIO) VALUES (1, ?, ?, ?, 1, '1')"),
                  {QString::fromLatin1(card), QString::fromLatin1(day), t + QStringLiteral(":00")});
}

// March 2024: the 4th is a Monday. 000001 has the examples of the working
// week and a Saturday; 000002 punches on the 4th only; 000009 has no
// person; 000001 also punched outside the range.
void seedPunches(const TestHome& home)
{
    home.exec(QStringLiteral("INSERT INTO people (卡号, 姓名, 部门, 职务) VALUES ('000001', '甲', 'A座', '职员'), "
                             "('000002', '乙', 'B座', NULL)"));
    punch(home, "000001", "2024-03-04", "17:00 08:40 11:20 13:30");
    punch(home, "000001", "2024-03-05", "08:20");
    punch(home, "000001", "2024-03-06", "09:00 17:40");
    punch(home, "000001", "2024-03-09", "08:20");
    punch(home, "000001", "2024-03-20", "08:20");
    punch(home, "000002", "2024-03-04", "08:25 11:35 13:25 17:35");
    punch(home, "000009", "2024-03-04", "08:30 17:30");
}

// Every attendance row, one line each, in key order.
QStringList rows(const TestHome& home)
{
    QSqlQuery q(home.db());
    q.exec(QStringLiteral("SELECT 卡号, 日期, 姓名, 部门, 职务, 时间1, 时间2, 时间3, 时间4, hrs, late, leavee, absent "
                          "FROM datakq ORDER BY 卡号, 日期"));
    QStringList out;
    while (q.next()) {
        QStringList f;
        for (int i = 0; i < 13; ++i)
            f << (q.value(i).isNull() ? QStringLiteral("-") : q.value(i).toString());
        out << f.join(QLatin1Char(' '));
    }
    return out;
}

struct Window {
    Frmkqzl w;
    void run(const QDate& first, const QDate& last)
    {
        child<QDateEdit>(w, "DTP1")->setDate(first);
        child<QDateEdit>(w, "DTP2")->setDate(last);
        child<QPushButton>(w, "Command1")->click();
    }
};

const QStringList kExpected{
    "000001 2024-02-28 甲 A座 职员 08:00:00 - - - 0 0 0 0",   // before the range, untouched
    "000001 2024-03-04 甲 A座 职员 08:40:00 11:20:00 13:30:00 17:00:00 6.17 10 40 0",
    "000001 2024-03-05 甲 A座 职员 08:20:00 - - - 0 0 0 420",
    "000001 2024-03-06 甲 A座 职员 09:00:00 - - 17:40:00 0 30 0 420",
    "000001 2024-03-09 甲 A座 职员 08:20:00 - - - 0 0 0 0",
    "000001 2024-03-20 甲 A座 职员 09:00:00 - - - 0 0 0 0",   // after the range, untouched
    "000002 2024-03-04 乙 B座 - 08:25:00 11:35:00 13:25:00 17:35:00 7.34 0 0 0",
};

}  // namespace

class TestProcessing : public QObject {
    Q_OBJECT
private slots:
    void rangeIsReplacedAndRunningTwiceChangesNothing();
    void withoutWorkTimesNothingIsTouched_data();
    void withoutWorkTimesNothingIsTouched();
    void aFailedRunLeavesTheTableAsItWas();
    void opensOnTheCurrentMonth();
    void clicksDuringARunAreDropped();
};

void TestProcessing::rangeIsReplacedAndRunningTwiceChangesNothing()
{
    TestHome home;
    ScriptedPrompter prompter;
    seedWorkTimes(home);
    seedPunches(home);
    const char* kept = "INSERT INTO datakq (卡号, 日期, 姓名, 部门, 职务, 时间1, hrs, late, leavee, absent) "
                       "VALUES ('000001', ?, '甲', 'A座', '职员', ?, 0, 0, 0, 0)";
    home.exec(QString::fromUtf8(kept), {QStringLiteral("2024-02-28"), QStringLiteral("08:00:00")});
    home.exec(QString::fromUtf8(kept), {QStringLiteral("2024-03-20"), QStringLiteral("09:00:00")});
    // A row in the range without records behind it any more goes.
    home.exec(QString::fromUtf8(kept), {QStringLiteral("2024-03-07"), QStringLiteral("07:00:00")});

    Window win;
    QCOMPARE(win.w.windowTitle(), QStringLiteral("考勤数据整理"));
    for (int run = 0; run < 2; ++run) {
        win.run(QDate(2024, 3, 1), QDate(2024, 3, 15));
        QVERIFY(prompter.shown.isEmpty());
        QCOMPARE(rows(home), kExpected);
        QVERIFY(child<QProgressBar>(win.w, "Prg")->isHidden());
    }
    const AttendanceProcessing::Outcome o =
        AttendanceProcessing::run(home.db(), QDate(2024, 3, 1), QDate(2024, 3, 15));
    QVERIFY(o.ok());
    QCOMPARE(o.people, 2);   // 000009 has no person
    QCOMPARE(o.rows, 5);
}

void TestProcessing::withoutWorkTimesNothingIsTouched_data()
{
    QTest::addColumn<QString>("workTimes");
    QTest::addColumn<QString>("message");
    QTest::newRow("none") << QString() << QStringLiteral("请先设置上下班时间！");
    QTest::newRow("afternoon before morning")
        << QStringLiteral("('08:30:00', '14:00:00', '13:30:00', '17:30:00')")
        << QStringLiteral("下午的上班时间早于上午的下班时间，请改正！（上下班时间设置）");
    QTest::newRow("start after end") << QStringLiteral("('08:30:00', '12:00:00', '13:30:00', '17:30:00')")
                                 << QStringLiteral("“从”的日期晚于“到”的日期，请改正！");
}

void TestProcessing::withoutWorkTimesNothingIsTouched()
{
    QFETCH(QString, workTimes);
    QFETCH(QString, message);
    TestHome home;
    ScriptedPrompter prompter;
    seedPunches(home);
    if (!workTimes.isEmpty())
        home.exec(QStringLiteral("INSERT INTO owt (上班时间, 下班时间, timeB, timeE) VALUES ") + workTimes);
    home.exec(QStringLiteral("INSERT INTO datakq (卡号, 日期) VALUES ('000001', '2024-03-04')"));
    Window win;
    win.run(QDate(2024, QTest::currentDataTag() == QLatin1String("start after end") ? 4 : 3, 1), QDate(2024, 3, 31));
    QCOMPARE(prompter.texts(), QStringList{message});
    QCOMPARE(rows(home), QStringList{"000001 2024-03-04 - - - - - - - - - - -"});
    // Without work times the button stays off until the window opens again.
    QCOMPARE(child<QPushButton>(win.w, "Command1")->isEnabled(), workTimes.isEmpty() ? false : true);
}

void TestProcessing::aFailedRunLeavesTheTableAsItWas()
{
    TestHome home;
    ScriptedPrompter prompter;
    seedWorkTimes(home);
    seedPunches(home);
    home.exec(QStringLiteral("INSERT INTO datakq (卡号, 日期, 时间1) VALUES ('000001', '2024-03-07', '07:00:00')"));
    home.exec(QStringLiteral("CREATE TRIGGER refuse BEFORE INSERT ON datakq WHEN NEW.卡号 = '000002' "
                             "BEGIN SELECT RAISE(ABORT, 'disk full'); END"));
    Window win;
    win.run(QDate(2024, 3, 1), QDate(2024, 3, 31));
    QCOMPARE(prompter.shown.size(), 1);
    QVERIFY2(prompter.last().startsWith(QStringLiteral("考勤数据整理失败，原有的考勤数据没有改动：")), qPrintable(prompter.last()));
    QVERIFY(prompter.last().contains(QStringLiteral("disk full")));
    QCOMPARE(rows(home), QStringList{"000001 2024-03-07 - - - 07:00:00 - - - - - - -"});
    QVERIFY(child<QPushButton>(win.w, "Command1")->isEnabled());
}

void TestProcessing::opensOnTheCurrentMonth()
{
    TestHome home;
    Clock::freeze(QDateTime(QDate(2024, 2, 29), QTime(10, 0)));
    Frmkqzl w;
    QCOMPARE(child<QDateEdit>(w, "DTP1")->date(), QDate(2024, 2, 1));
    QCOMPARE(child<QDateEdit>(w, "DTP2")->date(), QDate(2024, 2, 29));
}

void TestProcessing::clicksDuringARunAreDropped()
{
    TestHome home;
    ScriptedPrompter prompter;
    seedWorkTimes(home);
    seedPunches(home);
    Window win;
    win.w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&win.w));
    auto* start = child<QPushButton>(win.w, "Command1");
    auto* bar = child<QProgressBar>(win.w, "Prg");
    // Another window's button, as the main window's tools are.
    QPushButton elsewhere(QStringLiteral("备份数据库"));
    elsewhere.show();
    QVERIFY(QTest::qWaitForWindowExposed(&elsewhere));
    int elsewhereClicks = 0;
    connect(&elsewhere, &QPushButton::clicked, &win.w, [&] { ++elsewhereClicks; });
    int runs = 0;
    bool clicked = false;
    // Each run sets the bar back to 0 first; the operator clicks 开始 three
    // times at the run's first step.
    connect(bar, &QProgressBar::valueChanged, &win.w, [&](int value) {
        if (value == 0)
            ++runs;
        else if (!clicked) {
            clicked = true;
            for (int i = 0; i < 3; ++i) {
                QTest::mouseClick(start, Qt::LeftButton);
                QTest::mouseClick(&elsewhere, Qt::LeftButton);
            }
        }
    });
    win.run(QDate(2024, 3, 1), QDate(2024, 3, 10));
    QCoreApplication::processEvents();
    QVERIFY(clicked);
    QCOMPARE(runs, 1);
    QCOMPARE(elsewhereClicks, 0);
    QVERIFY(start->isEnabled());
    QVERIFY(prompter.shown.isEmpty());
}

QTEST_MAIN(TestProcessing)
#include "tst_processing.moc"
