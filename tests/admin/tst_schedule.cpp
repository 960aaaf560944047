// The reader-address window and the collection-schedule window.

#include "support/OperatorInput.h"
#include "support/PickerInput.h"
#include "support/Controls.h"
#include "app/MainWindow.h"
#include "admin/CollectSchedule.h"
#include "admin/FrmSJCJSZ.h"
#include "admin/frmfkj.h"
#include "session/Session.h"
#include "db/Clock.h"
#include "support/ScriptedPrompter.h"
#include "support/TestHome.h"

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTest>
#include <QTimeEdit>
#include <QTimer>

class TestSchedule : public QObject {
    Q_OBJECT

    TestHome* home_ = nullptr;
    ScriptedPrompter* prompter_ = nullptr;


    QVariant readerRow() const
    {
        return home_->scalar(QStringLiteral("SELECT zhi FROM system WHERE name = ?"), {QStringLiteral("发卡机")});
    }

    int scheduleRows() const { return home_->scalar(QStringLiteral("SELECT count(*) FROM cjtype")).toInt(); }

private slots:
    void init()
    {
        home_ = new TestHome;
        prompter_ = new ScriptedPrompter;
    }
    void cleanup()
    {
        delete prompter_;
        delete home_;
    }

    // ---- frmfkj ----

    void readerListOffersTheControllers()
    {
        for (int a : {12, 3, 7})
            home_->exec(QStringLiteral("INSERT INTO doors (地址) VALUES (?)"), {a});
        frmfkj w;
        w.show();
        QCOMPARE(w.windowTitle(), QStringLiteral("发卡机设置"));
        auto* list = child<QComboBox>(w, "fkjaddr");
        QCOMPARE(list->count(), 3);
        QCOMPARE(list->itemText(0), QStringLiteral("3"));
        QCOMPARE(list->itemText(2), QStringLiteral("12"));
        QCOMPARE(list->currentText(), QStringLiteral("3"));
    }

    void readerAddressIsStored()
    {
        frmfkj w;
        w.show();
        QVERIFY(QTest::qWaitForWindowActive(&w));
        auto* list = child<QComboBox>(w, "fkjaddr");
        QCOMPARE(list->count(), 0);
        QVERIFY(list->currentText().isEmpty());
        list->setFocus();
        QTRY_VERIFY(list->hasFocus());
        // Digits only, where the keys arrive; Backspace is not taken either,
        // and Enter moves on.
        QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("4x2"));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backspace);
        QCOMPARE(list->currentText(), QStringLiteral("42"));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        QCOMPARE(QApplication::focusWidget(), child<QPushButton>(w, "Command1"));
        child<QPushButton>(w, "Command1")->click();
        QCOMPARE(prompter_->texts(), QStringList{QStringLiteral("发卡机设置成功！")});
        QCOMPARE(prompter_->shown.last().icon, Prompter::Icon::None);
        QVERIFY(prompter_->shown.last().title.isEmpty());
        QCOMPARE(readerRow().toInt(), 42);
        QCOMPARE(Session::ReaderAddress, qint16(42));
        QVERIFY(!w.isVisible());
    }

    void missingReaderRowIsAdded()
    {
        home_->exec(QStringLiteral("DELETE FROM system WHERE name = ?"), {QStringLiteral("发卡机")});
        frmfkj w;
        w.show();
        OperatorInput::typeInto(child<QComboBox>(w, "fkjaddr"), QStringLiteral("0"));
        child<QPushButton>(w, "Command1")->click();
        QCOMPARE(readerRow().toInt(), 0);
        QCOMPARE(home_->scalar(QStringLiteral("SELECT count(*) FROM system WHERE name = ?"), {QStringLiteral("发卡机")}).toInt(), 1);
    }

    void emptyAndTooLargeAddressesAreRefused_data()
    {
        QTest::addColumn<QString>("text");
        QTest::newRow("empty") << "";
        QTest::newRow("100") << "100";
        QTest::newRow("255") << "255";
    }
    void emptyAndTooLargeAddressesAreRefused()
    {
        QFETCH(QString, text);
        frmfkj w;
        w.show();
        OperatorInput::typeInto(child<QComboBox>(w, "fkjaddr"), text);
        child<QPushButton>(w, "Command1")->click();
        QCOMPARE(prompter_->texts(), QStringList{QStringLiteral("请输入一个发卡机地址（为0-99的整数）")});
        QCOMPARE(readerRow().toInt(), 1);
        QCOMPARE(Session::ReaderAddress, qint16(1));
        QVERIFY(w.isVisible());
    }

    void leavingAnEmptyBoxIsRefused()
    {
        frmfkj w;
        w.show();
        QVERIFY(QTest::qWaitForWindowActive(&w));
        auto* list = child<QComboBox>(w, "fkjaddr");
        list->setFocus();
        QTRY_VERIFY(list->hasFocus());
        QTest::keyClick(list->lineEdit(), Qt::Key_Tab);
        QCOMPARE(prompter_->texts(), QStringList{QStringLiteral("请输入一个发卡机地址（为0-99的整数）")});
        QTRY_VERIFY(list->hasFocus());
        // With an address typed, leaving the box says nothing.
        prompter_->clear();
        QTest::keyClicks(list->lineEdit(), QStringLiteral("5"));
        QTest::keyClick(list->lineEdit(), Qt::Key_Tab);
        QVERIFY(prompter_->shown.isEmpty());
        QVERIFY(!list->hasFocus());

        // A click on the button with the box empty refuses once.
        OperatorInput::typeInto(list, QString());
        list->setFocus();
        QTRY_VERIFY(list->hasFocus());
        QTest::mouseClick(child<QPushButton>(w, "Command1"), Qt::LeftButton);
        QCOMPARE(prompter_->texts(), QStringList{QStringLiteral("请输入一个发卡机地址（为0-99的整数）")});
        QCOMPARE(readerRow().toInt(), 1);
    }

    // ---- FrmSJCJSZ ----

    void emptyScheduleStoresByHand()
    {
        Clock::freeze(QDateTime(QDate(2024, 3, 1), QTime(19, 5, 40)));
        QSignalSpy changed(&Session::events(), &SessionEvents::scheduleChanged);
        FrmSJCJSZ w;
        w.show();
        QCOMPARE(w.windowTitle(), QStringLiteral("数据采集设置"));
        QVERIFY(!child<QRadioButton>(w, "Opt1_0")->isChecked());
        QVERIFY(!child<QRadioButton>(w, "Opt1_1")->isChecked());
        QVERIFY(!child<QLabel>(w, "Label2")->isVisible());
        QCOMPARE(child<QTimeEdit>(w, "DTP1")->time(), QTime(19, 5, 40));
        child<QPushButton>(w, "Command1")->click();
        QCOMPARE(scheduleRows(), 1);
        QCOMPARE(CollectSchedule::load(home_->db()), CollectSchedule::manual());
        QCOMPARE(Session::CollectType, qint16(0));
        QCOMPARE(Session::CollectTime, QStringLiteral("0"));
        QCOMPARE(changed.size(), 1);
        QVERIFY(prompter_->shown.isEmpty());
        QVERIFY(!w.isVisible());
    }

    void timedScheduleStoresHourAndMinute()
    {
        home_->exec(QStringLiteral("INSERT INTO cjtype (采集类型, 采集时间) VALUES (?, ?)"), {0, QStringLiteral("0")});
        // The main window's timer follows the saved schedule at once.
        menu::setScreenSizeForTesting(QSize(800, 600));
        menu main;
        main.load();
        menu::setScreenSizeForTesting(std::nullopt);
        prompter_->clear();
        QTimer& collectionTimer = *main.collectionTimer();
        QVERIFY(!collectionTimer.isActive());

        FrmSJCJSZ w;
        w.show();
        auto* timed = child<QRadioButton>(w, "Opt1_0");
        auto* picker = child<QTimeEdit>(w, "DTP1");
        QVERIFY(child<QRadioButton>(w, "Opt1_1")->isChecked());
        QVERIFY(!picker->isEnabled());
        QCOMPARE(child<QLabel>(w, "Label2")->text(), QStringLiteral("上次设定的时间：  0:00"));
        timed->click();
        QVERIFY(picker->isEnabled());
        // The operator clicks into the hour and the minute and types them.
        QVERIFY(QTest::qWaitForWindowActive(&w));
        // 24:00 is no time of day: refused, never stored as 20:00.
        const auto before = CollectSchedule::load(home_->db());
        PickerInput::clickAt(picker, 0);
        QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("2400"));
        child<QPushButton>(w, "Command1")->click();
        QCOMPARE(prompter_->texts(), QStringList{QStringLiteral("“请选择时间”里的时间不存在，请重新输入！")});
        QCOMPARE(CollectSchedule::load(home_->db()), before);
        prompter_->clear();
        PickerInput::clickAt(picker, 0);
        QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("19"));
        PickerInput::clickAt(picker, picker->text().indexOf(QLatin1Char(':')) + 1);
        QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("05"));
        QCOMPARE(picker->time().toString(QStringLiteral("HH:mm")), QStringLiteral("19:05"));
        child<QPushButton>(w, "Command1")->click();

        QCOMPARE(scheduleRows(), 1);
        QCOMPARE(CollectSchedule::load(home_->db()), (CollectSchedule::Schedule{1, QStringLiteral("19:05")}));
        QCOMPARE(Session::CollectType, qint16(1));
        QCOMPARE(Session::CollectTime, QStringLiteral("19:05"));
        QVERIFY(collectionTimer.isActive());

        // Reopened: the stored time and the timed option; then back to by hand.
        FrmSJCJSZ again;
        again.show();
        QCOMPARE(child<QLabel>(again, "Label2")->text(), QStringLiteral("上次设定的时间：  19:05:00"));
        QVERIFY(child<QLabel>(again, "Label2")->isVisible());
        QVERIFY(child<QRadioButton>(again, "Opt1_0")->isChecked());
        QVERIFY(child<QTimeEdit>(again, "DTP1")->isEnabled());
        child<QRadioButton>(again, "Opt1_1")->click();
        QVERIFY(!child<QTimeEdit>(again, "DTP1")->isEnabled());
        child<QPushButton>(again, "Command1")->click();
        QCOMPARE(CollectSchedule::load(home_->db()), CollectSchedule::manual());
        QVERIFY(!collectionTimer.isActive());
        QCOMPARE(scheduleRows(), 1);
    }

    void cancelStoresNothing()
    {
        QSignalSpy changed(&Session::events(), &SessionEvents::scheduleChanged);
        FrmSJCJSZ w;
        w.show();
        child<QRadioButton>(w, "Opt1_0")->click();
        child<QPushButton>(w, "Command2")->click();
        QVERIFY(!w.isVisible());
        QCOMPARE(scheduleRows(), 0);
        QVERIFY(changed.isEmpty());
    }

    void timerTicks()
    {
        QVERIFY(CollectSchedule::timerOn(1));
        QVERIFY(!CollectSchedule::timerOn(0));
        QVERIFY(!CollectSchedule::timerOn(2));
        QVERIFY(CollectSchedule::isDue(QTime(19, 5, 0), QStringLiteral("19:05")));
        QVERIFY(CollectSchedule::isDue(QTime(19, 5, 59), QStringLiteral("19:05")));
        QVERIFY(!CollectSchedule::isDue(QTime(19, 6, 0), QStringLiteral("19:05")));
        QVERIFY(!CollectSchedule::isDue(QTime(7, 5, 0), QStringLiteral("19:05")));
        QVERIFY(CollectSchedule::isDue(QTime(7, 5, 0), QStringLiteral("07:05")));
        QVERIFY(!CollectSchedule::isDue(QTime(0, 0, 0), QStringLiteral("0")));
        QCOMPARE(CollectSchedule::timed(QTime(7, 5, 40)).time, QStringLiteral("07:05"));
    }
};

QTEST_MAIN(TestSchedule)
#include "tst_schedule.moc"
