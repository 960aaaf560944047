#include "people/Frmbm.h"

#include "ui/TypedInput.h"
#include "session/Session.h"
#include "people/Departments.h"
#include "ui/InputFilters.h"
#include "ui/Prompter.h"
#include "ui/Buttons.h"

#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QStringList>

Frmbm::Frmbm(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("Frmbm"));
    setWindowTitle(QStringLiteral("大厦管理"));
    setWindowFlags(windowFlags() & ~Qt::WindowContextHelpButtonHint);
    setFixedSize(372, 292);

    frame1_ = new QGroupBox(this);
    frame1_->setObjectName(QStringLiteral("Frame1"));
    frame1_->setGeometry(10, 8, 220, 274);
    list1_ = new QListWidget(frame1_);
    list1_->setObjectName(QStringLiteral("List1"));
    list1_->setGeometry(8, 10, 204, 256);

    auto* caption = new QLabel(QStringLiteral("大厦名称:"), this);
    caption->setGeometry(244, 14, 118, 22);
    tbm_ = new QLineEdit(this);
    tbm_->setObjectName(QStringLiteral("Tbm"));
    tbm_->setGeometry(244, 38, 118, 24);
    TypedInput::storedText(tbm_);
    caption->setBuddy(tbm_);
    InputFilters::enterMovesOn(tbm_);

    cmdadd_ = Buttons::make(this, "cmdadd", QStringLiteral("添加"), QRect(262, 84, 84, 30));
    cmdch_ = Buttons::make(this, "Cmdch", QStringLiteral("修改"), QRect(262, 126, 84, 30));
    cmddel_ = Buttons::make(this, "Cmddel", QStringLiteral("删除"), QRect(262, 168, 84, 30));
    cmdexit_ = Buttons::make(this, "Cmdexit", QStringLiteral("退出"), QRect(262, 236, 84, 30));

    connect(list1_, &QListWidget::itemSelectionChanged, this, [this]() {
        if (QListWidgetItem* item = list1_->currentItem(); item && item->isSelected())
            tbm_->setText(item->text());
    });
    connect(cmdadd_, &QPushButton::clicked, this, &Frmbm::addDepartment);
    connect(cmdch_, &QPushButton::clicked, this, &Frmbm::renameDepartment);
    connect(cmddel_, &QPushButton::clicked, this, &Frmbm::deleteDepartment);
    connect(cmdexit_, &QPushButton::clicked, this, &QDialog::close);

    setTabOrder(tbm_, cmdadd_);
    setTabOrder(cmdadd_, cmdch_);
    setTabOrder(cmdch_, cmddel_);
    setTabOrder(cmddel_, cmdexit_);
    setTabOrder(cmdexit_, list1_);

    fillList();
}

QSqlDatabase Frmbm::db()
{
    return Session::db();
}

bool Frmbm::databaseReady()
{
    if (db().isOpen())
        return true;
    Prompt::exclaim(this, QStringLiteral("数据库没有打开，无法操作。"));
    return false;
}

void Frmbm::fillList()
{
    list1_->clear();
    list1_->addItems(Departments::list(db()));
}

QString Frmbm::selectedName() const
{
    const QList<QListWidgetItem*> chosen = list1_->selectedItems();
    return chosen.isEmpty() ? QString() : chosen.first()->text().trimmed();
}

void Frmbm::reportFailure(const QString& error)
{
    Prompt::databaseFailed(this, error);
}

void Frmbm::addDepartment()
{
    if (!databaseReady())
        return;
    const Departments::Result r = Departments::add(db(), tbm_->text());
    switch (r.outcome) {
    case Departments::Outcome::EmptyName:
        Prompt::exclaim(this, QStringLiteral("请输入部门"));
        return;
    case Departments::Outcome::Exists: Prompt::inform(this, QStringLiteral("该部门已存在")); break;
    case Departments::Outcome::Failed: reportFailure(r.error); break;
    default: fillList(); break;
    }
    tbm_->setFocus();
}

void Frmbm::renameDepartment()
{
    if (!databaseReady())
        return;
    if (list1_->selectedItems().isEmpty()) {
        Prompt::inform(this, QStringLiteral("请选择要修改的部门"));
        return;
    }
    const Departments::Result r = Departments::rename(db(), selectedName(), tbm_->text());
    switch (r.outcome) {
    case Departments::Outcome::EmptyName: Prompt::exclaim(this, QStringLiteral("请输入部门")); break;
    case Departments::Outcome::Exists: Prompt::inform(this, QStringLiteral("该部门已存在")); break;
    case Departments::Outcome::Failed: reportFailure(r.error); break;
    default: fillList(); break;
    }
}

void Frmbm::deleteDepartment()
{
    if (!databaseReady())
        return;
    if (list1_->selectedItems().isEmpty()) {
        Prompt::inform(this, QStringLiteral("请选择要删除的部门"));
        return;
    }
    const QString name = selectedName();
    if (Departments::exists(db(), name)) {
        const bool withPeople =
            Prompt::ask(this, QStringLiteral("是否要同时删除该部门的所有人员？"), Prompter::Buttons::YesNo,
                        Prompter::Icon::None, QStringLiteral("提示")) == Prompter::Answer::Yes;
        if (!withPeople)
            Prompt::inform(this, QStringLiteral("没有删除该部门的人员！"));
        const Departments::Removal r = Departments::remove(db(), name, withPeople);
        if (r.outcome == Departments::Outcome::Failed) {
            reportFailure(r.error);
            return;
        }
        if (!r.controllersHoldingCards.isEmpty()) {
            QStringList addresses;
            for (int a : r.controllersHoldingCards)
                addresses << QString::number(a);
            Prompt::exclaim(this, QStringLiteral("已从数据库中删除该部门人员的发卡记录 %1 条，但地址为 %2 的门禁控制器中仍存有这些卡，"
                                                 "仍会为其开门。\n请对这些控制器执行“发卡信息重整”，重新下载开门名单。")
                                      .arg(r.cardsRemoved)
                                      .arg(addresses.join(QStringLiteral("、"))));
        }
    }
    fillList();
    tbm_->clear();
}
