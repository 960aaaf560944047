#include "admin/BackupRestore.h"
#include "app/CollectionSchedule.h"
#include "app/LoginWindow.h"
#include "app/MainWindow.h"
#include "app/ToolWindows.h"
#include "app/Tools.h"
#include "session/Session.h"
#include "db/Clock.h"
#include "db/Database.h"
#include "db/Password.h"
#include "db/Schema.h"
#include "support/DigestCostScope.h"
#include "support/ScriptedPrompter.h"
#include "support/TestHome.h"
#include "ui/WorkProgress.h"

#include <QAction>
#include <QFile>
#include <QHash>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTextBrowser>
#include <QTimer>
#include <QtTest>

#include <memory>

namespace {

// Adds an operator whose rights are all false except those given.
void addOperator(TestHome& home, const QString& name, const QString& password, const QList<int>& rights)
{
    // Operators given the same password share one digest, computed once.
    static QHash<QString, QString> digests;
    if (!digests.contains(password))
        digests.insert(password, Password::digest(password));
    home.exec(QStringLiteral("INSERT INTO user (sysname, syspword) VALUES (?, ?)"), {name, digests.value(password)});
    for (int n : rights)
        home.exec(QStringLiteral("UPDATE user SET r%1 = 1 WHERE sysname = ?").arg(n), {name});
}

// Tells of every window as it appears.
class ShowWatch : public QObject {
public:
    explicit ShowWatch(std::function<void(QWidget*)> seen) : seen_(std::move(seen)) { qApp->installEventFilter(this); }

protected:
    bool eventFilter(QObject* o, QEvent* e) override
    {
        if (e->type() == QEvent::Show && o->isWidgetType() && static_cast<QWidget*>(o)->isWindow())
            seen_(static_cast<QWidget*>(o));
        return false;
    }

private:
    std::function<void(QWidget*)> seen_;
};

// A window beside the menu that may not close yet, as one whose exchange
// with a controller still waits.
class BusyWindow : public QWidget {
public:
    bool busy = true;

protected:
    void closeEvent(QCloseEvent* event) override
    {
        if (busy)
            event->ignore();
        else
            QWidget::closeEvent(event);
    }
};

struct LoginRun {
    std::unique_ptr<login> window = std::make_unique<login>();
    std::unique_ptr<menu> main;

    bool attempt(const QString& name, const QString& password)
    {
        window->findChild<QLineEdit*>(QStringLiteral("Tuser"))->setText(name);
        window->findChild<QLineEdit*>(QStringLiteral("tpasswd"))->setText(password);
        window->findChild<QPushButton*>(QStringLiteral("Cmdok"))->click();
        main.reset(window->mainWindow());
        return main != nullptr;
    }
    ~LoginRun()
    {
        // The main window would compact the database when closed; the tests
        // that want that close it themselves.
        if (main)
            main->hide();
    }
};

}  // namespace

class ShellTest : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void loginMatchesTrimmedAndWithoutCase();
    void loginRefusesWrongAndInjectedText();
    void rightsSwitchTheirTools();
    void operatorWithoutRightsReachesMainWindow();
    void toolTableIsComplete();
    void captionAndStatusBar();
    void displayModeHint();
    void scheduleSwitchesTimer();
    void skippedMinuteIsCaughtUp_data();
    void skippedMinuteIsCaughtUp();
    void timerOpensOncePerMinute();
    void exitAsksFirst();
    void helpOpensWhateverIsEnabled();
    void closingCompactsTheDatabase();
    void closingWaitsForAWindowStillAtWork();
    void escapeEndsOnlyFromConfirm();
    void toolsOpenTheirWindows();
    void specialCheckLeadsToRemoteOpening();
    void aboutLeadsToHardwareInformation();

private:
    // Logins are what these tests drive, not the cost of a digest: the
    // delivered operator's and every added one's are cheap.
    const DigestCostScope cheapDigests = DigestCostScope::cheap();
    std::unique_ptr<TestHome> home;
    std::unique_ptr<ScriptedPrompter> prompts;
};

void ShellTest::init()
{
    home = std::make_unique<TestHome>();
    prompts = std::make_unique<ScriptedPrompter>();
    menu::setScreenSizeForTesting(QSize(800, 600));
    // A schedule row keeps the loading quiet unless a test removes it.
    home->exec(QStringLiteral("INSERT INTO cjtype (采集类型, 采集时间) VALUES (0, '0')"));
}

void ShellTest::cleanup()
{
    prompts.reset();
    home.reset();
    menu::setScreenSizeForTesting(std::nullopt);
}

void ShellTest::loginMatchesTrimmedAndWithoutCase()
{
    LoginRun run;
    QVERIFY(run.attempt(QStringLiteral("  QuorVY "), QStringLiteral(" QUORVY  ")));
    QCOMPARE(Session::CurrentUser, QStringLiteral("quorvy"));
    QCOMPARE(Session::UserLevel, qint16(1));
    QVERIFY(prompts->shown.isEmpty());
    QCOMPARE(run.main->windowTitle(), QStringLiteral("门禁管理系统"));
    QVERIFY(!run.window->isVisible());
}

void ShellTest::loginRefusesWrongAndInjectedText()
{
    LoginRun run;
    run.window->show();
    const QStringList names{QStringLiteral("quorvy"), QStringLiteral("x' or 'a'='a"), QStringLiteral("quorvy'--"),
                            QStringLiteral("o'brien"), QString()};
    const QStringList passwords{QStringLiteral("wrong"), QStringLiteral("x' or 'a'='a"), QStringLiteral("x"),
                                QStringLiteral("'"), QString()};
    for (int i = 0; i < names.size(); ++i) {
        prompts->clear();
        QVERIFY(!run.attempt(names[i], passwords[i]));
        QCOMPARE(prompts->texts(), QStringList{QStringLiteral("用户名或口令有错,请重输")});
        QCOMPARE(prompts->shown.first().icon, Prompter::Icon::Exclamation);
        QCOMPARE(Session::UserLevel, qint16(0));
    }
    // Both boxes keep their text and the operator may try again.
    QCOMPARE(run.window->findChild<QLineEdit*>(QStringLiteral("Tuser"))->text(), QString());
    QVERIFY(run.attempt(QStringLiteral("quorvy"), QStringLiteral("quorvy")));
}

void ShellTest::rightsSwitchTheirTools()
{
    // One operator per right, holding that right alone; the empty (Null)
    // fields of the others switch their tools off like false ones.
    for (int n = 0; n < Schema::kRightCount; ++n) {
        const QString name = QStringLiteral("op%1").arg(n);
        addOperator(*home, name, QStringLiteral("pw"), {n});
        home->exec(QStringLiteral("UPDATE user SET r%1 = NULL WHERE sysname = ?").arg((n + 1) % 25), {name});
        LoginRun run;
        QVERIFY(run.attempt(name, QStringLiteral("pw")));
        for (int m = 0; m < Schema::kRightCount; ++m) {
            const int tool = Tools::toolForRight(m);
            const bool expected = m == n && ToolWindows::has(tool);
            QVERIFY2(run.main->toolAction(tool)->isEnabled() == expected,
                     qPrintable(QStringLiteral("right r%1, tool %2").arg(m).arg(tool)));
        }
        // Tools that no right governs keep their state.
        QVERIFY(run.main->toolAction(Tools::kHelp)->isEnabled());
        QVERIFY(run.main->toolAction(Tools::kExit)->isEnabled());
    }
}

void ShellTest::operatorWithoutRightsReachesMainWindow()
{
    addOperator(*home, QStringLiteral("guest"), QStringLiteral("guest"), {});
    LoginRun run;
    QVERIFY(run.attempt(QStringLiteral("guest"), QStringLiteral("guest")));
    QCOMPARE(Session::CurrentUser, QStringLiteral("guest"));
    for (int n = 0; n < Schema::kRightCount; ++n)
        QVERIFY(!run.main->toolAction(Tools::toolForRight(n))->isEnabled());
    QVERIFY(run.main->toolAction(Tools::kExit)->isEnabled());
}

void ShellTest::toolTableIsComplete()
{
    // Each right governs exactly one tool, and the ids the menu has are
    // those of the old program.
    QSet<int> governed;
    for (int n = 0; n < Schema::kRightCount; ++n) {
        const int id = Tools::toolForRight(n);
        QVERIFY(id > 0);
        QVERIFY(!governed.contains(id));
        governed.insert(id);
    }
    const QList<int> expectedByRight{10, 16, 9, 15, 18, 19, 8, 26, 23, 29, 35, 36, 17,
                                     25, 31, 32, 20, 21, 34, 22, 33, 27, 28, 30, 6};
    for (int n = 0; n < 25; ++n)
        QCOMPARE(Tools::toolForRight(n), expectedByRight[n]);
    QSet<int> ids;
    for (const Tools::Tool& t : Tools::all())
        ids.insert(t.id);
    for (const Tools::Tool& t : Tools::heads())
        ids.insert(t.id);
    QCOMPARE(ids.size(), 35);
    QVERIFY(!ids.contains(2) && !ids.contains(7));
    const QList<int> modeless{15, 19, 17};
    for (const Tools::Tool& t : Tools::all())
        QCOMPARE(t.shown == Tools::Shown::Modeless, modeless.contains(t.id));
}

void ShellTest::captionAndStatusBar()
{
    Clock::freeze(QDateTime(QDate(2026, 12, 8), QTime(10, 0)));
    {
        menu m;
        m.load();
        QCOMPARE(m.windowTitle(), QStringLiteral("门禁管理系统"));
        QCOMPARE(m.findChild<QLabel*>(QStringLiteral("panel1"))->text(), QStringLiteral("门禁系统  2002.2."));
        QCOMPARE(m.findChild<QLabel*>(QStringLiteral("panel2"))->text(), QStringLiteral("星期二,2026/12/08"));
    }
    home->exec(QStringLiteral("UPDATE system SET detail = '阳光大厦' WHERE name = '串口号'"));
    menu m;
    m.load();
    QCOMPARE(m.windowTitle(), QStringLiteral("阳光大厦门禁管理系统"));
    QCOMPARE(m.findChild<QLabel*>(QStringLiteral("panel1"))->text(), QStringLiteral("阳光大厦门禁系统  2002.2."));
}

void ShellTest::displayModeHint()
{
    QVERIFY(menu::needsDisplayModeHint(QSize(1024, 768)));
    QVERIFY(!menu::needsDisplayModeHint(QSize(800, 600)));
    QVERIFY(!menu::needsDisplayModeHint(QSize(800, 768)));
    QVERIFY(!menu::needsDisplayModeHint(QSize(1024, 600)));

    menu::setScreenSizeForTesting(QSize(1024, 768));
    {
        menu m;
        m.load();
        QCOMPARE(prompts->texts(), QStringList{QStringLiteral("请您把显示模式设成[16位真彩]以上[800*600]")});
        QCOMPARE(prompts->shown.first().title, QStringLiteral("为得到更好的效果"));
        QCOMPARE(prompts->shown.first().icon, Prompter::Icon::Exclamation);
        QCOMPARE(m.size(), QSize(1024, 768));
    }
    prompts->clear();
    menu::setScreenSizeForTesting(QSize(800, 768));
    menu m;
    m.load();
    QVERIFY(prompts->shown.isEmpty());
}

void ShellTest::scheduleSwitchesTimer()
{
    home->exec(QStringLiteral("DELETE FROM cjtype"));
    {
        menu m;
        m.load();
        QCOMPARE(prompts->texts(), QStringList{QStringLiteral("请设置数据采集类型！")});
        QCOMPARE(prompts->shown.first().icon, Prompter::Icon::None);
        QVERIFY(!m.collectionTimer()->isActive());
    }
    home->exec(QStringLiteral("INSERT INTO cjtype (采集类型, 采集时间) VALUES (2, '08:30')"));
    {
        menu m;
        m.load();
        QVERIFY(!m.collectionTimer()->isActive());
        QCOMPARE(Session::CollectTime, QStringLiteral("08:30"));
    }
    home->exec(QStringLiteral("UPDATE cjtype SET 采集类型 = 1"));
    menu m;
    m.load();
    QVERIFY(m.collectionTimer()->isActive());
    QCOMPARE(m.collectionTimer()->interval(), 50000);
    // The schedule window's save switches the timer at once.
    Session::CollectType = 0;
    emit Session::events().scheduleChanged();
    QVERIFY(!m.collectionTimer()->isActive());
    Session::CollectType = 1;
    emit Session::events().scheduleChanged();
    QVERIFY(m.collectionTimer()->isActive());
}

void ShellTest::timerOpensOncePerMinute()
{
    const QDate day(2026, 12, 8);
    CollectionSchedule s;
    const QString at = QStringLiteral("19:05");
    QVERIFY(!s.tick(QDateTime(day, QTime(19, 4, 30)), at, false));
    QVERIFY(s.tick(QDateTime(day, QTime(19, 5, 10)), at, false));
    // The second tick of the same minute, after the window closed.
    QVERIFY(!s.tick(QDateTime(day, QTime(19, 5, 59)), at, false));
    QVERIFY(!s.tick(QDateTime(day, QTime(19, 6, 0)), at, false));
    // The next day runs again; a tick while the window is open does not.
    QVERIFY(!s.tick(QDateTime(day.addDays(1), QTime(19, 5, 5)), at, true));
    QVERIFY(s.tick(QDateTime(day.addDays(1), QTime(19, 5, 55)), at, false));
    // "0" means off and never matches, midnight included.
    CollectionSchedule off;
    QVERIFY(!off.tick(QDateTime(day, QTime(0, 0, 0)), QStringLiteral("0"), false));
}

void ShellTest::skippedMinuteIsCaughtUp_data()
{
    using D = CollectionSchedule::Decision;
    QTest::addColumn<QList<QTime>>("ticks");
    QTest::addColumn<bool>("lineHeld");
    QTest::addColumn<QList<D>>("decisions");
    // A progress window held the event loop from 19:04:30 on.
    QTest::newRow("caught up at the next tick") << QList<QTime>{QTime(19, 4, 30), QTime(19, 7, 10), QTime(19, 8, 0)} << false
                                                << QList<D>{D::Nothing, D::Open, D::Nothing};
    QTest::newRow("then the line is held") << QList<QTime>{QTime(19, 4, 30), QTime(19, 7, 10), QTime(19, 16, 0)} << true
                                           << QList<D>{D::Nothing, D::Waiting, D::GiveUp};
    QTest::newRow("held past ten minutes") << QList<QTime>{QTime(19, 4, 30), QTime(19, 15, 30), QTime(19, 16, 20)} << false
                                           << QList<D>{D::Nothing, D::Missed, D::Nothing};
    // No tick before the minute: the program was not running then.
    QTest::newRow("started after the minute") << QList<QTime>{QTime(19, 7, 10), QTime(19, 8, 0)} << false
                                              << QList<D>{D::Nothing, D::Nothing};
    QTest::newRow("ran in its minute") << QList<QTime>{QTime(19, 4, 30), QTime(19, 5, 20), QTime(19, 9, 0)} << false
                                       << QList<D>{D::Nothing, D::Open, D::Nothing};
}

void ShellTest::skippedMinuteIsCaughtUp()
{
    QFETCH(QList<QTime>, ticks);
    QFETCH(bool, lineHeld);
    CollectionSchedule s;
    QList<CollectionSchedule::Decision> decisions;
    for (const QTime& t : ticks)
        decisions << s.decide(QDateTime(QDate(2026, 12, 8), t), QStringLiteral("19:05"), false, lineHeld);
    QTEST(decisions, "decisions");
    if (decisions.contains(CollectionSchedule::Decision::Missed))
        QCOMPARE(s.scheduledMinute(), QDateTime(QDate(2026, 12, 8), QTime(19, 5)));
}

void ShellTest::exitAsksFirst()
{
    menu m;
    m.load();
    QSignalSpy spy(&m, &menu::exitRequested);
    prompts->answerNext(Prompter::Answer::No);
    m.triggerTool(Tools::kExit);
    QCOMPARE(spy.count(), 0);
    QCOMPARE(prompts->last(), QStringLiteral("您真要关闭门禁管理系统？"));
    const Prompter::Message asked = prompts->shown.last();
    QCOMPARE(asked.title, QStringLiteral("门禁系统"));
    QCOMPARE(asked.buttons, Prompter::Buttons::YesNo);
    QCOMPARE(asked.defaultAnswer, Prompter::Answer::No);
    QCOMPARE(asked.icon, Prompter::Icon::Question);
    QVERIFY(Database::sharedIsOpen());
    prompts->answerNext(Prompter::Answer::Yes);
    m.triggerTool(Tools::kExit);
    QCOMPARE(spy.count(), 1);
    // The exit tool ends the run without compacting.
    QVERIFY(Database::sharedIsOpen());
    QVERIFY(!QFile::exists(home->file(QStringLiteral("dbs.db"))));
}

void ShellTest::helpOpensWhateverIsEnabled()
{
    menu m;
    m.load();
    for (int n = 0; n < 25; ++n)
        m.setToolEnabled(Tools::toolForRight(n), false);
    m.show();
    QVERIFY(QTest::qWaitForWindowExposed(&m));
    QTest::keyClick(&m, Qt::Key_F1);
    auto* browser = m.findChild<QTextBrowser*>(QStringLiteral("helpBrowser"));
    QVERIFY(browser);
    QVERIFY(browser->toPlainText().contains(QStringLiteral("门禁管理系统")));
    QVERIFY(browser->window()->isVisible());
    m.hide();
}

void ShellTest::closingCompactsTheDatabase()
{
    home->exec(QStringLiteral("INSERT INTO department (部门) VALUES ('一号楼')"));
    // The close says what it is doing, however short the wait.
    WorkProgress::setDelayMs(0);
    QStringList said;
    ShowWatch watch([&said](QWidget* w) {
        if (w->objectName() == QLatin1String("WorkProgress"))
            said << w->findChild<QLabel*>()->text();
    });
    auto* m = new menu();
    m->load();
    m->show();
    m->close();
    delete m;
    WorkProgress::setDelayMs(400);
    QCOMPARE(said, QStringList{QStringLiteral("正在压缩数据库…")});
    QVERIFY(prompts->shown.isEmpty());
    QVERIFY(!Database::sharedIsOpen());
    QVERIFY(!QFile::exists(home->file(QStringLiteral("dbs.db"))));
    QVERIFY(!QFile::exists(home->file(QStringLiteral("door.db-wal"))));
    QVERIFY(Database::openShared().ok());
    QCOMPARE(home->scalar(QStringLiteral("SELECT 部门 FROM department")).toString(), QStringLiteral("一号楼"));

    // A compaction that cannot write its copy says so and keeps door.db.
    QVERIFY(QDir(home->path()).mkdir(QStringLiteral("dbs.db")));
    m = new menu();
    m->load();
    m->show();
    m->close();
    delete m;
    QCOMPARE(prompts->shown.size(), 1);
    QVERIFY(prompts->last().startsWith(QStringLiteral("数据库压缩失败")));
    QVERIFY(Database::checkFile(home->file(QStringLiteral("door.db"))));
}

void ShellTest::closingWaitsForAWindowStillAtWork()
{
    home->exec(QStringLiteral("INSERT INTO department (部门) VALUES ('一号楼')"));
    auto* m = new menu();
    m->load();
    m->show();
    BusyWindow beside;
    beside.show();
    m->close();
    // The window still at work keeps its connection and its data.
    QVERIFY(m->isVisible());
    QVERIFY(Database::sharedIsOpen());
    home->exec(QStringLiteral("INSERT INTO department (部门) VALUES ('二号楼')"));
    QVERIFY(prompts->shown.isEmpty());

    beside.busy = false;
    m->close();
    delete m;
    QVERIFY(!beside.isVisible());
    QVERIFY(!Database::sharedIsOpen());
    QVERIFY(!QFile::exists(home->file(QStringLiteral("dbs.db"))));
    QVERIFY(Database::openShared().ok());
    QCOMPARE(home->scalar(QStringLiteral("SELECT count(*) FROM department")).toInt(), 2);
}

void ShellTest::escapeEndsOnlyFromConfirm()
{
    login w;
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    QSignalSpy spy(&w, &login::exitRequested);
    auto* user = w.findChild<QLineEdit*>(QStringLiteral("Tuser"));
    auto* pass = w.findChild<QLineEdit*>(QStringLiteral("tpasswd"));
    auto* ok = w.findChild<QPushButton*>(QStringLiteral("Cmdok"));
    user->setFocus();
    QTest::keyClick(user, Qt::Key_Escape);
    QCOMPARE(spy.count(), 0);
    QVERIFY(w.isVisible());
    // Enter moves from the name to the password and on to the button.
    QTest::keyClick(user, Qt::Key_Return);
    QVERIFY(pass->hasFocus());
    QTest::keyClick(pass, Qt::Key_Escape);
    QCOMPARE(spy.count(), 0);
    QTest::keyClick(pass, Qt::Key_Return);
    QVERIFY(ok->hasFocus());
    QVERIFY(prompts->shown.isEmpty());
    QTest::keyClick(ok, Qt::Key_Escape);
    QCOMPARE(spy.count(), 1);
    w.findChild<QPushButton*>(QStringLiteral("cmdexit"))->click();
    QCOMPARE(spy.count(), 2);
}

void ShellTest::toolsOpenTheirWindows()
{
    menu m;
    m.load();
    m.show();
    QList<Tools::Tool> tools = Tools::all();
    tools += Tools::heads();
    int opened = 0;
    for (const Tools::Tool& t : tools) {
        if (!ToolWindows::has(t.id))
            continue;
        if (t.id == Tools::kMonitor) {
            // Without controllers the menu keeps the monitor shut (its
            // window is tried against the simulator in its own tests).
            prompts->clear();
            m.triggerTool(t.id);
            QVERIFY(!m.openWindow(t.id));
            QCOMPARE(prompts->texts(), QStringList{QStringLiteral("请先设置门号地址！")});
            continue;
        }
        m.triggerTool(t.id);
        QPointer<QWidget> w = m.openWindow(t.id);
        QVERIFY2(w, qPrintable(t.caption));
        QVERIFY(w->isWindow());
        QCOMPARE(w->windowModality(), t.shown == Tools::Shown::Modal ? Qt::ApplicationModal : Qt::NonModal);
        if (t.shown == Tools::Shown::Modeless) {
            // A second click shows the same window again.
            m.triggerTool(t.id);
            QCOMPARE(m.openWindow(t.id), w.data());
        }
        w->close();
        QTRY_VERIFY(w.isNull());
        ++opened;
    }
    QVERIFY(opened >= 6);
    // A tool switched off by a right opens nothing.
    m.setToolEnabled(10, false);
    m.triggerTool(10);
    QVERIFY(!m.openWindow(10));
    m.hide();
}

void ShellTest::specialCheckLeadsToRemoteOpening()
{
    // No controller line here: the port names a device that is not there.
    QFile::link(QStringLiteral("/nonexistent/tty"), home->file(QStringLiteral("com1")));
    menu m;
    m.load();
    m.show();
    auto passCheck = [&m] {
        m.triggerTool(Tools::kSpecial);
        QPointer<QWidget> check = m.openWindow(Tools::kSpecial);
        QVERIFY(check);
        check->findChild<QLineEdit*>(QStringLiteral("Tuser"))->setText(QStringLiteral("quorvy"));
        check->findChild<QLineEdit*>(QStringLiteral("Tpasswd"))->setText(QStringLiteral("quorvy"));
        check->findChild<QPushButton*>(QStringLiteral("Cok"))->click();
        QTRY_VERIFY(!check || !check->isVisible());
    };
    passCheck();
    QPointer<QWidget> remote = m.findChild<QWidget*>(QStringLiteral("Frmspe"));
    QVERIFY(remote);
    QVERIFY(remote->isVisible());
    QCOMPARE(remote->windowModality(), Qt::NonModal);
    // Passing the check again shows the same window, with its one port.
    remote->hide();
    passCheck();
    QCOMPARE(m.findChildren<QWidget*>(QStringLiteral("Frmspe")).size(), 1);
    QVERIFY(remote && remote->isVisible());
    // A restore closes it with the other modeless windows.
    m.triggerTool(15);
    QPointer<QWidget> departments = m.openWindow(15);
    QVERIFY(departments);
    QVERIFY(BackupRestore::modelessWindowsOpen());
    BackupRestore::closeModelessWindows();
    QTRY_VERIFY(remote.isNull());
    QTRY_VERIFY(departments.isNull());
    QVERIFY(!BackupRestore::modelessWindowsOpen());
    m.hide();
}

void ShellTest::aboutLeadsToHardwareInformation()
{
    QFile::link(QStringLiteral("/nonexistent/tty"), home->file(QStringLiteral("com1")));
    menu m;
    m.load();
    m.show();
    m.triggerTool(Tools::kAbout);
    QPointer<QWidget> about = m.openWindow(Tools::kAbout);
    QVERIFY(about);
    auto* hardware = about->findChild<QPushButton*>(QStringLiteral("Command1"));
    QVERIFY(hardware->isEnabled());
    hardware->click();
    QTRY_VERIFY(about.isNull());
    QPointer<QWidget> info = m.findChild<QWidget*>(QStringLiteral("FrmSysInf"));
    QVERIFY(info);
    QCOMPARE(info->windowModality(), Qt::ApplicationModal);
    info->close();
    QTRY_VERIFY(info.isNull());
    m.hide();
}

QTEST_MAIN(ShellTest)
#include "tst_shell.moc"
