#include "app/LoginForm.h"

#include "app/MainWindow.h"
#include "ui/BoxNames.h"
#include "ui/InputFilters.h"

#include <QGridLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

LoginForm::LoginForm(const QString& objectName, const Captions& c, QWidget* parent) : QDialog(parent)
{
    setObjectName(objectName);
    setWindowTitle(c.window);

    auto* banner = new QLabel(c.banner, this);
    banner->setAlignment(Qt::AlignCenter);
    banner->setStyleSheet(QStringLiteral("font-size: 22px; color: #1d4e89; padding: 8px;"));

    Tuser = new QLineEdit(this);
    Tuser->setObjectName(QStringLiteral("Tuser"));
    tpasswd = new QLineEdit(this);
    tpasswd->setObjectName(QStringLiteral("tpasswd"));
    tpasswd->setEchoMode(QLineEdit::Password);
    tpasswd->setStyleSheet(QStringLiteral("lineedit-password-character: 42"));
    Cmdok = new QPushButton(c.ok, this);
    Cmdok->setObjectName(QStringLiteral("Cmdok"));
    cmdexit = new QPushButton(c.exit, this);
    cmdexit->setObjectName(QStringLiteral("cmdexit"));
    // Enter on a button presses that button, not a default one.
    Cmdok->setAutoDefault(true);
    cmdexit->setAutoDefault(true);

    auto* grid = new QGridLayout(this);
    grid->addWidget(banner, 0, 0, 1, 3);
    auto* userLabel = new QLabel(QStringLiteral("用户名:"), this);
    userLabel->setBuddy(Tuser);
    grid->addWidget(userLabel, 1, 0);
    grid->addWidget(Tuser, 1, 1, 1, 2);
    auto* passwordLabel = new QLabel(c.passwordLabel, this);
    passwordLabel->setBuddy(tpasswd);
    grid->addWidget(passwordLabel, 2, 0);
    grid->addWidget(tpasswd, 2, 1, 1, 2);
    grid->addWidget(Cmdok, 3, 1);
    grid->addWidget(cmdexit, 3, 2);
    grid->addWidget(new QLabel(c.note, this), 4, 0, 1, 3);
    setTabOrder(Tuser, tpasswd);
    setTabOrder(tpasswd, Cmdok);
    setTabOrder(Cmdok, cmdexit);
    resize(380, 220);

    InputFilters::enterMovesOn(Tuser);
    InputFilters::enterMovesOn(tpasswd);
    connect(Cmdok, &QPushButton::clicked, this, [this] { check(); });
    connect(cmdexit, &QPushButton::clicked, this, &LoginForm::exitRequested);
    BoxNames::fromLabels(this);
}

void LoginForm::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    Tuser->setFocus(Qt::OtherFocusReason);
}

void LoginForm::keyPressEvent(QKeyEvent* event)
{
    // A dialog would close itself on Escape; here it does nothing, except
    // on the confirm button, where it ends the program.
    if (event->key() == Qt::Key_Escape) {
        if (focusWidget() == Cmdok)
            emit exitRequested();
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

void LoginForm::openMainWindow(const std::function<void(menu*)>& prepare)
{
    main_ = new menu();
    main_->load();
    if (prepare)
        prepare(main_);
    emit loggedIn(main_);
    main_->show();
    close();
}
