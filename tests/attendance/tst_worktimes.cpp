#include "attendance/FrmWTS.h"
#include "attendance/WorkTimes.h"
#include "support/Controls.h"
#include "support/PickerInput.h"
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

const char* kPickers[] = {"DTX1", "DTX2", "DTX3", "DTX4"};

QTime hm(const QString& text)
{
    return QTime::fromString(text, QStringLiteral("HH:mm"));
}

// The stored rows, each as "上班时间 … let" in "HH:mm".
QStringList stored(const TestHome& home)
{
    QSqlQuery q(home.db());
    q.exec(QStringLiteral("SELECT 上班时间, 下班时间, timeB, timeE, 迟到时间, 早退时间, lat, let FROM owt ORDER BY rowid"));
    QStringList out;
    while (q.next()) {
        QStringList row;
        for (int i = 0; i < 8; ++i)
            row << q.value(i).toString().left(5);
        out << row.join(QLatin1Char(' '));
    }
    return out;
}

void store(const TestHome& home, const QString& row)
{
    QVariantList values;
    for (const QString& v : row.split(QLatin1Char(' ')))
        values << v + QStringLiteral(":00");
    home.exec(QStringLiteral("INSERT INTO owt (上班时间, 下班时间, timeB, timeE, 迟到时间, 早退时间, lat, let) "
                             "VALUES (?, ?, ?, ?, ?, ?, ?, ?)"),
              values);
}

}  // namespace

class TestWorkTimes : public QObject {
    Q_OBJECT
private slots:
    void thresholds_data();
    void thresholds();
    void windowShowsWhatIsStored_data();
    void windowShowsWhatIsStored();
    void minuteBoxesTakeDigitsAndSaveZeroTo720Only();
    void sessionsOutOfOrderAreRefused_data();
    void sessionsOutOfOrderAreRefused();
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
    const WorkTimeRow r = WorkTimes::withThresholds({hm(s[0]), hm(s[1]), hm(s[2]), hm(s[3])}, {late, early});
    QStringList got;
    for (const QTime& t : {r.lateMorning, r.earlyMorning, r.lateAfternoon, r.earlyAfternoon})
        got << t.toString(QStringLiteral("HH:mm"));
    QCOMPARE(got.join(QLatin1Char(' ')), expected);
    // The stored thresholds read back as the tolerances they came from.
    QCOMPARE(WorkTimes::tolerancesOf(r), (Tolerances{late, early}));
}

void TestWorkTimes::windowShowsWhatIsStored_data()
{
    QTest::addColumn<QString>("row");   // empty: no row
    QTest::addColumn<QString>("late");
    QTest::addColumn<QString>("early");
    QTest::addColumn<QString>("saved");
    QTest::newRow("empty table") << "" << "5" << "5" << "08:30 11:30 13:30 17:30 08:35 11:25 13:35 17:25";
    QTest::newRow("ten and fifteen") << "08:00 12:00 13:00 17:00 08:10 11:45 13:10 16:45" << "10" << "15"
                                     << "08:00 12:00 13:00 17:00 08:10 11:45 13:10 16:45";
    QTest::newRow("past midnight") << "23:00 23:50 23:55 23:58 00:10 23:35 00:05 23:43" << "70" << "15"
                                   << "23:00 23:50 23:55 23:58 00:10 23:35 01:05 23:43";
}

void TestWorkTimes::windowShowsWhatIsStored()
{
    QFETCH(QString, row);
    QFETCH(QString, late);
    QFETCH(QString, early);
    QFETCH(QString, saved);
    TestHome home;
    ScriptedPrompter prompter;
    if (!row.isEmpty()) {
        store(home, row);
        store(home, QStringLiteral("09:00 12:00 13:00 18:00 09:00 12:00 13:00 18:00"));
    }
    FrmWTS w;
    QCOMPARE(w.windowTitle(), QStringLiteral("上下班时间设置"));
    QStringList shown;
    for (const char* name : kPickers)
        shown << child<QTimeEdit>(w, name)->time().toString(QStringLiteral("HH:mm"));
    QCOMPARE(shown.join(QLatin1Char(' ')), saved.left(23));
    QCOMPARE(child<QLineEdit>(w, "Text1")->text(), late);
    QCOMPARE(child<QLineEdit>(w, "Text2")->text(), early);
    // Saving untouched keeps the tolerances; only the first row is written.
    child<QPushButton>(w, "Command1")->click();
    QVERIFY(prompter.shown.isEmpty());
    QCOMPARE(w.result(), int(QDialog::Accepted));
    QCOMPARE(stored(home).first(), saved);
    QCOMPARE(stored(home).size(), row.isEmpty() ? 1 : 2);
    if (!row.isEmpty())
        QCOMPARE(stored(home).last(), QStringLiteral("09:00 12:00 13:00 18:00 09:00 12:00 13:00 18:00"));
}

void TestWorkTimes::minuteBoxesTakeDigitsAndSaveZeroTo720Only()
{
    TestHome home;
    ScriptedPrompter prompter;
    FrmWTS w;
    w.show();
    QVERIFY(QTest::qWaitForWindowActive(&w));
    auto* late = child<QLineEdit>(w, "Text1");
    late->setFocus();
    late->selectAll();
    QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("7a2-1"));
    QCOMPARE(late->text(), QStringLiteral("721"));   // kept as typed, refused when saving
    child<QPushButton>(w, "Command1")->click();
    QCOMPARE(prompter.texts(), QStringList{QStringLiteral("迟到、早退的分钟数只能是0到720！")});
    QVERIFY(stored(home).isEmpty());
    prompter.clear();
    late->setFocus();
    late->end(false);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backspace);
    QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("0"));
    QCOMPARE(late->text(), QStringLiteral("720"));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);   // Enter moves on
    auto* early = child<QLineEdit>(w, "Text2");
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
    QCOMPARE(stored(home), QStringList{"08:30 11:30 13:30 17:30 20:30 11:30 01:30 17:30"});
}

void TestWorkTimes::sessionsOutOfOrderAreRefused_data()
{
    QTest::addColumn<QString>("sessions");
    QTest::addColumn<QString>("message");
    QTest::newRow("morning") << "11:30 08:30 13:30 17:30" << "上午的下班时间早于上班时间，请改正！";
    QTest::newRow("afternoon") << "08:30 11:30 17:30 13:30" << "下午的下班时间早于上班时间，请改正！";
    QTest::newRow("afternoon before morning ends") << "08:30 12:00 11:30 17:30" << "下午的上班时间早于上午的下班时间，请改正！";
    QTest::newRow("24:00") << "08:30 11:30 13:30 24:00" << "“下午下班时间”里的时间不存在，请重新输入！";
    QTest::newRow("minute 60") << "08:30 11:60 13:30 17:30" << "“上午下班时间”里的时间不存在，请重新输入！";
}

void TestWorkTimes::sessionsOutOfOrderAreRefused()
{
    QFETCH(QString, sessions);
    QFETCH(QString, message);
    TestHome home;
    ScriptedPrompter prompter;
    const QString before = QStringLiteral("08:00 12:00 13:00 17:00 08:05 11:55 13:05 16:55");
    store(home, before);
    FrmWTS w;
    w.show();
    QVERIFY(QTest::qWaitForWindowActive(&w));
    const QStringList s = sessions.split(QLatin1Char(' '));
    for (int i = 0; i < 4; ++i) {
        PickerInput::clickAt(child<QTimeEdit>(w, kPickers[i]), 1);
        QTest::keyClicks(QApplication::focusWidget(), QString(s[i]).remove(QLatin1Char(':')));
    }
    child<QPushButton>(w, "Command1")->click();
    QCOMPARE(prompter.texts(), QStringList{message});
    QVERIFY(w.isVisible());
    // Nor does "退 出" write anything.
    child<QPushButton>(w, "Command2")->click();
    QCOMPARE(stored(home), QStringList{before});
}

QTEST_MAIN(TestWorkTimes)
#include "tst_worktimes.moc"
