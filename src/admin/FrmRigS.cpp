#include "admin/FrmRigS.h"

#include "ui/TypedInput.h"
#include "admin/Operators.h"
#include "admin/RightsTable.h"
#include "session/Session.h"
#include "ui/InputFilters.h"
#include "ui/Prompter.h"
#include "ui/Buttons.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

namespace {

const QString kSelectAll = QStringLiteral("全选");
const QString kSelectNone = QStringLiteral("全空");
const QString kLastManager = QStringLiteral("这是最后一个可以管理用户及权限的用户，");

}  // namespace

FrmRigS::FrmRigS(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("FrmRigS"));
    setWindowTitle(QStringLiteral("用户设置及权限"));

    SSTab1 = new QTabWidget(this);
    SSTab1->setObjectName(QStringLiteral("SSTab1"));
    auto* accounts = new QWidget;
    auto* rights = new QWidget;
    SSTab1->addTab(accounts, QStringLiteral("用户设置"));
    SSTab1->addTab(rights, QStringLiteral("用户权限"));
    buildAccountsTab(accounts);
    buildRightsTab(rights);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(SSTab1);

    fillList();

    // The logged-in operator's own flags decide, once, what this window
    // allows. An operator whose row cannot be found is granted nothing.
    const std::optional<Operators::Operator> me = Operators::find(Session::db(), Session::CurrentUser);
    const bool mayChange = me && me->usersetting;
    const bool mayGrant = me && me->usermanage;
    Command4->setEnabled(mayChange);
    Command6->setEnabled(mayChange);
    Command7->setEnabled(mayChange);
    Command1->setEnabled(mayGrant);
}

void FrmRigS::buildAccountsTab(QWidget* tab)
{
    List1 = new QListWidget(tab);
    List1->setObjectName(QStringLiteral("List1"));
    List1->setMinimumWidth(150);

    Text1 = new QLineEdit(tab);
    Text1->setObjectName(QStringLiteral("Text1"));
    TypedInput::storedText(Text1);
    Text2 = new QLineEdit(tab);
    Text2->setObjectName(QStringLiteral("Text2"));
    Text2->setEchoMode(QLineEdit::Password);
    InputFilters::enterMovesOn(Text1);
    InputFilters::enterMovesOn(Text2);
    Che1 = new QCheckBox(QStringLiteral("设置用户"), tab);
    Che1->setObjectName(QStringLiteral("Che1"));
    Che2 = new QCheckBox(QStringLiteral("管理用户权限"), tab);
    Che2->setObjectName(QStringLiteral("Che2"));

    Command6 = Buttons::make(tab, "Command6", QStringLiteral("添加"));
    Command4 = Buttons::make(tab, "Command4", QStringLiteral("修改"));
    Command7 = Buttons::make(tab, "Command7", QStringLiteral("删除"));
    Command5 = Buttons::make(tab, "Command5", QStringLiteral("退出"));

    auto* fields = new QGridLayout;
    const QString captions[2] = {QStringLiteral("用户名称："), QStringLiteral("用户密码：")};
    QLineEdit* boxes[2] = {Text1, Text2};
    for (int row = 0; row < 2; ++row) {
        auto* caption = new QLabel(captions[row], tab);
        caption->setBuddy(boxes[row]);
        fields->addWidget(caption, row, 0);
        fields->addWidget(boxes[row], row, 1);
    }
    fields->addWidget(Che1, 2, 1);
    fields->addWidget(Che2, 3, 1);
    fields->setRowStretch(4, 1);

    auto* buttons = new QHBoxLayout;
    for (QPushButton* b : {Command6, Command4, Command7, Command5})
        buttons->addWidget(b);

    auto* right = new QVBoxLayout;
    right->addLayout(fields);
    right->addLayout(buttons);

    auto* layout = new QHBoxLayout(tab);
    layout->addWidget(List1);
    layout->addLayout(right, 1);

    connect(List1, &QListWidget::itemClicked, this, [this](QListWidgetItem* item) { Text1->setText(item->text()); });
    // Choosing with the keys counts as a click; the item that merely gets
    // the focus when the list does is not a choice.
    connect(List1, &QListWidget::itemSelectionChanged, this, [this] {
        const QList<QListWidgetItem*> chosen = List1->selectedItems();
        if (!refilling_ && !chosen.isEmpty())
            Text1->setText(chosen.first()->text());
    });
    connect(Text1, &QLineEdit::textChanged, this, &FrmRigS::loadAccount);
    connect(Command6, &QPushButton::clicked, this, &FrmRigS::addAccount);
    connect(Command4, &QPushButton::clicked, this, &FrmRigS::modifyAccount);
    connect(Command7, &QPushButton::clicked, this, &FrmRigS::deleteAccount);
    connect(Command5, &QPushButton::clicked, this, &QDialog::reject);
}

void FrmRigS::buildRightsTab(QWidget* tab)
{
    auto* grid = new QGridLayout;
    constexpr int kRows = 9;
    for (int i = 0; i < Operators::kRightCount; ++i) {
        Ch[i] = new QCheckBox(QString::fromUtf8(RightsTable::kRights[i].caption), tab);
        Ch[i]->setObjectName(QStringLiteral("Ch(%1)").arg(i));
        grid->addWidget(Ch[i], i % kRows, i / kRows);
    }
    Command1 = Buttons::make(tab, "Command1", QStringLiteral("确定"));
    Command3 = Buttons::make(tab, "Command3", kSelectAll);
    Command2 = Buttons::make(tab, "Command2", QStringLiteral("退出"));
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    for (QPushButton* b : {Command1, Command3, Command2})
        buttons->addWidget(b);
    auto* layout = new QVBoxLayout(tab);
    layout->addLayout(grid);
    layout->addStretch(1);
    layout->addLayout(buttons);

    connect(Command1, &QPushButton::clicked, this, &FrmRigS::saveRights);
    connect(Command3, &QPushButton::clicked, this, &FrmRigS::toggleAll);
    connect(Command2, &QPushButton::clicked, this, &QDialog::reject);
}

void FrmRigS::fillList()
{
    refilling_ = true;
    List1->clear();
    List1->addItems(Operators::names(Session::db()));
    refilling_ = false;
}

// Every change of the name shows the account of that name, or an empty
// form. The stored password is never shown: it is kept only as a digest.
void FrmRigS::loadAccount()
{
    Text2->clear();
    const std::optional<Operators::Operator> op = Operators::find(Session::db(), Text1->text());
    Che1->setChecked(op && op->usersetting);
    Che2->setChecked(op && op->usermanage);
    for (int i = 0; i < Operators::kRightCount; ++i)
        Ch[i]->setChecked(op && op->rights[i]);
}

void FrmRigS::addAccount()
{
    const Operators::AccountInput in{Text1->text(), Text2->text(), Che1->isChecked(), Che2->isChecked()};
    const Operators::Result r = Operators::add(Session::db(), in);
    switch (r.outcome) {
    case Operators::Outcome::Done: List1->addItem(in.name.trimmed()); break;
    case Operators::Outcome::Exists: Prompt::inform(this, QStringLiteral("该用户已经存在！")); break;
    case Operators::Outcome::Failed: showFailure(r.error); break;
    default: break;
    }
}

void FrmRigS::modifyAccount()
{
    const Operators::AccountInput in{Text1->text(), Text2->text(), Che1->isChecked(), Che2->isChecked()};
    const Operators::Result r = Operators::modify(Session::db(), in);
    switch (r.outcome) {
    case Operators::Outcome::Done: fillList(); break;
    case Operators::Outcome::NotFound: Prompt::inform(this, QStringLiteral("请先添加该用户！")); break;
    case Operators::Outcome::LastManager:
        Prompt::inform(this, kLastManager + QStringLiteral("不能取消其“设置用户”或“管理用户权限”！"));
        break;
    case Operators::Outcome::Failed: showFailure(r.error); break;
    default: break;
    }
}

void FrmRigS::deleteAccount()
{
    const Operators::Result r = Operators::remove(Session::db(), Text1->text(), Session::CurrentUser);
    switch (r.outcome) {
    case Operators::Outcome::Done:
        Text1->clear();
        Text2->clear();
        Che1->setChecked(false);
        Che2->setChecked(false);
        fillList();
        break;
    case Operators::Outcome::LoggedIn: Prompt::inform(this, QStringLiteral("不能删除正在使用系统的用户！")); break;
    case Operators::Outcome::LastManager: Prompt::inform(this, kLastManager + QStringLiteral("不能删除！")); break;
    case Operators::Outcome::Failed: showFailure(r.error); break;
    default: break;
    }
}

void FrmRigS::saveRights()
{
    Operators::Rights rights{};
    for (int i = 0; i < Operators::kRightCount; ++i)
        rights[i] = Ch[i]->isChecked();
    const Operators::Result r = Operators::saveRights(Session::db(), Text1->text(), rights);
    switch (r.outcome) {
    case Operators::Outcome::Done: Prompt::inform(this, QStringLiteral("保存完毕！")); break;
    case Operators::Outcome::NotFound:
    case Operators::Outcome::EmptyName: Prompt::inform(this, QStringLiteral("请先添加或选择用户！")); break;
    case Operators::Outcome::LastManager:
        Prompt::inform(this, kLastManager + QStringLiteral("不能取消其“用户及权限设置”权限！"));
        break;
    case Operators::Outcome::Failed: showFailure(r.error); break;
    default: break;
    }
}

void FrmRigS::toggleAll()
{
    const bool all = Command3->text() == kSelectAll;
    for (QCheckBox* box : Ch)
        box->setChecked(all);
    Command3->setText(all ? kSelectNone : kSelectAll);
}

void FrmRigS::showFailure(const QString& error)
{
    Prompt::databaseFailed(this, error);
}
