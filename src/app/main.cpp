#include "app/LoginWindow.h"
#include "app/MainWindow.h"
#include "session/Session.h"
#include "db/Database.h"
#include "db/ProgramFolder.h"
#include "ui/Prompter.h"

#include <QApplication>
#include <QFontDatabase>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

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

}  // namespace

int main(int argc, char* argv[])
{
    ProgramFolder::restrictNewFiles();
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("door"));
    QApplication::setApplicationDisplayName(Prompter::applicationTitle());
    useChinese(app);

    ProgramFolder::set(ProgramFolder::choose(QApplication::arguments()));
    const Database::OpenResult opened = Database::openShared();
    if (!opened.ok()) {
        const QString file = Database::livePath();
        const QString text = opened.status == Database::OpenStatus::NotDoorDatabase
                                 ? QStringLiteral("%1 不是门禁系统的数据库，程序不能运行。\n该文件没有被改动。\n\n%2")
                                 : QStringLiteral("无法打开数据库 %1，程序不能运行。\n\n%2");
        Prompt::inform(nullptr, text.arg(file, opened.detail), Prompter::Icon::Critical);
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
