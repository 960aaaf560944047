#include "app/StartWindow.h"

#include "admin/LegacyOperators.h"
#include "session/Session.h"
#include "ui/Prompter.h"

#include <QLineEdit>

start::start(QWidget* parent)
    : LoginForm(QStringLiteral("start"),
                {QStringLiteral("门禁系统"), QStringLiteral("门禁管理系统"), QStringLiteral("口令:"),
                 QStringLiteral("确认(&O)"), QStringLiteral("退出(&X)"),
                 QStringLiteral("注： 用户名不能超过10个字符，口令不超过10个字符")},
                parent)
{
}

void start::CheckUser()
{
    const auto level = LegacyOperators::check(Session::db(), Tuser->text(), tpasswd->text());
    if (!level) {
        Prompt::exclaim(this, QStringLiteral("用户名或口令有错,请重输"));
        return;
    }
    // This layout has no rights: the menu is shown as it is and no
    // operator name is kept.
    Session::UserLevel = static_cast<qint16>(*level);
    openMainWindow({});
}
