#include "app/LoginWindow.h"
#include "app/MainWindow.h"
#include "session/Session.h"
#include "db/Database.h"
#include "db/ProgramFolder.h"
#include "ui/FileDialogs.h"
#include "ui/Prompter.h"
#include "ui/WorkProgress.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QFontDatabase>
#include <QLibraryInfo>
#include <QLocale>
#include <QLockFile>
#include <QTimer>
#include <QTranslator>

#include <chrono>
#include <cstdio>
#include <memory>

namespace {

void useChinese(QApplication& app)
{
    QLocale::setDefault(QLocale(QLocale::Chinese, QLocale::China));
    // Qt's own texts (确定, 取消, 是, 否) come from Qt's Chinese translation.
    auto* qt = new QTranslator(&app);
    if (qt->load(QLocale(QLocale::Chinese, QLocale::China), QStringLiteral("qtbase"), QStringLiteral("_"),
                 QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        app.installTranslator(qt);
    const QStringList families = QFontDatabase::families();
    for (const QString& f : {QStringLiteral("WenQuanYi Zen Hei"), QStringLiteral("Noto Sans CJK SC"),
                             QStringLiteral("Microsoft YaHei"), QStringLiteral("SimSun")}) {
        if (families.contains(f)) {
            QFont font(f);
            font.setPointSize(10);
            app.setFont(font);
            break;
        }
    }
}

// Tells why the program does not start. The words go to the error output
// too, and the box closes by itself after a while, so that a start nobody
// watches (at log-in, from a script) still ends.
void informAndEnd(const QString& text)
{
    std::fprintf(stderr, "%s\n", text.toUtf8().constData());
    // Without a screen (offscreen, minimal) a box could only wait unseen.
    const QString platform = QGuiApplication::platformName();
    if (platform == QLatin1String("offscreen") || platform == QLatin1String("minimal"))
        return;
    QTimer::singleShot(std::chrono::seconds(10), qApp, [] {
        if (QWidget* box = QApplication::activeModalWidget())
            box->close();
    });
    Prompt::inform(nullptr, text, Prompter::Icon::Critical);
}

}  // namespace

int main(int argc, char* argv[])
{
    ProgramFolder::restrictNewFiles();
    // Qt's own dialogs where Qt opens one itself (the print dialog's file
    // chooser): a desktop's native dialog would look into door.db.
    QApplication::setAttribute(Qt::AA_DontUseNativeDialogs);
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("door"));
    QApplication::setApplicationDisplayName(Prompter::applicationTitle());
    useChinese(app);

    ProgramFolder::set(ProgramFolder::choose(QApplication::arguments()));
    // One program per folder: two would both own the serial line, both
    // collect on schedule and both compact the database at close. The lock
    // of a program that was killed names a process that is gone, and is
    // taken over; a running program's lock never grows stale with age.
    QLockFile running(ProgramFolder::file(QLatin1String(ProgramFolder::kLock)));
    running.setStaleLockTime(0);
    if (!running.tryLock(0)) {
        const QString text = running.error() == QLockFile::LockFailedError
                                 ? QStringLiteral("门禁管理系统已经在这个文件夹中运行，不能再启动一次。\n%1")
                                 : QStringLiteral("文件夹 %1 不能写入，无法建立锁文件，程序不能运行。数据库没有被改动。");
        informAndEnd(text.arg(QDir::toNativeSeparators(ProgramFolder::path())));
        return 1;
    }
    // Qt opens some dialogs by itself in the current folder (the print
    // dialog's file chooser); turned to the program folder, one would open
    // door.db to guess its type. Nothing of ours reads the current folder.
    const QString here = QFileInfo(ProgramFolder::path()).canonicalFilePath();
    for (const QString& away : {FileDialogs::startFolder(), QDir::homePath(), QDir::tempPath()}) {
        if (QFileInfo(away).canonicalFilePath() != here && QDir::setCurrent(away))
            break;
    }
    // Names another tool wrote get their sort keys first: seconds for a
    // few hundred thousand, with a bar on screen.
    const Database::OpenResult opened = [] {
        WorkProgress sorting(nullptr, QStringLiteral("正在整理人员姓名的排序，请稍候……"));
        return Database::openShared(sorting.sink());
    }();
    if (!opened.ok()) {
        informAndEnd(Database::openMessage(opened, Database::livePath()));
        return 1;
    }
    Session::ConnectStr = Database::livePath();

    std::unique_ptr<menu> main;
    auto* window = new login();
    window->setAttribute(Qt::WA_DeleteOnClose);
    QObject::connect(window, &login::loggedIn, [&main](menu* m) {
        main.reset(m);
        QObject::connect(m, &menu::exitRequested, [] { QCoreApplication::exit(0); });
    });
    QObject::connect(window, &login::exitRequested, [] { QCoreApplication::exit(0); });
    window->show();
    const int rc = app.exec();
    // The exit tool and the login's exit end the run at once; the data is
    // already committed, and the connection is released as the process ends.
    main.release();
    return rc;
}
