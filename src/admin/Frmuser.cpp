#include "admin/Frmuser.h"

#include "admin/LegacyOperators.h"

#include "session/Session.h"
#include "ui/Prompter.h"
#include "ui/TypedInput.h"

#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>


Frmuser::Frmuser(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("Frmuser"));
    setWindowTitle(QStringLiteral("用户维护"));
    Cuser = new QComboBox(this);
    Cuser->setObjectName(QStringLiteral("Cuser"));
    TypedInput::atMost(Cuser, 11);
    Tpasswd = new QLineEdit(this);
    Tpasswd->setObjectName(QStringLiteral("Tpasswd"));
    Tpasswd->setEchoMode(QLineEdit::Password);
    Tpasswd->setStyleSheet(QStringLiteral("lineedit-password-character: 42"));
    oqx0 = new QRadioButton(QStringLiteral("系统维护员"), this);
    oqx0->setObjectName(QStringLiteral("oqx0"));
    oqx2 = new QRadioButton(QStringLiteral("一般用户"), this);
    oqx2->setObjectName(QStringLiteral("oqx2"));
    Cmdadd = new QPushButton(QStringLiteral("添加(&A)"), this);
    Cmdadd->setObjectName(QStringLiteral("Cmdadd"));
    Cmdch = new QPushButton(QStringLiteral("修改(&C)"), this);
    Cmdch->setObjectName(QStringLiteral("Cmdch"));
    cmddel = new QPushButton(QStringLiteral("删除(&D)"), this);
    cmddel->setObjectName(QStringLiteral("cmddel"));
    Cmdexit = new QPushButton(QStringLiteral("退出(&X)"), this);
    Cmdexit->setObjectName(QStringLiteral("Cmdexit"));

    auto* grid = new QGridLayout(this);
    const QString captions[2] = {QStringLiteral("用户名:"), QStringLiteral("口令:")};
    QWidget* boxes[2] = {Cuser, Tpasswd};
    for (int row = 0; row < 2; ++row) {
        auto* caption = new QLabel(captions[row], this);
        caption->setBuddy(boxes[row]);
        grid->addWidget(caption, row, 0);
        grid->addWidget(boxes[row], row, 1, 1, 3);
    }
    grid->addWidget(oqx0, 2, 1);
    grid->addWidget(oqx2, 2, 2);
    grid->addWidget(Cmdadd, 3, 0);
    grid->addWidget(Cmdch, 3, 1);
    grid->addWidget(cmddel, 3, 2);
    grid->addWidget(Cmdexit, 3, 3);

    refill();
    Cuser->setCurrentIndex(-1);
    connect(Cuser, &QComboBox::currentTextChanged, this, &Frmuser::nameChosen);
    connect(Cmdadd, &QPushButton::clicked, this, &Frmuser::add);
    connect(Cmdch, &QPushButton::clicked, this, &Frmuser::modify);
    connect(cmddel, &QPushButton::clicked, this, &Frmuser::remove);
    connect(Cmdexit, &QPushButton::clicked, this, &QDialog::close);
}

void Frmuser::refill()
{
    const QSignalBlocker block(Cuser);
    Cuser->clear();
    Cuser->addItems(LegacyOperators::names(Session::db()));
}

void Frmuser::nameChosen(const QString& name)
{
    // The stored password is a digest and is never shown.
    Tpasswd->clear();
    if (const auto row = LegacyOperators::find(Session::db(), name)) {
        if (row->level == 1)
            oqx0->setChecked(true);
        else
            oqx2->setChecked(true);
    }
}

int Frmuser::chosenLevel() const
{
    return oqx0->isChecked() ? 1 : oqx2->isChecked() ? 3 : 0;
}

bool Frmuser::checkInput(bool adding)
{
    if (Cuser->currentText().trimmed().isEmpty()) {
        Prompt::inform(this, QStringLiteral("请输入用户名!"));
        return false;
    }
    if (Tpasswd->text().isEmpty() && adding &&
        !Prompt::confirm(this, QStringLiteral("确信不要口令吗?"), QString(), Prompter::Icon::None))
        return false;
    if (Tpasswd->text().size() > 10) {
        Prompt::inform(this, QStringLiteral("口令长度应小于等于10!"));
        return false;
    }
    if (chosenLevel() == 0) {
        Prompt::inform(this, QStringLiteral("请选择权限!"));
        return false;
    }
    return true;
}

void Frmuser::add()
{
    if (!checkInput(true))
        return;
    const QString name = Cuser->currentText().trimmed();
    if (LegacyOperators::find(Session::db(), name)) {
        Prompt::inform(this, QStringLiteral("用户已存在,不能添加!"));
        return;
    }
    if (!LegacyOperators::add(Session::db(), name, Tpasswd->text(), chosenLevel())) {
        Prompt::exclaim(this, QStringLiteral("添加失败，数据库没有改动。"));
        return;
    }
    refill();
    Cuser->setCurrentText(name);
    Prompt::inform(this, QStringLiteral("恭喜！添加成功！"));
}

void Frmuser::modify()
{
    if (!checkInput(false))
        return;
    const QString name = Cuser->currentText().trimmed();
    if (!LegacyOperators::find(Session::db(), name)) {
        Prompt::inform(this, QStringLiteral("无此用户"));
        return;
    }
    if (!Prompt::confirm(this, QStringLiteral("确信要修改吗?"), QString(), Prompter::Icon::None))
        return;
    if (!LegacyOperators::modify(Session::db(), name, Tpasswd->text(), chosenLevel())) {
        Prompt::exclaim(this, QStringLiteral("修改失败，数据库没有改动。"));
        return;
    }
    Prompt::inform(this, QStringLiteral("修改完毕"));
}

void Frmuser::remove()
{
    const QString name = Cuser->currentText().trimmed();
    if (name.isEmpty()) {
        Prompt::inform(this, QStringLiteral("请输入用户名!"));
        return;
    }
    if (!LegacyOperators::find(Session::db(), name)) {
        Prompt::inform(this, QStringLiteral("无此用户"));
        return;
    }
    if (!Prompt::confirm(this, QStringLiteral("确信要删除吗?"), QString(), Prompter::Icon::None))
        return;
    if (!LegacyOperators::remove(Session::db(), name)) {
        Prompt::exclaim(this, QStringLiteral("删除失败，数据库没有改动。"));
        return;
    }
    refill();
    Cuser->setCurrentIndex(-1);
    Tpasswd->clear();
    Prompt::inform(this, QStringLiteral("此用户已被删除"));
}
