#include "attendance/Frmkq.h"

#include "ui/DateTimeBoxes.h"
#include "ui/BoxNames.h"
#include "ui/TypedInput.h"

#include "reports/ReportPrint.h"

#include "attendance/AttendanceGridModel.h"
#include "db/Clock.h"
#include "session/Session.h"
#include "ui/BusyCursor.h"
#include "ui/ChoiceBoxes.h"
#include "ui/InputFilters.h"
#include "ui/Prompter.h"
#include "ui/Buttons.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>

namespace {

QComboBox* comboBox(QWidget* parent, const char* name, const QStringList& items)
{
    auto* c = new QComboBox(parent);
    c->setObjectName(QString::fromLatin1(name));
    TypedInput::typedOnly(c);
    c->setMinimumWidth(100);
    c->addItems(items);
    c->setCurrentIndex(-1);
    c->setEditText(QString());
    InputFilters::enterMovesOn(c->lineEdit());
    return c;
}

QCheckBox* checkBox(QWidget* parent, int index, const QString& text)
{
    auto* c = new QCheckBox(text, parent);
    c->setObjectName(QStringLiteral("Cck%1").arg(index));
    return c;
}

}  // namespace

Frmkq::Frmkq(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("Frmkq"));
    setWindowTitle(QStringLiteral("考勤汇总数据查询"));
    setWindowFlags((windowFlags() & ~Qt::WindowContextHelpButtonHint) | Qt::WindowMinMaxButtonsHint);
    resize(860, 520);
    QSqlDatabase db = Session::db();

    auto* filters = new QGroupBox(this);
    cck_[0] = checkBox(filters, 0, QStringLiteral("日期"));
    t1s_ = DateTimeBoxes::date(filters);
    t1s_->setObjectName(QStringLiteral("t1s"));
    t1e_ = DateTimeBoxes::date(filters);
    t1e_->setObjectName(QStringLiteral("t1e"));
    for (QDateEdit* d : {t1s_, t1e_})
        d->setDate(Clock::today());
    cck_[2] = checkBox(filters, 2, QStringLiteral("卡号"));
    // The lists are read when the operator first uses them, a page at a
    // time: 200,000 people must not hold the window's opening.
    const auto list = [&](const char* name, AttendanceQuery::Choices which) {
        QComboBox* c = ChoiceBoxes::choices(filters, name, [db, which] { return AttendanceQuery::choices(db, which); });
        c->setMinimumWidth(100);
        return c;
    };
    cka_ = list("Cka", AttendanceQuery::Choices::Cards);
    cck_[4] = checkBox(filters, 4, QStringLiteral("姓名"));
    cna_ = list("Cna", AttendanceQuery::Choices::Names);
    cck_[1] = checkBox(filters, 1, QStringLiteral("部门"));
    cbm_ = list("Cbm", AttendanceQuery::Choices::Departments);
    corder_ = comboBox(filters, "Corder", AttendanceQuery::orderItems());
    corder_->setEditText(QStringLiteral("排序方法"));

    ccx_ = Buttons::make(filters, "Ccx", QStringLiteral("查  看"));
    command2_ = Buttons::make(filters, "Command2", QStringLiteral("打印报表"));
    command1_ = Buttons::make(filters, "Command1", QStringLiteral("退  出"));

    // The filters take two rows beside the buttons' column, so that the
    // window still fits a small screen with a large font.
    auto* rows = new QGridLayout;
    rows->addWidget(cck_[0], 0, 0);
    rows->addWidget(t1s_, 0, 1);
    rows->addWidget(new QLabel(QStringLiteral("->"), filters), 0, 2);
    rows->addWidget(t1e_, 0, 3);
    rows->addWidget(cck_[2], 0, 4);
    rows->addWidget(cka_, 0, 5);
    rows->addWidget(cck_[1], 1, 0);
    rows->addWidget(cbm_, 1, 1, 1, 3);
    rows->addWidget(cck_[4], 1, 4);
    rows->addWidget(cna_, 1, 5);
    rows->addWidget(corder_, 2, 5);
    rows->setColumnStretch(6, 1);
    auto* buttons = new QVBoxLayout;
    for (QPushButton* b : {ccx_, command2_, command1_})
        buttons->addWidget(b);
    auto* inFilters = new QHBoxLayout(filters);
    inFilters->addLayout(rows, 1);
    inFilters->addLayout(buttons);
    connect(ccx_, &QPushButton::clicked, this, &Frmkq::query);
    connect(command2_, &QPushButton::clicked, this, &Frmkq::print);
    connect(command1_, &QPushButton::clicked, this, &QDialog::reject);

    grid_ = new QTableView(this);
    grid_->setObjectName(QStringLiteral("DBGrid1"));
    grid_->setSelectionMode(QAbstractItemView::SingleSelection);
    grid_->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                           QAbstractItemView::AnyKeyPressed);
    grid_->verticalHeader()->setDefaultSectionSize(22);
    model_ = new AttendanceGridModel(db, this);
    // The view is still closing its editor: the message waits until it has.
    connect(model_, &EditableGridModel::editRefused, this, [this](const QString& why) { Prompt::exclaim(this, why); },
            Qt::QueuedConnection);
    grid_->setModel(model_);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(filters);
    layout->addWidget(grid_, 1);

    showRows({});
    const int widths[] = {70, 62, 84, 68, 68, 68, 68, 50, 44, 44, 44, 90, 60};
    for (int i = 0; i < int(std::size(widths)); ++i)
        grid_->setColumnWidth(i, widths[i]);
    const std::pair<QWidget*, QCheckBox*> captioned[] = {
        {cka_, cck_[2]}, {cna_, cck_[4]}, {cbm_, cck_[1]}};
    for (const auto& [box, caption] : captioned)
        BoxNames::after(box, caption);
    BoxNames::part(t1s_, cck_[0]->text(), QStringLiteral("从"));
    BoxNames::part(t1e_, cck_[0]->text(), QStringLiteral("到"));
    corder_->setAccessibleName(QStringLiteral("排序方法"));
}

Frmkq::~Frmkq() = default;

void Frmkq::showRows(const AttendanceQuery::Filter& f)
{
    QString error;
    bool shown = false;
    {
        BusyCursor busy;
        shown = model_->run(f, &error);
    }
    if (!shown) {
        // Nothing answered: a print now shows an empty report, never the
        // rows of an earlier query as if they were this one's.
        querySql_ = AttendanceQuery::nothing();
        Prompt::exclaim(this, QStringLiteral("查询考勤数据出错：%1").arg(error));
        return;
    }
    querySql_ = AttendanceQuery::statement(Session::db(), f);
}

void Frmkq::query()
{
    if (DateTimeBoxes::refused(this))
        return;
    AttendanceQuery::Filter f;
    f.byDate = cck_[0]->isChecked();
    f.first = t1s_->date();
    f.last = t1e_->date();
    f.byCard = cck_[2]->isChecked();
    f.card = cka_->currentText();
    f.byName = cck_[4]->isChecked();
    f.name = cna_->currentText();
    f.byDepartment = cck_[1]->isChecked();
    f.department = cbm_->currentText();
    // Only one of the items chooses an order; any other text none.
    f.order = corder_->findText(corder_->currentText(), Qt::MatchExactly);
    const AttendanceQuery::Missing m = AttendanceQuery::missing(f);
    if (m != AttendanceQuery::Missing::None) {
        Prompt::exclaim(this, AttendanceQuery::message(m));
        return;
    }
    showRows(f);
}

void Frmkq::print()
{
    ReportPrint::stageAndPreview(
        this, [this] { return AttendanceQuery::stage(Session::db(), querySql_); },
        AttendanceQuery::report(Session::db()));
}
