#include "app/MainWindow.h"

#include "admin/BackupRestore.h"
#include "admin/CollectSchedule.h"
#include "admin/RemoteOpeningCheck.h"
#include "admin/frmabout.h"
#include "app/ToolWindows.h"
#include "app/Tools.h"
#include "db/DoorAddresses.h"
#include "session/Session.h"
#include "db/Clock.h"
#include "db/Database.h"
#include "doors/FrmSysInf.h"
#include "doors/Frmspe.h"
#include "link/LinePort.h"
#include "link/PortName.h"
#include "records/FrmZDCJ.h"
#include "ui/BusyCursor.h"
#include "ui/LineDialog.h"
#include "ui/Prompter.h"
#include "ui/Resize.h"
#include "ui/WorkProgress.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDialog>
#include <QLabel>
#include <QLocale>
#include <QMenuBar>
#include <QMessageBox>
#include <QScreen>
#include <QShortcut>
#include <QStatusBar>
#include <QTextBrowser>
#include <QTimer>
#include <QVBoxLayout>

namespace {

std::optional<QSize> screenOverride;

QSize screenSize()
{
    if (screenOverride)
        return *screenOverride;
    const QScreen* s = QGuiApplication::primaryScreen();
    return s ? s->size() : QSize(800, 600);
}

QRect screenRect()
{
    if (screenOverride)
        return QRect(QPoint(0, 0), *screenOverride);
    const QScreen* s = QGuiApplication::primaryScreen();
    return s ? s->availableGeometry() : QRect(0, 0, 800, 600);
}

// The background of the main window: the system's name on a quiet field.
class Background : public QWidget {
public:
    explicit Background(QWidget* parent) : QWidget(parent)
    {
        setAutoFillBackground(true);
        setStyleSheet(QStringLiteral("background: qlineargradient(x1:0, y1:0, x2:1, y2:1, "
                                     "stop:0 #1d4e89, stop:1 #6fa8dc);"));
        auto* layout = new QVBoxLayout(this);
        title_ = new QLabel(this);
        title_->setAlignment(Qt::AlignCenter);
        title_->setStyleSheet(QStringLiteral("background: transparent; color: white; font-size: 40px;"));
        layout->addWidget(title_);
    }
    void setTitle(const QString& t) { title_->setText(t); }

private:
    QLabel* title_;
};

}  // namespace

// The help page is a resource of a static library: it must be registered
// by hand before the help window can find it.
static void registerHelp()
{
    Q_INIT_RESOURCE(help);
}

menu::menu(QWidget* parent) : QMainWindow(parent)
{
    registerHelp();
    setObjectName(QStringLiteral("menu"));
    setWindowTitle(QStringLiteral("门禁管理系统"));
    resize(800, 600);
    setCentralWidget(new Background(this));
    buildMenu();

    panel1_ = new QLabel(this);
    panel2_ = new QLabel(this);
    panel1_->setObjectName(QStringLiteral("panel1"));
    panel2_->setObjectName(QStringLiteral("panel2"));
    statusBar()->setObjectName(QStringLiteral("StatusBar1"));
    statusBar()->addWidget(panel1_);
    statusBar()->addWidget(panel2_);
    collectPanel_ = new QLabel(this);
    collectPanel_->setObjectName(QStringLiteral("collectPanel"));
    statusBar()->addWidget(collectPanel_, 1);

    // Windows drawn for a larger screen, the report preview among them.
    Resize::fitShownWindows(this);

    timer_ = new QTimer(this);
    timer_->setObjectName(QStringLiteral("Timer1"));
    timer_->setInterval(CollectionSchedule::kTickMs);
    connect(timer_, &QTimer::timeout, this, &menu::collectionTick);
    connect(&Session::events(), &SessionEvents::scheduleChanged, this, &menu::applySchedule);
    exitWait_ = new QTimer(this);
    exitWait_->setInterval(100);
    connect(exitWait_, &QTimer::timeout, this, &menu::exitWhenIdle);

    // A restore replaces the database under the windows that stay open
    // beside the menu: they are closed first.
    BackupRestore::closeModelessWindows = [this] { closeModelessWindows(); };
    BackupRestore::modelessWindowsOpen = [this] { return modelessWindowsOpen(); };
    // The About window leads to the hardware information, the special
    // check to the remote opening, which stays open beside the menu.
    frmabout::openHardwareInfo = [this] { present(new FrmSysInf(this), true); };
    Frmspecial::openRemoteOpening = [this] {
        // One remote-opening window, holding one port: passing the check
        // again shows the open one.
        for (const QPointer<QWidget>& open : extraModeless_) {
            if (qobject_cast<Frmspe*>(open.data())) {
                open->show();
                open->raise();
                open->activateWindow();
                return;
            }
        }
        QWidget* w = new Frmspe(this);
        extraModeless_.append(w);
        present(w, false);
    };

    auto* f1 = new QShortcut(QKeySequence(Qt::Key_F1), this);
    f1->setContext(Qt::WindowShortcut);
    connect(f1, &QShortcut::activated, this, &menu::showHelp);
}

menu::~menu()
{
    BackupRestore::closeModelessWindows = nullptr;
    BackupRestore::modelessWindowsOpen = nullptr;
    frmabout::openHardwareInfo = nullptr;
    Frmspecial::openRemoteOpening = nullptr;
}

void menu::closeModelessWindows()
{
    for (auto it = windows_.begin(); it != windows_.end(); ++it) {
        const Tools::Tool* t = Tools::byId(it.key());
        if (it.value() && t && t->shown == Tools::Shown::Modeless)
            it.value()->close();
    }
    for (QWidget* w : extraModeless_)
        if (w)
            w->close();
}

bool menu::modelessWindowsOpen() const
{
    for (auto it = windows_.begin(); it != windows_.end(); ++it) {
        const Tools::Tool* t = Tools::byId(it.key());
        if (it.value() && t && t->shown == Tools::Shown::Modeless && it.value()->isVisible())
            return true;
    }
    for (const QPointer<QWidget>& w : extraModeless_)
        if (w && w->isVisible())
            return true;
    return false;
}

void menu::buildMenu()
{
    QMenuBar* bar = menuBar();
    bar->setObjectName(QStringLiteral("ActiveBar1"));
    for (const Tools::Tool& head : Tools::heads()) {
        QAction* action = nullptr;
        if (head.shown != Tools::Shown::None) {
            // A menu-bar entry that acts by itself.
            action = bar->addAction(head.caption);
        } else {
            QMenu* drop = bar->addMenu(head.caption);
            drop->setObjectName(QStringLiteral("menu%1").arg(head.id));
            action = drop->menuAction();
            for (const Tools::Tool& t : Tools::all()) {
                if (t.head != head.id)
                    continue;
                QAction* a = drop->addAction(t.caption);
                a->setObjectName(QStringLiteral("tool%1").arg(t.id));
                actions_.insert(t.id, a);
                const int id = t.id;
                connect(a, &QAction::triggered, this, [this, id] { triggerTool(id); });
                if (t.id == Tools::kHelp)
                    a->setShortcut(QKeySequence(Qt::Key_F1));
                if (t.id == Tools::kExit)
                    drop->insertSeparator(a);
            }
        }
        action->setObjectName(QStringLiteral("tool%1").arg(head.id));
        actions_.insert(head.id, action);
        if (head.shown != Tools::Shown::None) {
            const int id = head.id;
            connect(action, &QAction::triggered, this, [this, id] { triggerTool(id); });
        }
    }
    // Until the login switches them, the right-governed tools are on as
    // far as the program has their windows.
    for (auto it = actions_.begin(); it != actions_.end(); ++it) {
        const Tools::Tool* t = Tools::byId(it.key());
        if (t && t->shown != Tools::Shown::None)
            setToolEnabled(t->id, true);
    }
    // The help key works whatever tool is switched on; the F1 shortcut of
    // the window handles it, the menu entry only shows the key.
    if (QAction* help = actions_.value(Tools::kHelp))
        help->setShortcutContext(Qt::WidgetShortcut);
}

void menu::setToolEnabled(int toolId, bool on)
{
    QAction* a = actions_.value(toolId);
    if (!a)
        return;
    allowed_[toolId] = on;
    const bool builtIn = toolId == Tools::kHelp || toolId == Tools::kExit;
    a->setEnabled(on && (builtIn || ToolWindows::has(toolId)));
}

QAction* menu::toolAction(int toolId) const
{
    return actions_.value(toolId);
}

QWidget* menu::openWindow(int toolId) const
{
    return windows_.value(toolId).data();
}

bool menu::needsDisplayModeHint(const QSize& screen)
{
    return screen.width() != 800 && screen.height() != 600;
}

void menu::setScreenSizeForTesting(std::optional<QSize> size)
{
    screenOverride = size;
}

QString menu::statusDate(const QDate& date)
{
    return QLocale(QLocale::Chinese, QLocale::China).toString(date, QStringLiteral("dddd,yyyy/MM/dd"));
}

void menu::load()
{
    QSqlDatabase db = Session::db();
    Session::loadSystemSettings(db);

    setWindowTitle(Session::TitlePrefix + QStringLiteral("门禁管理系统"));
    static_cast<Background*>(centralWidget())->setTitle(windowTitle());

    // The panels share the designed width, three quarters and one quarter.
    const int w = width();
    panel1_->setMinimumWidth(w * 3 / 4);
    panel2_->setMinimumWidth(w / 4);
    panel1_->setText(Session::TitlePrefix + QStringLiteral("门禁系统  2002.2."));
    panel2_->setText(statusDate(Clock::today()));

    if (needsDisplayModeHint(screenSize()))
        Prompt::inform(this, QStringLiteral("请您把显示模式设成[16位真彩]以上[800*600]"), Prompter::Icon::Exclamation,
                       QStringLiteral("为得到更好的效果"));

    setGeometry(screenRect());

    if (!Session::loadSchedule(db))
        Prompt::inform(this, QStringLiteral("请设置数据采集类型！"));
    applySchedule();
}

void menu::applySchedule()
{
    if (CollectSchedule::timerOn(Session::CollectType))
        timer_->start();
    else
        timer_->stop();
}

void menu::collectionTick()
{
    const bool open = !windows_.value(Tools::kAutoCollect).isNull();
    // Another window on the line would make every controller of the run
    // fail: the run waits for the line instead.
    const LineParams line = Session::lineParams();
    const bool held = LinePort::isHeld(PortName::device(line.portNo, line.programFolder));
    auto sayCollect = [this](const QString& text) {
        collectPanel_->setText(text);
        collectPanel_->setToolTip(text);
    };
    switch (schedule_.decide(Clock::now(), Session::CollectTime, open, held)) {
    case CollectionSchedule::Decision::Open: openTool(Tools::kAutoCollect); break;
    case CollectionSchedule::Decision::Waiting:
        sayCollect(QStringLiteral("自动采集：串口正被其他窗口使用,稍后重试"));
        break;
    case CollectionSchedule::Decision::GiveUp:
        sayCollect(QStringLiteral("自动采集 %1：串口被其他窗口占用十分钟,本次采集已放弃")
                       .arg(schedule_.scheduledMinute().toString(QStringLiteral("yyyy-MM-dd HH:mm"))));
        break;
    case CollectionSchedule::Decision::Missed:
        sayCollect(QStringLiteral("自动采集 %1：程序忙于其他工作十分钟以上,错过了采集时间,本次采集已放弃")
                       .arg(schedule_.scheduledMinute().toString(QStringLiteral("yyyy-MM-dd HH:mm"))));
        break;
    case CollectionSchedule::Decision::Nothing: break;
    }
}

void menu::showCollectOutcome(const QString& text, const QString& details)
{
    const QString at = QStringLiteral("自动采集 %1：").arg(Clock::now().toString(QStringLiteral("yyyy-MM-dd HH:mm")));
    collectPanel_->setText(at + text);
    // The panel cuts a run over many controllers: each one's outcome
    // stays readable on its own line.
    collectPanel_->setToolTip(at + QLatin1Char('\n') + details);
}

void menu::triggerTool(int toolId)
{
    if (toolId == Tools::kHelp) {
        showHelp();
        return;
    }
    if (toolId == Tools::kExit) {
        askExit();
        return;
    }
    QAction* a = actions_.value(toolId);
    if (!a || !a->isEnabled())
        return;
    if (toolId == Tools::kMonitor) {
        if (DoorAddresses::list(Session::db()).isEmpty()) {
            Prompt::inform(this, QStringLiteral("请先设置门号地址！"));
            return;
        }
        Session::MonitorFlag = 1;
    }
    openTool(toolId);
}

void menu::openTool(int toolId)
{
    const Tools::Tool* tool = Tools::byId(toolId);
    if (!tool)
        return;
    // A modeless window opened before is shown again.
    if (QWidget* existing = windows_.value(toolId)) {
        existing->show();
        existing->raise();
        existing->activateWindow();
        return;
    }
    QWidget* w = ToolWindows::create(toolId, this);
    if (!w)
        return;
    windows_.insert(toolId, w);
    if (auto* timed = qobject_cast<FrmZDCJ*>(w))
        connect(timed, &FrmZDCJ::runFinished, this, &menu::showCollectOutcome);
    present(w, tool->shown == Tools::Shown::Modal);
}

void menu::present(QWidget* w, bool modal)
{
    w->setWindowFlag(Qt::Window, true);
    w->setAttribute(Qt::WA_DeleteOnClose, true);
    if (modal)
        w->setWindowModality(Qt::ApplicationModal);
    w->show();
    w->raise();
    w->activateWindow();
}

void menu::showHelp()
{
    if (!help_) {
        auto* dialog = new QDialog(this);
        dialog->setObjectName(QStringLiteral("help"));
        dialog->setWindowTitle(QStringLiteral("帮助"));
        dialog->setAttribute(Qt::WA_DeleteOnClose, true);
        auto* browser = new QTextBrowser(dialog);
        browser->setObjectName(QStringLiteral("helpBrowser"));
        browser->setSource(QUrl(QStringLiteral("qrc:/help/door.html")));
        auto* layout = new QVBoxLayout(dialog);
        layout->addWidget(browser);
        dialog->resize(720, 560);
        help_ = dialog;
    }
    help_->show();
    help_->raise();
    help_->activateWindow();
}

void menu::askExit()
{
    if (exitWait_->isActive())
        return;
    if (!Prompt::confirm(this, QStringLiteral("您真要关闭门禁管理系统？"), QStringLiteral("门禁系统"),
                         Prompter::Icon::Question, false))
        return;
    // Ending now would cut a run on the line short: its controllers would
    // hold what nobody was told, and its boxes would close unanswered.
    if (!windowsAtWork()) {
        emit exitRequested();
        return;
    }
    timer_->stop();
    collectPanel_->setText(QStringLiteral("正在等待与门禁控制器的通信结束，结束后退出"));
    exitWait_->start();
}

bool menu::windowsAtWork() const
{
    for (QWidget* w : QApplication::topLevelWidgets()) {
        const auto* line = qobject_cast<const LineDialog*>(w);
        if ((line && line->working()) || (qobject_cast<const QMessageBox*>(w) && w->isVisible()))
            return true;
    }
    return false;
}

void menu::exitWhenIdle()
{
    if (windowsAtWork())
        return;
    exitWait_->stop();
    emit exitRequested();
}

void menu::closeOtherWindows()
{
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (w != this && w->isVisible())
            w->close();
    }
    for (auto& w : windows_) {
        if (w)
            w->close();
    }
}

void menu::closeEvent(QCloseEvent* event)
{
    // Modeless windows go first: after the compaction the shared
    // connection is closed and they must not use it.
    closeOtherWindows();
    // A window that refused to close is still at work (an exchange with a
    // controller waits): closing the connection under it would lose what
    // it is about to store. The menu stays until it has finished.
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (w != this && w->isVisible()) {
            event->ignore();
            return;
        }
    }
    timer_->stop();
    QString error;
    bool compacted = true;
    if (Database::sharedIsOpen()) {
        BusyCursor busy;
        WorkProgress progress(this, QStringLiteral("正在压缩数据库…"));
        compacted = Database::closeAndCompact(&error, progress.sink());
    }
    if (!compacted)
        Prompt::exclaim(this, QStringLiteral("数据库压缩失败，数据库保持原样。\n%1").arg(error));
    event->accept();
}
