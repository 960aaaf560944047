#include "admin/RemoteOpeningCheck.h"

#include "admin/Operators.h"
#include "session/Session.h"
#include "ui/BoxNames.h"
#include "ui/InputFilters.h"
#include "ui/Prompter.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

Frmspecial::Frmspecial(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("Frmspecial"));
    setWindowTitle(QStringLiteral("特殊情况处理"));

    auto* frame = new QGroupBox(this);
    Tuser = new QLineEdit(frame);
    Tuser->setObjectName(QStringLiteral("Tuser"));
    Tpasswd = new QLineEdit(frame);
    Tpasswd->setObjectName(QStringLiteral("Tpasswd"));
    Tpasswd->setEchoMode(QLineEdit::Password);
    InputFilters::enterMovesOn(Tuser);
    InputFilters::enterMovesOn(Tpasswd);

    auto* picture = new QLabel(frame);
    picture->setPixmap(style()->standardIcon(QStyle::SP_MessageBoxWarning).pixmap(48, 48));

    auto* fields = new QGridLayout;
    auto* userLabel = new QLabel(QStringLiteral("超级用户："), frame);
    userLabel->setBuddy(Tuser);
    fields->addWidget(userLabel, 0, 0);
    fields->addWidget(Tuser, 0, 1);
    auto* passwordLabel = new QLabel(QStringLiteral("口令："), frame);
    passwordLabel->setBuddy(Tpasswd);
    fields->addWidget(passwordLabel, 1, 0);
    fields->addWidget(Tpasswd, 1, 1);
    auto* inFrame = new QHBoxLayout(frame);
    inFrame->addWidget(picture, 0, Qt::AlignTop);
    inFrame->addLayout(fields, 1);

    Cok = new QPushButton(QStringLiteral("确  认"), this);
    Cok->setObjectName(QStringLiteral("Cok"));
    Cexit = new QPushButton(QStringLiteral("返  回"), this);
    Cexit->setObjectName(QStringLiteral("Cexit"));
    // Enter in the boxes moves on; Enter on a button presses it.
    for (QPushButton* b : {Cok, Cexit})
        b->setAutoDefault(true);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(Cok);
    buttons->addWidget(Cexit);
    buttons->addStretch(1);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(frame);
    layout->addLayout(buttons);
    setMinimumWidth(320);

    connect(Cok, &QPushButton::clicked, this, &Frmspecial::check);
    connect(Cexit, &QPushButton::clicked, this, &QDialog::reject);
    BoxNames::fromLabels(this);
}

void Frmspecial::check()
{
    if (!Operators::maySpecialOperate(Session::db(), Tuser->text(), Tpasswd->text())) {
        Prompt::exclaim(this, QStringLiteral("用户或口令错或不具备该操作的权限"));
        return;
    }
    accept();
    emit checkPassed();
    if (openRemoteOpening)
        openRemoteOpening();
}
