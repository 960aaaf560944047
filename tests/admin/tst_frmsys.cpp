// The serial-settings window: apply, and the communication test against
// the simulator (in memory on a driven clock, once over a pseudo-terminal).

#include "support/Controls.h"
#include "support/OperatorInput.h"
#include "admin/frmsys.h"
#include "session/Session.h"
#include "db/Clock.h"
#include "doorsim/MemoryLine.h"
#include "link/LinePort.h"
#include "support/ScriptedPrompter.h"
#include "support/LineWaitScope.h"
#include "support/TestHome.h"

#include <QFrame>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include <optional>

class TestFrmsys : public QObject {
    Q_OBJECT

    TestHome* home_ = nullptr;
    ScriptedPrompter* prompter_ = nullptr;
    Simulator* sim_ = nullptr;
    std::optional<MemoryLine> wire_;
    // On the terminal a pause and a silence cost a fraction of a second.
    std::optional<LineWaitScope> waits_;

    static QLineEdit* box(QWidget& w, const char* name) { return child<QLineEdit>(w, name); }
    static QPushButton* button(QWidget& w, const char* name) { return child<QPushButton>(w, name); }
    static QString systemValue(const TestHome& home, const char* name, const char* column)
    {
        return home.scalar(QStringLiteral("SELECT %1 FROM system WHERE name = ?").arg(QLatin1String(column)),
                           {QString::fromUtf8(name)})
            .toString();
    }

    // Opens the panel, types the address and runs the test; returns how
    // long the test took on the line's clock, in microseconds.
    static qint64 test(frmsys& w, const QString& address)
    {
        if (!child<QFrame>(w, "Frame1")->isVisible())
            button(w, "cmdtest")->click();
        box(w, "tdz")->setText(address);
        const LineClock::Time start = LineClock::now();
        button(w, "Command1")->click();
        return (LineClock::now() - start).count();
    }

private slots:
    void init()
    {
        home_ = new TestHome;
        prompter_ = new ScriptedPrompter;
        sim_ = new Simulator;
        if (QByteArrayView(QTest::currentTestFunction()) != "addressesZeroAnd99") {
            wire_.emplace(*sim_, home_->path(), 1);
        } else {
            waits_.emplace(LineWaitScope::kShort);
            QVERIFY(sim_->start() && sim_->makeLink(home_->path(), 1));
        }
        for (quint8 a : {0, 5, 99})
            sim_->addController(a);
    }
    void cleanup()
    {
        wire_.reset();
        delete sim_;
        delete prompter_;
        delete home_;
        waits_.reset();
    }

    void loadsTheSessionValues()
    {
        Session::PortNo = 3;
        Session::CommSettings = QStringLiteral("4800,e,7,1");
        Session::InBufSize = 1024;
        Session::OutBufSize = 256;
        frmsys w;
        w.show();
        QCOMPARE(w.windowTitle(), QStringLiteral("系统设置"));
        QCOMPARE(box(w, "Tport")->text(), QStringLiteral("3"));
        QCOMPARE(box(w, "Tset")->text(), QStringLiteral("4800,e,7,1"));
        QCOMPARE(box(w, "Tinb")->text(), QStringLiteral("1024"));
        QCOMPARE(box(w, "Toutb")->text(), QStringLiteral("256"));
        QVERIFY(!child<QFrame>(w, "Frame1")->isVisible());
        // The port box takes digits only.
        box(w, "Tport")->clear();
        QTest::keyClicks(box(w, "Tport"), QStringLiteral("1a2 "));
        QCOMPARE(box(w, "Tport")->text(), QStringLiteral("12"));
    }

    void applyStoresTheLeadingNumbers()
    {
        frmsys w;
        w.show();
        box(w, "Tport")->setText(QStringLiteral(" 7"));
        box(w, "Tset")->setText(QStringLiteral("  19200,e,7,2 "));
        box(w, "Tinb")->setText(QStringLiteral("12ab"));
        box(w, "Toutb")->setText(QStringLiteral("ab"));
        button(w, "cmdok")->click();

        QVERIFY(prompter_->shown.isEmpty());
        QVERIFY(!w.isVisible());
        QCOMPARE(w.result(), int(QDialog::Accepted));
        QCOMPARE(systemValue(*home_, "串口号", "zhi").toInt(), 7);
        QCOMPARE(systemValue(*home_, "通讯设置", "detail"), QStringLiteral("19200,e,7,2"));
        QCOMPARE(systemValue(*home_, "输入缓冲区", "zhi").toInt(), 12);
        QCOMPARE(systemValue(*home_, "输出缓冲区", "zhi").toInt(), 0);
        // The title prefix in the port row's other column is left alone.
        QVERIFY(systemValue(*home_, "串口号", "detail").isEmpty());
        QCOMPARE(Session::PortNo, qint16(7));
        QCOMPARE(Session::CommSettings, QStringLiteral("19200,e,7,2"));
        QCOMPARE(Session::InBufSize, qint16(12));
        QCOMPARE(Session::OutBufSize, qint16(0));
    }

    void applyDoesNotCheckTheSettingsText()
    {
        frmsys w;
        w.show();
        box(w, "Tset")->setText(QStringLiteral("fast please"));
        box(w, "Tinb")->setText(QStringLiteral("   "));  // blanks only: a number, 0
        button(w, "cmdok")->click();
        QCOMPARE(systemValue(*home_, "通讯设置", "detail"), QStringLiteral("fast please"));
        QCOMPARE(systemValue(*home_, "输入缓冲区", "zhi").toInt(), 0);
        // The wrong text shows when a port is next opened.
        LinePort port;
        LineParams p{Session::PortNo, Session::CommSettings, 2048, 512, home_->path()};
        QCOMPARE(port.open(p).status, OpenStatus::BadSettings);
    }

    void applyRefusesEmptyAndOversizedBoxes_data()
    {
        QTest::addColumn<QString>("boxName");
        QTest::addColumn<QString>("text");
        QTest::newRow("empty port") << "Tport" << "";
        QTest::newRow("empty settings") << "Tset" << "";
        QTest::newRow("empty receive size") << "Tinb" << "";
        QTest::newRow("empty transmit size") << "Toutb" << "";
        QTest::newRow("port too large") << "Tport" << "40000";
        QTest::newRow("receive size too large") << "Tinb" << "32768";
        QTest::newRow("transmit size too small") << "Toutb" << "-32769";
    }
    void applyRefusesEmptyAndOversizedBoxes()
    {
        QFETCH(QString, boxName);
        QFETCH(QString, text);
        frmsys w;
        w.show();
        QLineEdit* refused = box(w, qPrintable(boxName));
        OperatorInput::typeInto(refused, text);
        button(w, "cmdtest")->setFocus();
        button(w, "cmdok")->click();
        QVERIFY(w.isVisible());
        QCOMPARE(w.focusWidget(), refused);
        QVERIFY(prompter_->shown.isEmpty());
        QCOMPARE(systemValue(*home_, "输入缓冲区", "zhi").toInt(), 2048);
        QCOMPARE(systemValue(*home_, "串口号", "zhi").toInt(), 1);
    }

    void theFirstEmptyBoxTakesTheFocus()
    {
        frmsys w;
        w.show();
        box(w, "Toutb")->clear();
        box(w, "Tset")->clear();
        button(w, "cmdok")->click();
        QCOMPARE(w.focusWidget(), box(w, "Tset"));
    }

    void aFailedApplyChangesNothing()
    {
        // The third of the four rows cannot be written.
        home_->exec(QStringLiteral("CREATE TRIGGER refuse BEFORE UPDATE ON system WHEN NEW.name = '输入缓冲区' "
                                   "BEGIN SELECT RAISE(ABORT, 'refused'); END"));
        frmsys w;
        w.show();
        box(w, "Tport")->setText(QStringLiteral("4"));
        box(w, "Tinb")->setText(QStringLiteral("100"));
        button(w, "cmdok")->click();
        QCOMPARE(prompter_->shown.size(), 1);
        QVERIFY(prompter_->last().contains(QLatin1String("refused")));
        QVERIFY(w.isVisible());
        QCOMPARE(systemValue(*home_, "串口号", "zhi").toInt(), 1);
        QCOMPARE(Session::PortNo, qint16(1));
    }

    void aMissingRowIsAdded()
    {
        home_->exec(QStringLiteral("DELETE FROM system WHERE name = ?"), {QStringLiteral("输出缓冲区")});
        frmsys w;
        w.show();
        box(w, "Toutb")->setText(QStringLiteral("300"));
        button(w, "cmdok")->click();
        QCOMPARE(systemValue(*home_, "输出缓冲区", "zhi").toInt(), 300);
    }

    void testPanelShowsAndHides()
    {
        frmsys w;
        w.show();
        button(w, "cmdtest")->click();
        QVERIFY(child<QFrame>(w, "Frame1")->isVisible());
        QVERIFY(!button(w, "cmdok")->isEnabled());
        QVERIFY(!button(w, "cmdtest")->isEnabled());
        button(w, "Command2")->click();
        QVERIFY(!child<QFrame>(w, "Frame1")->isVisible());
        QVERIFY(button(w, "cmdok")->isEnabled());
        QVERIFY(button(w, "cmdtest")->isEnabled());
    }

    void answeringControllerPassesTheTest()
    {
        Clock::freeze(QDateTime(QDate(2024, 3, 1), QTime(7, 8, 9)));
        frmsys w;
        w.show();
        const qint64 took = test(w, QStringLiteral("5"));
        QCOMPARE(prompter_->texts(), QStringList{QStringLiteral("测试成功")});
        QCOMPARE(prompter_->shown.last().icon, Prompter::Icon::Exclamation);
        QVERIFY(prompter_->shown.last().title.isEmpty());
        QCOMPARE(took, 1'000'000);  // the pause, in which the echo came
        // The controller took the PC's time.
        QCOMPARE(sim_->frames(), QList<QByteArray>{QByteArray::fromHex("050508070809")});
        QVERIFY(!child<QFrame>(w, "Frame1")->isVisible());
        QVERIFY(button(w, "cmdok")->isEnabled());
        QVERIFY(button(w, "cmdtest")->isEnabled());
    }

    void addressesZeroAnd99()
    {
        frmsys w;
        w.show();
        test(w, QStringLiteral("0"));
        test(w, QStringLiteral("99"));
        QCOMPARE(prompter_->texts(), (QStringList{QStringLiteral("测试成功"), QStringLiteral("测试成功")}));
    }

    // After its pause and wait (1 + 2 s); after bytes that are not the echo
    // the line keeps quiet for as long, and gives up on a line that keeps
    // chattering after three times that.
    void aTestThatFails_data()
    {
        QTest::addColumn<QString>("fault");
        QTest::addColumn<QString>("message");
        QTest::addColumn<qint64>("tookUs");
        QTest::newRow("silent controller, after three seconds") << "silent 5 on" << "通讯失败" << qint64(3'000'000);
        QTest::newRow("other byte") << "wrong 5 on" << "测试失败" << qint64(4'000'000);
        QTest::newRow("disturbed line") << "chatter 2" << "5号门线路上有干扰" << qint64(10'000'000);
    }
    void aTestThatFails()
    {
        QFETCH(QString, fault);
        QCOMPARE(sim_->command(fault), QStringLiteral("ok"));
        frmsys w;
        w.show();
        const qint64 took = test(w, QStringLiteral("5"));
        QCOMPARE(prompter_->shown.size(), 1);
        QTEST(prompter_->last(), "message");
        QCOMPARE(prompter_->shown.last().icon, Prompter::Icon::Exclamation);
        QTEST(took, "tookUs");
        QVERIFY(!child<QFrame>(w, "Frame1")->isVisible());
    }

    void refusedAddresses()
    {
        frmsys w;
        w.show();
        test(w, QStringLiteral("100"));
        QCOMPARE(prompter_->last(), QStringLiteral("地址为0-99之间的整数"));
        QCOMPARE(prompter_->shown.last().icon, Prompter::Icon::None);
        QCOMPARE(w.focusWidget(), box(w, "tdz"));
        test(w, QStringLiteral("  "));
        QCOMPARE(prompter_->last(), QStringLiteral("请输入考勤机地址”"));
        QCOMPARE(prompter_->shown.last().icon, Prompter::Icon::None);
        // Nothing was sent, and the panel stays for another try.
        QVERIFY(sim_->frames().isEmpty());
        QVERIFY(child<QFrame>(w, "Frame1")->isVisible());
    }

    void theFirstTestsPortIsKeptForTheSecond()
    {
        frmsys w;
        w.show();
        test(w, QStringLiteral("5"));
        box(w, "Tport")->setText(QStringLiteral("9"));
        box(w, "Tset")->setText(QStringLiteral("nonsense"));
        test(w, QStringLiteral("99"));
        QCOMPARE(prompter_->texts(), (QStringList{QStringLiteral("测试成功"), QStringLiteral("测试成功")}));
        QCOMPARE(sim_->frames().size(), 2);
    }

    void portSettingsTheTestRefuses()
    {
        {
            frmsys w;
            w.show();
            box(w, "Tport")->setText(QStringLiteral("0"));
            test(w, QStringLiteral("5"));
            QCOMPARE(prompter_->last(), QStringLiteral("通讯端口设置错误"));
            QCOMPARE(prompter_->shown.last().icon, Prompter::Icon::Exclamation);
            QVERIFY(!child<QFrame>(w, "Frame1")->isVisible());
            QVERIFY(button(w, "cmdok")->isEnabled());
        }
        {
            frmsys w;
            w.show();
            box(w, "Tset")->setText(QStringLiteral("9600,q,8,1"));
            test(w, QStringLiteral("5"));
            QCOMPARE(prompter_->last(), QStringLiteral("通讯参数设置错误"));
            QVERIFY(!child<QFrame>(w, "Frame1")->isVisible());
        }
        {
            // Held by another window: the test fails without waiting.
            LinePort other;
            QVERIFY(other.open(LineParams{1, QStringLiteral("9600,n,8,1"), 2048, 512, home_->path()}).ok());
            frmsys w;
            w.show();
            const qint64 took = test(w, QStringLiteral("5"));
            QCOMPARE(prompter_->last(), QStringLiteral("通讯失败：串口正被本程序的其他窗口使用，请等那个窗口的通信结束或关闭它之后再试！"));
            QCOMPARE(took, 0);
        }
        QVERIFY(sim_->frames().isEmpty());
    }

    void nothingElseStartsWhileTheTestWaits()
    {
        // The echo comes late in the wait, after the one-second pause.
        sim_->controller(5)->behaviour.delayMs = 1800;
        frmsys w;
        w.show();
        bool checked = false, buttonsOff = false, stillOpen = false;
        LineTimer check([&] {
            checked = true;
            buttonsOff = !button(w, "Command1")->isEnabled() && !button(w, "Command2")->isEnabled() &&
                         !button(w, "cmdexit")->isEnabled();
            QVERIFY(w.testing());
            w.close();
            w.reject();
            stillOpen = w.isVisible();
        });
        check.startIn(std::chrono::milliseconds(1600));
        test(w, QStringLiteral("5"));
        QVERIFY(checked);
        QVERIFY(buttonsOff);
        QVERIFY(stillOpen);
        QCOMPARE(prompter_->texts(), QStringList{QStringLiteral("测试成功")});
        QVERIFY(button(w, "Command1")->isEnabled());
        QVERIFY(button(w, "cmdexit")->isEnabled());
        QCOMPARE(sim_->frames().size(), 1);
        button(w, "cmdexit")->click();
        QVERIFY(!w.isVisible());
    }

    void closingReleasesThePort()
    {
        auto* w = new frmsys;
        w->show();
        test(*w, QStringLiteral("5"));
        QVERIFY(LinePort::isHeld(wire_->device()));
        delete w;
        QVERIFY(!LinePort::isHeld(wire_->device()));
    }
};

QTEST_MAIN(TestFrmsys)
#include "tst_frmsys.moc"
