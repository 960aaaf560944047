#include "app/StartWindow.h"

#include "admin/Frmuser.h"
#include "app/MainWindow.h"
#include "app/session/Session.h"
#include "ui/InputFilters.h"
#include "ui/Prompter.h"

#include <QGridLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

start::start(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("start"));
    setWindowTitle(QStringLiteral("门禁系统"));
    auto* title = new QLabel(QStringLiteral("门禁管理系统"), this);
    title->setAlignment(Qt::AlignCenter);
    Tuser = new QLineEdit(this);
    Tuser->setObjectName(QStringLiteral("Tuser"));
    tpasswd = new QLineEdit(this);
    tpasswd->setObjectName(QStringLiteral("tpasswd"));
    tpasswd->setEchoMode(QLineEdit::Password);
    tpasswd->setStyleSheet(QStringLiteral("lineedit-password-character: 42"));
    Cmdok = new QPushButton(QStringLiteral("确认(&O)"), this);
    Cmdok->setObjectName(QStringLiteral("Cmdok"));
    cmdexit = new QPushButton(QStringLiteral("退出(&X)"), this);
    cmdexit->setObjectName(QStringLiteral("cmdexit"));
    Cmdok->setAutoDefault(true);
    cmdexit->setAutoDefault(true);

    auto* grid = new QGridLayout(this);
    grid->addWidget(title, 0, 0, 1, 3);
    grid->addWidget(new QLabel(QStringLiteral("用户名:"), this), 1, 0);
    grid->addWidget(Tuser, 1, 1, 1, 2);
    grid->addWidget(new QLabel(QStringLiteral("口令:"), this), 2, 0);
    grid->addWidget(tpasswd, 2, 1, 1, 2);
    grid->addWidget(Cmdok, 3, 1);
    grid->addWidget(cmdexit, 3, 2);
    grid->addWidget(new QLabel(QStringLiteral("注： 用户名不能超过10个字符，口令不超过10个字符"), this), 4, 0, 1, 3);
    setTabOrder(Tuser, tpasswd);
    setTabOrder(tpasswd, Cmdok);
    setTabOrder(Cmdok, cmdexit);

    InputFilters::enterMovesOn(Tuser);
    InputFilters::enterMovesOn(tpasswd);
    connect(Cmdok, &QPushButton::clicked, this, &start::CheckUser);
    connect(cmdexit, &QPushButton::clicked, this, &start::exitRequested);
}

void start::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    Tuser->setFocus(Qt::OtherFocusReason);
}

void start::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Escape) {
        if (focusWidget() == Cmdok)
            emit exitRequested();
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
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
    main_ = new menu();
    main_->load();
    emit loggedIn(main_);
    main_->show();
    close();
}
