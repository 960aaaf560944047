#include "cards/FrmFKXXCX.h"

#include "ui/BoxNames.h"
#include "ui/TypedInput.h"

#include "reports/ReportPrint.h"

#include "db/QueryGridModel.h"
#include "ui/ChoiceBoxes.h"
#include "session/Session.h"
#include "ui/BusyCursor.h"
#include "ui/InputFilters.h"
#include "ui/Prompter.h"
#include "ui/Buttons.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>

namespace {

QCheckBox* filterBox(QWidget* parent, const char* name, const QString& caption)
{
    auto* c = new QCheckBox(caption, parent);
    c->setObjectName(QString::fromLatin1(name));
    return c;
}

}  // namespace

FrmFKXXCX::FrmFKXXCX(QWidget* parent) : QDialog(parent), db_(Session::db())
{
    using IssuedCardQuery::Choices;
    auto list = [db = db_](Choices which) { return [db, which] { return IssuedCardQuery::choices(db, which); }; };
    setObjectName(QStringLiteral("FrmFKXXCX"));
    setWindowTitle(QStringLiteral("发卡信息查询"));
    setWindowFlags((windowFlags() & ~Qt::WindowContextHelpButtonHint) | Qt::WindowMinMaxButtonsHint);

    Label1_1 = new QLabel(QStringLiteral("请选择查询项目："), this);
    Label1_1->setObjectName(QStringLiteral("Label1_1"));
    Cck_3 = filterBox(this, "Cck_3", QStringLiteral("大厦"));
    Cbm = ChoiceBoxes::choices(this, "Cbm", list(Choices::Departments));
    Cck_0 = filterBox(this, "Cck_0", QStringLiteral("姓名"));
    Txm = ChoiceBoxes::choices(this, "Txm", list(Choices::Names));
    Cck_1 = filterBox(this, "Cck_1", QStringLiteral("地址"));
    Cdoor = ChoiceBoxes::choices(this, "Cdoor", list(Choices::Addresses));
    TypedInput::digitsOnly(Cdoor);
    Cck_2 = filterBox(this, "Cck_2", QStringLiteral("卡号"));
    Tka = ChoiceBoxes::choices(this, "Tka", list(Choices::Cards));
    TypedInput::digitsOnly(Tka);

    Label1_0 = new QLabel(QStringLiteral("请选择排序方法："), this);
    Label1_0->setObjectName(QStringLiteral("Label1_0"));
    Corder = new QComboBox(this);
    Corder->setObjectName(QStringLiteral("Corder"));
    TypedInput::typedOnly(Corder);
    Corder->setInsertPolicy(QComboBox::NoInsert);
    Corder->addItems(IssuedCardQuery::orderItems());
    Corder->setCurrentIndex(-1);
    Corder->setEditText(QString());
    InputFilters::enterMovesOn(Corder->lineEdit());

    Ccx = Buttons::make(this, "Ccx", QStringLiteral("查  看"));
    Command2 = Buttons::make(this, "Command2", QStringLiteral("打 印"));
    Command1 = Buttons::make(this, "Command1", QStringLiteral("退  出"));

    DBGrid1 = new QTableView(this);
    DBGrid1->setObjectName(QStringLiteral("DBGrid1"));
    DBGrid1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    DBGrid1->setSelectionBehavior(QAbstractItemView::SelectRows);
    DBGrid1->setSelectionMode(QAbstractItemView::SingleSelection);
    DBGrid1->setAlternatingRowColors(true);
    DBGrid1->verticalHeader()->setDefaultSectionSize(22);
    Data1 = new QueryGridModel(IssuedCardQuery::gridCaptions(), this);
    DBGrid1->setModel(Data1);

    auto* filters = new QGridLayout;
    filters->addWidget(Label1_1, 0, 0, 1, 8);
    const struct {
        QCheckBox* box;
        QComboBox* value;
    } pairs[] = {{Cck_3, Cbm}, {Cck_0, Txm}, {Cck_1, Cdoor}, {Cck_2, Tka}};
    int col = 0;
    for (const auto& p : pairs) {
        filters->addWidget(p.box, 1, col++);
        filters->addWidget(p.value, 1, col);
        filters->setColumnStretch(col++, 1);
    }
    auto* orderRow = new QHBoxLayout;
    orderRow->addWidget(Label1_0);
    orderRow->addWidget(Corder, 1);
    orderRow->addStretch(2);
    orderRow->addWidget(Ccx);
    orderRow->addWidget(Command2);
    orderRow->addWidget(Command1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(filters);
    layout->addLayout(orderRow);
    layout->addWidget(DBGrid1, 1);
    resize(860, 520);

    setTabOrder(Cck_3, Cbm);
    setTabOrder(Cbm, Cck_0);
    setTabOrder(Cck_0, Txm);
    setTabOrder(Txm, Cck_1);
    setTabOrder(Cck_1, Cdoor);
    setTabOrder(Cdoor, Cck_2);
    setTabOrder(Cck_2, Tka);
    setTabOrder(Tka, Corder);
    setTabOrder(Corder, Ccx);

    connect(Ccx, &QPushButton::clicked, this, &FrmFKXXCX::query);
    connect(Command2, &QPushButton::clicked, this, &FrmFKXXCX::print);
    connect(Command1, &QPushButton::clicked, this, &FrmFKXXCX::close);

    showRows(IssuedCardQuery::Filter());
    for (const auto& p : pairs)
        BoxNames::after(p.value, p.box);
    Label1_0->setBuddy(Corder);
    BoxNames::fromLabels(this);
}

FrmFKXXCX::~FrmFKXXCX() = default;

IssuedCardQuery::Filter FrmFKXXCX::typedFilter() const
{
    IssuedCardQuery::Filter f;
    if (Cck_3->isChecked())
        f.department = Cbm->currentText();
    if (Cck_0->isChecked())
        f.name = Txm->currentText();
    if (Cck_1->isChecked())
        f.address = Cdoor->currentText();
    if (Cck_2->isChecked())
        f.card = Tka->currentText();
    f.order = IssuedCardQuery::orderOf(Corder->currentText());
    return f;
}

void FrmFKXXCX::query()
{
    const IssuedCardQuery::Filter f = typedFilter();
    // A filter without its value is told and nothing runs: the grid keeps
    // the rows of the last query.
    const QString refusal = IssuedCardQuery::refusal(f);
    if (!refusal.isEmpty()) {
        Prompt::exclaim(this, refusal);
        return;
    }
    showRows(f);
}

void FrmFKXXCX::showRows(const IssuedCardQuery::Filter& filter)
{
    shown_ = filter;
    QString error;
    bool ok = false;
    {
        BusyCursor busy;
        ok = Data1->show(IssuedCardQuery::gridQuery(db_, filter), &error);
    }
    if (!ok) {
        Prompt::exclaim(this, QStringLiteral("查询失败：%1").arg(error));
        return;
    }
    if (Data1->rowCount() > 0)
        DBGrid1->setCurrentIndex(Data1->index(0, 0));
}

void FrmFKXXCX::print()
{
    ReportPrint::stageAndPreview(
        this, [this] { return IssuedCardQuery::stage(db_, shown_); }, IssuedCardQuery::report(db_));
}
