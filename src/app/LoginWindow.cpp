#include "app/LoginWindow.h"

#include "admin/Operators.h"
#include "app/MainWindow.h"
#include "app/Tools.h"
#include "app/session/Session.h"
#include "ui/InputFilters.h"
#include "ui/Prompter.h"

#include <QCloseEvent>
#include <QGridLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

login::login(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("login"));
    setWindowTitle(QStringLiteral("login           门禁管理系统"));

    auto* banner = new QLabel(QStringLiteral("门禁管理系统"), this);
    banner->setAlignment(Qt::AlignCenter);
    banner->setStyleSheet(QStringLiteral("font-size: 22px; color: #1d4e89; padding: 8px;"));

    Tuser = new QLineEdit(this);
    Tuser->setObjectName(QStringLiteral("Tuser"));
    tpasswd = new QLineEdit(this);
    tpasswd->setObjectName(QStringLiteral("tpasswd"));
    tpasswd->setEchoMode(QLineEdit::Password);
    tpasswd->setStyleSheet(QStringLiteral("lineedit-password-character: 42"));
    Cmdok = new QPushButton(QStringLiteral("确 认"), this);
    Cmdok->setObjectName(QStringLiteral("Cmdok"));
    cmdexit = new QPushButton(QStringLiteral(" 退 出 "), this);
    cmdexit->setObjectName(QStringLiteral("cmdexit"));
    // Enter on a button presses that button, not a default one.
    Cmdok->setAutoDefault(true);
    cmdexit->setAutoDefault(true);

    auto* grid = new QGridLayout(this);
    grid->addWidget(banner, 0, 0, 1, 3);
    grid->addWidget(new QLabel(QStringLiteral("用户名:"), this), 1, 0);
    grid->addWidget(Tuser, 1, 1, 1, 2);
    grid->addWidget(new QLabel(QStringLiteral("口  令:"), this), 2, 0);
    grid->addWidget(tpasswd, 2, 1, 1, 2);
    grid->addWidget(Cmdok, 3, 1);
    grid->addWidget(cmdexit, 3, 2);
    grid->addWidget(new QLabel(QStringLiteral("注： 用户名和口令不能超过10个字符"), this), 4, 0, 1, 3);
    setTabOrder(Tuser, tpasswd);
    setTabOrder(tpasswd, Cmdok);
    setTabOrder(Cmdok, cmdexit);
    resize(380, 220);

    InputFilters::enterMovesOn(Tuser);
    InputFilters::enterMovesOn(tpasswd);
    connect(Cmdok, &QPushButton::clicked, this, &login::CheckLogin);
    connect(cmdexit, &QPushButton::clicked, this, &login::exitRequested);
}

void login::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    Tuser->setFocus(Qt::OtherFocusReason);
}

void login::keyPressEvent(QKeyEvent* event)
{
    // Escape ends the program only from the confirm button; elsewhere it
    // does nothing (a dialog would otherwise close itself).
    if (event->key() == Qt::Key_Escape) {
        if (focusWidget() == Cmdok)
            emit exitRequested();
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

void login::closeEvent(QCloseEvent* event)
{
    // Closing the login window without logging in ends the program.
    if (!done_)
        emit exitRequested();
    QDialog::closeEvent(event);
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

    // The main window's loading, with its messages, runs while this window
    // is still on the screen.
    main_ = new menu();
    main_->load();
    for (int n = 0; n < int(op->rights.size()); ++n)
        main_->setToolEnabled(Tools::toolForRight(n), op->rights[n]);

    done_ = true;
    emit loggedIn(main_);
    main_->show();
    close();
}
