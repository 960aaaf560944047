#include "app/LoginWindow.h"

#include "admin/Operators.h"
#include "app/MainWindow.h"
#include "app/Tools.h"
#include "session/Session.h"
#include "ui/Prompter.h"

#include <QCloseEvent>
#include <QLineEdit>

login::login(QWidget* parent)
    : LoginForm(QStringLiteral("login"),
                {QStringLiteral("login           门禁管理系统"), QStringLiteral("门禁管理系统"), QStringLiteral("口  令:"),
                 QStringLiteral("确 认"), QStringLiteral(" 退 出 "), QStringLiteral("注： 用户名和口令不能超过10个字符")},
                parent)
{
}

void login::closeEvent(QCloseEvent* event)
{
    // Closing the login window without logging in ends the program.
    if (!mainWindow())
        emit exitRequested();
    LoginForm::closeEvent(event);
}

void login::CheckLogin()
{
    const auto op = Operators::authenticate(Session::db(), Tuser->text(), tpasswd->text());
    if (!op) {
        Prompt::exclaim(this, QStringLiteral("用户名或口令有错,请重输"));
        Tuser->setFocus(Qt::OtherFocusReason);
        return;
    }
    Session::CurrentUser = op->name;
    Session::UserLevel = 1;
    openMainWindow([&op](menu* main) {
        for (int n = 0; n < int(op->rights.size()); ++n)
            main->setToolEnabled(Tools::toolForRight(n), op->rights[n]);
    });
}
