#include "admin/sjkwf2.h"

#include "admin/WindowPlacement.h"
#include "session/Session.h"
#include "db/DateText.h"
#include "ui/BoxNames.h"
#include "ui/BusyCursor.h"
#include "ui/InputFilters.h"
#include "ui/Prompter.h"

#include <QComboBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

QComboBox* list(QWidget* parent, const char* name)
{
    auto* c = new QComboBox(parent);
    c->setObjectName(QLatin1String(name));
    InputFilters::pickOnly(c);
    c->setMinimumWidth(130);
    return c;
}

Purge::Table tableAt(int index)
{
    return index == 0 ? Purge::Table::Records : Purge::Table::Attendance;
}

}  // namespace

sjkwf2::sjkwf2(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("sjkwf2"));
    setWindowTitle(QStringLiteral("门禁系统数据维护"));

    auto* Frame1 = new QGroupBox(QStringLiteral("数据库选择"), this);
    Frame1->setObjectName(QStringLiteral("Frame1"));
    Cdb = list(Frame1, "Cdb");
    Cdb->addItems({QStringLiteral("开门原始记录表"), QStringLiteral("考勤分析数据库")});
    Cdb->setCurrentIndex(-1);
    auto* inFrame1 = new QHBoxLayout(Frame1);
    inFrame1->addWidget(Cdb);

    auto* Frame3 = new QGroupBox(QStringLiteral("日期"), this);
    Frame3->setObjectName(QStringLiteral("Frame3"));
    Combo1 = list(Frame3, "Combo1");
    Combo2 = list(Frame3, "Combo2");
    auto* Label1 = new QLabel(QStringLiteral("-->"), Frame3);
    Label1->setObjectName(QStringLiteral("Label1"));
    auto* inFrame3 = new QHBoxLayout(Frame3);
    inFrame3->addWidget(Combo1, 1);
    inFrame3->addWidget(Label1);
    inFrame3->addWidget(Combo2, 1);

    Command1 = new QPushButton(QStringLiteral("删除数据"), this);
    Command1->setObjectName(QStringLiteral("Command1"));
    Command2 = new QPushButton(QStringLiteral("退出"), this);
    Command2->setObjectName(QStringLiteral("Command2"));
    for (QPushButton* b : {Command1, Command2})
        b->setAutoDefault(false);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(Command1);
    buttons->addWidget(Command2);
    buttons->addStretch(1);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Frame1);
    layout->addWidget(Frame3);
    layout->addLayout(buttons);
    setMinimumWidth(380);

    connect(Cdb, &QComboBox::activated, this, &sjkwf2::fillDays);
    connect(Command1, &QPushButton::clicked, this, &sjkwf2::purge);
    connect(Command2, &QPushButton::clicked, this, &QDialog::reject);
    BoxNames::part(Combo1, Frame3->title(), QStringLiteral("从"));
    BoxNames::part(Combo2, Frame3->title(), QStringLiteral("到"));
    BoxNames::fromLabels(this);
}

void sjkwf2::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (!placed_) {
        placed_ = true;
        WindowPlacement::centreBelow(this, 300);
    }
}

// Each item keeps its day as a date; the text is only what is shown.
void sjkwf2::fillDays(int table)
{
    Combo1->clear();
    Combo2->clear();
    QString error;
    const QList<QDate> days = Purge::days(Session::db(), tableAt(table), &error);
    if (!error.isEmpty()) {
        Prompt::exclaim(this, QStringLiteral("读取数据失败：\n%1").arg(error));
        return;
    }
    if (days.isEmpty()) {
        Prompt::inform(this, QStringLiteral("无记录"));
        return;
    }
    for (const QDate& d : days) {
        Combo1->addItem(DateText::fromDate(d), d);
        Combo2->addItem(DateText::fromDate(d), d);
    }
    Combo1->setCurrentIndex(0);
    Combo2->setCurrentIndex(Combo2->count() - 1);
}

void sjkwf2::purge()
{
    if (Cdb->currentIndex() < 0) {
        Prompt::inform(this, QStringLiteral("请输入数据库名称！"));
        return;
    }
    if (Combo1->currentIndex() < 0) {
        Combo1->setFocus();
        return;
    }
    if (Combo2->currentIndex() < 0) {
        Combo2->setFocus();
        return;
    }
    const QDate first = Combo1->currentData().toDate();
    const QDate last = Combo2->currentData().toDate();
    if (first > last) {
        Prompt::inform(this, QStringLiteral("前一个日期不能大于后一个日期，请重新选择日期！"));
        return;
    }
    const QString question = QStringLiteral("您确实要清除从 ") + Combo1->currentText() + QStringLiteral(" 到 ") +
                             Combo2->currentText() + QStringLiteral(" 之间") + Cdb->currentText() +
                             QStringLiteral("中所有数据！");
    if (!Prompt::confirm(this, question, QStringLiteral("警    告")))
        return;
    Purge::Outcome out;
    {
        BusyCursor busy;
        out = Purge::remove(Session::db(), tableAt(Cdb->currentIndex()), first, last);
    }
    if (out.ok)
        Prompt::inform(this, QStringLiteral("删除成功！"));
    else
        Prompt::exclaim(this, QStringLiteral("删除失败，数据没有改动。\n%1").arg(out.error));
}
