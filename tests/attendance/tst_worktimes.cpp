#include "attendance/FrmWTS.h"
#include "attendance/WorkTimes.h"
#include "support/Controls.h"
#include "support/ScriptedPrompter.h"
#include "support/TestHome.h"

#include <QApplication>
#include <QClipboard>
#include <QLineEdit>
#include <QPushButton>
#include <QSqlQuery>
#include <QTimeEdit>
#include <QtTest>

namespace {

QTime hm(const char* text)
{
    return QTime::fromString(QString::fromLatin1(text), QStringLiteral("HH:mm"));
}

// The stored row in field order 上班时间 … let, times as "HH:mm".
QStringList storedRow(const TestHome& home, int skip = 0)
{
    QSqlQuery q(home.db());
    q.exec(QStringLiteral("SELECT 上班时间, 下班时间, timeB, timeE, 迟到时间, 早退时间, lat, let FROM owt ORDER BY rowid "
                          "LIMIT 1 OFFSET %1").arg(skip));
    QStringList out;
    if (q.next())
        for (int i = 0; i < 8; ++i)
            out << q.value(i).toString().left(5);
    return out;
}

void storeRow(const TestHome& home, const QStringList& eight)
{
    QVariantList values;
    for (const QString& v : eight)
        values << v + QStringLiteral(":00");
    home.exec(QStringLiteral("INSERT INTO owt (上班时间, 下班时间, timeB, timeE, 迟到时间, 早退时间, lat, let) "
                             "VALUES (?, ?, ?, ?, ?, ?, ?, ?)"),
              values);
}

QStringList split(const char* text)
{
    return QString::fromLatin1(text).split(QLatin1Char(' '));
}

}  // namespace

class TestWorkTimes : public QObject {
    Q_OBJECT
private slots:
    void thresholds_data();
    void thresholds();
    void emptyTableOffersDefaultsAndSavingCreatesTheRow();
    void windowShowsStoredTolerances_data();
    void windowShowsStoredTolerances();
    void minuteBoxesTakeZeroTo720Only();
    void sessionsOutOfOrderAreRefused_data();
    void sessionsOutOfOrderAreRefused();
    void onlyTheFirstRowIsRewritten();
};

void TestWorkTimes::thresholds_data()
{
    QTest::addColumn<QString>("sessions");
    QTest::addColumn<int>("late");
    QTest::addColumn<int>("early");
    QTest::addColumn<QString>("expected");   // 迟到时间 早退时间 lat let
    QTest::newRow("5 and 5") << "08:30 11:30 13:30 17:30" << 5 << 5 << "08:35 11:25 13:35 17:25";
    QTest::newRow("no tolerance") << "08:30 11:30 13:30 17:30" << 0 << 0 << "08:30 11:30 13:30 17:30";
    QTest::newRow("late past midnight") << "20:00 21:00 22:00 23:50" << 130 << 20 << "22:10 20:40 00:10 23:30";
    QTest::newRow("early before midnight") << "00:05 01:00 02:00 03:00" << 10 << 70 << "00:15 23:50 02:10 01:50";
}

void TestWorkTimes::thresholds()
{
    QFETCH(QString, sessions);
    QFETCH(int, late);
    QFETCH(int, early);
    QFETCH(QString, expected);
    const QStringList s = sessions.split(QLatin1Char(' '));
    const SessionTimes times{QTime::fromString(s[0], QStringLiteral("HH:mm")), QTime::fromString(s[1], QStringLiteral("HH:mm")),
                             QTime::fromString(s[2], QStringLiteral("HH:mm")), QTime::fromString(s[3], QStringLiteral("HH:mm"))};
    const WorkTimeRow r = WorkTimes::withThresholds(times, {late, early});
    QStringList got;
    for (const QTime& t : {r.lateMorning, r.earlyMorning, r.lateAfternoon, r.earlyAfternoon})
        got << t.toString(QStringLiteral("HH:mm"));
    QCOMPARE(got.join(QLatin1Char(' ')), expected);
    // What is stored reads back as the tolerances it came from.
    QCOMPARE(WorkTimes::tolerancesOf(r), (Tolerances{late, early}));
}

void TestWorkTimes::emptyTableOffersDefaultsAndSavingCreatesTheRow()
{
    TestHome home;
    ScriptedPrompter prompter;
    FrmWTS w;
    QCOMPARE(w.windowTitle(), QStringLiteral("上下班时间设置"));
    QStringList shown;
    for (const char* name : {"DTX1", "DTX2", "DTX3", "DTX4"})
        shown << child<QTimeEdit>(w, name)->time().toString(QStringLiteral("HH:mm"));
    QCOMPARE(shown, split("08:30 11:30 13:30 17:30"));
    QCOMPARE(child<QLineEdit>(w, "Text1")->text(), QStringLiteral("5"));
    QCOMPARE(child<QLineEdit>(w, "Text2")->text(), QStringLiteral("5"));
    child<QPushButton>(w, "Command1")->click();
    QVERIFY(prompter.shown.isEmpty());
    QCOMPARE(w.result(), int(QDialog::Accepted));
    QCOMPARE(storedRow(home), split("08:30 11:30 13:30 17:30 08:35 11:25 13:35 17:25"));
    QCOMPARE(home.scalar(QStringLiteral("SELECT count(*) FROM owt")).toInt(), 1);
}

void TestWorkTimes::windowShowsStoredTolerances_data()
{
    QTest::addColumn<QString>("row");
    QTest::addColumn<QString>("late");
    QTest::addColumn<QString>("early");
    QTest::newRow("ten and fifteen") << "08:00 12:00 13:00 17:00 08:10 11:45 13:10 16:45" << "10" << "15";
    QTest::newRow("zero") << "08:00 12:00 13:00 17:00 08:00 12:00 13:00 17:00" << "0" << "0";
    QTest::newRow("wrapping past midnight") << "23:50 00:10 01:00 02:00 00:10 23:55 01:20 01:45" << "20" << "15";
}

void TestWorkTimes::windowShowsStoredTolerances()
{
    QFETCH(QString, row);
    QFETCH(QString, late);
    QFETCH(QString, early);
    TestHome home;
    ScriptedPrompter prompter;
    storeRow(home, row.split(QLatin1Char(' ')));
    FrmWTS w;
    QCOMPARE(child<QTimeEdit>(w, "DTX1")->time(), QTime::fromString(row.left(5), QStringLiteral("HH:mm")));
    QCOMPARE(child<QLineEdit>(w, "Text1")->text(), late);
    QCOMPARE(child<QLineEdit>(w, "Text2")->text(), early);
}

void TestWorkTimes::minuteBoxesTakeZeroTo720Only()
{
    TestHome home;
    ScriptedPrompter prompter;
    FrmWTS w;
    w.show();
    QVERIFY(QTest::qWaitForWindowActive(&w));
    auto* late = child<QLineEdit>(w, "Text1");
    auto* early = child<QLineEdit>(w, "Text2");
    late->setFocus();
    late->selectAll();
    QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("7a2-1"));
    QCOMPARE(late->text(), QStringLiteral("72"));   // 721 is out of range
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backspace);
    QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("20"));
    QCOMPARE(late->text(), QStringLiteral("720"));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);   // Enter moves on
    QCOMPARE(QApplication::focusWidget(), early);

    early->selectAll();
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backspace);
    QApplication::clipboard()->setText(QStringLiteral("12x"));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_V, Qt::ControlModifier);
    QCOMPARE(early->text(), QString());   // a paste with a letter is refused whole
    QApplication::clipboard()->setText(QStringLiteral("15"));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_V, Qt::ControlModifier);
    QCOMPARE(early->text(), QStringLiteral("15"));

    // An emptied box counts as no tolerance.
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backspace);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backspace);
    child<QPushButton>(w, "Command1")->click();
    QVERIFY(prompter.shown.isEmpty());
    QCOMPARE(storedRow(home), split("08:30 11:30 13:30 17:30 20:30 11:30 01:30 17:30"));
}

void TestWorkTimes::sessionsOutOfOrderAreRefused_data()
{
    QTest::addColumn<QString>("sessions");
    QTest::addColumn<QString>("message");
    QTest::newRow("morning") << "11:30 08:30 13:30 17:30" << "上午的下班时间早于上班时间，请改正！";
    QTest::newRow("afternoon") << "08:30 11:30 17:30 13:30" << "下午的下班时间早于上班时间，请改正！";
    QTest::newRow("afternoon before morning ends") << "08:30 12:00 11:30 17:30" << "下午的上班时间早于上午的下班时间，请改正！";
}

void TestWorkTimes::sessionsOutOfOrderAreRefused()
{
    QFETCH(QString, sessions);
    QFETCH(QString, message);
    TestHome home;
    ScriptedPrompter prompter;
    storeRow(home, split("08:00 12:00 13:00 17:00 08:05 11:55 13:05 16:55"));
    FrmWTS w;
    w.show();
    const QStringList s = sessions.split(QLatin1Char(' '));
    const char* names[] = {"DTX1", "DTX2", "DTX3", "DTX4"};
    for (int i = 0; i < 4; ++i)
        child<QTimeEdit>(w, names[i])->setTime(QTime::fromString(s[i], QStringLiteral("HH:mm")));
    child<QPushButton>(w, "Command1")->click();
    QCOMPARE(prompter.texts(), QStringList{message});
    QVERIFY(w.isVisible());
    QCOMPARE(storedRow(home), split("08:00 12:00 13:00 17:00 08:05 11:55 13:05 16:55"));
}

void TestWorkTimes::onlyTheFirstRowIsRewritten()
{
    TestHome home;
    ScriptedPrompter prompter;
    storeRow(home, split("07:00 11:00 12:00 16:00 07:01 10:59 12:01 15:59"));
    storeRow(home, split("09:00 12:00 13:00 18:00 09:00 12:00 13:00 18:00"));
    FrmWTS w;
    QCOMPARE(child<QTimeEdit>(w, "DTX4")->time(), hm("16:00"));
    QCOMPARE(child<QLineEdit>(w, "Text1")->text(), QStringLiteral("1"));
    child<QTimeEdit>(w, "DTX4")->setTime(hm("16:30"));
    child<QPushButton>(w, "Command1")->click();
    QCOMPARE(storedRow(home), split("07:00 11:00 12:00 16:30 07:01 10:59 12:01 16:29"));
    QCOMPARE(storedRow(home, 1), split("09:00 12:00 13:00 18:00 09:00 12:00 13:00 18:00"));
    // "退 出" writes nothing.
    FrmWTS again;
    again.findChild<QTimeEdit*>(QStringLiteral("DTX1"))->setTime(hm("06:00"));
    child<QPushButton>(again, "Command2")->click();
    QCOMPARE(storedRow(home).first(), QStringLiteral("07:00"));
}

QTEST_MAIN(TestWorkTimes)
#include "tst_worktimes.moc"
