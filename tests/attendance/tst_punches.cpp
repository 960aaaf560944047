#include "attendance/PunchSelection.h"

#include <QtTest>

namespace {

const SessionTimes kSessions{QTime(8, 30), QTime(11, 30), QTime(13, 30), QTime(17, 30)};

// "08:20 10:00" → the times in order.
QList<QTime> times(const QString& text)
{
    QList<QTime> out;
    for (const QString& t : text.split(QLatin1Char(' '), Qt::SkipEmptyParts))
        out << QTime::fromString(t, t.size() == 5 ? QStringLiteral("HH:mm") : QStringLiteral("HH:mm:ss"));
    return out;
}

// The four slots as "08:20 - - 17:40", a dash for a missing punch.
QString slotText(const DayPunches& p)
{
    QStringList out;
    for (const auto& t : {p.morningIn, p.morningOut, p.afternoonIn, p.afternoonOut})
        out << (t ? t->toString(QStringLiteral("HH:mm")) : QStringLiteral("-"));
    return out.join(QLatin1Char(' '));
}

}  // namespace

class TestPunches : public QObject {
    Q_OBJECT
private slots:
    void selection_data();
    void selection();
    void counters_data();
    void counters();
    void minutesDropSeconds();
};

void TestPunches::selection_data()
{
    QTest::addColumn<QString>("punches");
    QTest::addColumn<QString>("expected");
    QTest::newRow("no punch") << "" << "- - - -";
    QTest::newRow("no lunch punch: latest of the morning leaves") << "08:20 10:00 11:00" << "08:20 11:00 - -";
    QTest::newRow("single leave after the morning ends") << "08:20 11:35" << "08:20 11:35 - -";
    QTest::newRow("two in the break: the earlier leaves") << "08:20 11:40 13:20 17:40" << "08:20 11:40 13:20 17:40";
    QTest::newRow("one in the break, nearer the morning") << "08:20 10:00 11:40 13:40 17:40" << "08:20 11:40 13:40 17:40";
    QTest::newRow("one in the break, nearer the afternoon") << "08:20 11:20 13:20 17:20" << "08:20 11:20 13:20 17:20";
    QTest::newRow("one in the break, no afternoon arrival") << "08:20 11:20 13:20" << "08:20 11:20 13:20 -";
    QTest::newRow("tie in the break goes to the morning") << "08:20 10:00 12:30 14:00" << "08:20 12:30 14:00 -";
    QTest::newRow("single punch") << "09:00" << "09:00 - - -";
    QTest::newRow("punches before the start are not leaves") << "08:00 08:10 11:40" << "08:00 11:40 - -";
    QTest::newRow("evening only") << "18:00" << "- - - 18:00";
    QTest::newRow("two evening punches: the earlier") << "18:00 19:00" << "- - - 18:00";
    QTest::newRow("exactly at the afternoon start") << "13:30" << "- - 13:30 -";
    QTest::newRow("afternoon only") << "14:00 15:00" << "- - 14:00 15:00";
    QTest::newRow("single afternoon punch") << "14:00" << "- - 14:00 -";
    QTest::newRow("repeat of the arrival never leaves") << "08:40 08:40" << "08:40 - - -";
    QTest::newRow("repeat of the arrival, then a leave") << "08:40 08:40 11:40" << "08:40 11:40 - -";
    // A repeat of the arrival in the break is not counted among the break's punches.
    QTest::newRow("arrival in the break, repeated") << "12:00 12:00 12:30 13:00" << "12:00 12:30 13:00 -";
    QTest::newRow("lone lunch arrival is no afternoon") << "12:00" << "12:00 - - -";
    QTest::newRow("lunch arrival and evening leave") << "12:00 17:40" << "12:00 - - 17:40";
    QTest::newRow("seconds count in the order") << "08:40:10 08:40:50" << "08:40 08:40 - -";
    QTest::newRow("full day with stray punches") << "08:25 08:26 11:35 12:10 12:50 13:25 17:35 18:00"
                                                 << "08:25 11:35 12:10 18:00";
}

void TestPunches::selection()
{
    QFETCH(QString, punches);
    QFETCH(QString, expected);
    QCOMPARE(slotText(Attendance::selectPunches(times(punches), kSessions)), expected);
}

void TestPunches::counters_data()
{
    QTest::addColumn<QDate>("day");
    QTest::addColumn<QString>("punches");
    QTest::addColumn<double>("hours");
    QTest::addColumn<int>("late");
    QTest::addColumn<int>("leftEarly");
    QTest::addColumn<int>("absent");
    const QDate monday(2024, 3, 4), tuesday(2024, 3, 5), wednesday(2024, 3, 6), saturday(2024, 3, 9),
        sunday(2024, 3, 10);
    QTest::newRow("Monday, four punches") << monday << "08:40 11:20 13:30 17:00" << 6.17 << 10 << 40 << 0;
    QTest::newRow("Tuesday, one early punch") << tuesday << "08:20" << 0.0 << 0 << 0 << 420;
    QTest::newRow("Saturday, one early punch") << saturday << "08:20" << 0.0 << 0 << 0 << 0;
    QTest::newRow("Wednesday, in and out") << wednesday << "09:00 17:40" << 0.0 << 30 << 0 << 420;
    QTest::newRow("Sunday, late and early") << sunday << "09:00 11:00 14:00 17:00" << 5.0 << 60 << 60 << 0;
    QTest::newRow("full day on time") << monday << "08:25 11:35 13:25 17:35" << 7.34 << 0 << 0 << 0;
    QTest::newRow("afternoon missing counts once") << monday << "08:30 11:30" << 3.0 << 0 << 0 << 240;
    QTest::newRow("morning leave missing") << monday << "08:30 14:00 17:30" << 3.5 << 30 << 0 << 180;
    QTest::newRow("seconds are dropped") << monday << "08:31:59 11:29:01 13:30:30 17:30:00" << 6.97 << 1 << 1 << 0;
}

void TestPunches::counters()
{
    QFETCH(QDate, day);
    QFETCH(QString, punches);
    QFETCH(double, hours);
    QFETCH(int, late);
    QFETCH(int, leftEarly);
    QFETCH(int, absent);
    const DayCounts c = Attendance::countDay(Attendance::selectPunches(times(punches), kSessions), kSessions, day);
    QCOMPARE(c.hundredthsWorked, qRound(hours * 100));
    QCOMPARE(c.late, late);
    QCOMPARE(c.leftEarly, leftEarly);
    QCOMPARE(c.absent, absent);
    // Never more absence than the working day has.
    QVERIFY(c.absent <= 420);
}

void TestPunches::minutesDropSeconds()
{
    QCOMPARE(Attendance::minutesBetween(QTime(8, 30, 59), QTime(8, 31, 0)), 1);
    QCOMPARE(Attendance::minutesBetween(QTime(8, 31, 0), QTime(8, 30, 59)), -1);
    QCOMPARE(Attendance::minutesBetween(QTime(23, 59, 59), QTime(0, 0)), -1439);
}

QTEST_GUILESS_MAIN(TestPunches)
#include "tst_punches.moc"
