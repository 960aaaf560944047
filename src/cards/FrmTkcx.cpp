#include "cards/FrmTkcx.h"

#include "ui/DateTimeBoxes.h"
#include "ui/BoxNames.h"
#include "ui/TypedInput.h"

#include "reports/ReportPrint.h"

#include "ui/ChoiceBoxes.h"
#include "cards/RemovedCardModel.h"
#include "db/Clock.h"
#include "session/Session.h"
#include "ui/BusyCursor.h"
#include "ui/InputFilters.h"
#include "ui/Prompter.h"
#include "ui/Buttons.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>

namespace {

QDateEdit* datePicker(QWidget* parent, const char* name, const QDate& date)
{
    QDateEdit* d = DateTimeBoxes::date(parent);
    d->setDate(date);
    d->setObjectName(QString::fromLatin1(name));
    InputFilters::enterMovesOn(d);
    return d;
}

}  // namespace

FrmTkcx::FrmTkcx(QWidget* parent) : QDialog(parent), db_(Session::db())
{
    using RemovedCardQuery::Choices;
    auto list = [db = db_](Choices which) { return [db, which] { return RemovedCardQuery::choices(db, which); }; };
    setObjectName(QStringLiteral("FrmTkcx"));
    setWindowTitle(QStringLiteral("退卡查询"));
    setWindowFlags((windowFlags() & ~Qt::WindowContextHelpButtonHint) | Qt::WindowMinMaxButtonsHint);

    // The boxes carry no caption of their own: the labels beside them name
    // them and toggle them when clicked.
    const char* boxNames[] = {"部门", "姓名", "卡号", "退卡日期"};
    const int labelOf[] = {0, 1, 2, 4};
    const char* labelTexts[] = {"大厦", "姓名", "卡号", "退卡日期"};
    for (int i = 0; i < 4; ++i) {
        Ch[i] = new QCheckBox(this);
        Ch[i]->setObjectName(QStringLiteral("Ch_%1").arg(i));
        Ch[i]->setAccessibleName(QString::fromUtf8(boxNames[i]));
        QLabel*& l = Label1[labelOf[i]];
        l = new QLabel(QString::fromUtf8(labelTexts[i]), this);
        l->setObjectName(QStringLiteral("Label1_%1").arg(labelOf[i]));
        l->installEventFilter(this);
    }
    Cbm = ChoiceBoxes::choices(this, "Cbm", list(Choices::Departments));
    Cxm = ChoiceBoxes::choices(this, "Cxm", list(Choices::Names));
    Ckh = ChoiceBoxes::choices(this, "Ckh", list(Choices::Cards));
    TypedInput::digitsOnly(Ckh);

    const QDate today = Clock::now().date();
    DTP1 = datePicker(this, "DTP1", QDate(today.year(), today.month(), 1));
    DTP2 = datePicker(this, "DTP2", today);

    Combo1 = new QComboBox(this);
    Combo1->setObjectName(QStringLiteral("Combo1"));
    TypedInput::typedOnly(Combo1);
    Combo1->setInsertPolicy(QComboBox::NoInsert);
    Combo1->addItems(RemovedCardQuery::orderNames());
    Combo1->setCurrentIndex(-1);
    Combo1->setEditText(QStringLiteral("排序方式"));
    InputFilters::enterMovesOn(Combo1->lineEdit());

    Command1 = Buttons::make(this, "Command1", QStringLiteral("查 看"));
    Command2 = Buttons::make(this, "Command2", QStringLiteral("打 印"));
    Command3 = Buttons::make(this, "Command3", QStringLiteral("关 闭"));

    DBGrid1 = new QTableView(this);
    DBGrid1->setObjectName(QStringLiteral("DBGrid1"));
    DBGrid1->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                             QAbstractItemView::AnyKeyPressed);
    DBGrid1->setAlternatingRowColors(true);
    DBGrid1->verticalHeader()->setDefaultSectionSize(22);
    Data2 = new RemovedCardModel(db_, this);
    DBGrid1->setModel(Data2);
    // Told once the cell's editor has closed: a box opened while it is still
    // open would take its focus, and losing the focus hands the same value
    // over a second time.
    connect(
        Data2, &RemovedCardModel::editRefused, this, [this](const QString& why) { Prompt::exclaim(this, why); },
        Qt::QueuedConnection);

    auto* filters = new QGridLayout;
    auto place = [filters](QCheckBox* box, QLabel* label, QWidget* value, int row, int col) {
        auto* pair = new QHBoxLayout;
        pair->setSpacing(2);
        pair->addWidget(box);
        pair->addWidget(label);
        pair->addStretch(1);
        filters->addLayout(pair, row, col);
        filters->addWidget(value, row, col + 1);
    };
    // Three rows of filters beside the buttons' column: the window keeps a
    // large font on a small screen.
    place(Ch[0], Label1[0], Cbm, 0, 0);
    place(Ch[1], Label1[1], Cxm, 0, 2);
    place(Ch[2], Label1[2], Ckh, 1, 0);
    auto* dates = new QHBoxLayout;
    dates->addWidget(DTP1, 1);
    auto* to = new QLabel(QStringLiteral("至"), this);
    to->setBuddy(DTP2);
    dates->addWidget(to);
    dates->addWidget(DTP2, 1);
    auto* dateBox = new QWidget(this);
    dateBox->setLayout(dates);
    dates->setContentsMargins(0, 0, 0, 0);
    place(Ch[3], Label1[4], dateBox, 2, 0);
    filters->addWidget(Combo1, 1, 2, 1, 2);
    for (int c : {1, 3})
        filters->setColumnStretch(c, 1);
    auto* buttons = new QVBoxLayout;
    buttons->addWidget(Command1);
    buttons->addWidget(Command2);
    buttons->addWidget(Command3);
    auto* top = new QHBoxLayout;
    top->addLayout(filters, 1);
    top->addLayout(buttons);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(DBGrid1, 1);
    resize(900, 540);

    QWidget* order[] = {Ch[0], Cbm, Ch[1], Cxm, Ch[2], Ckh, Ch[3], DTP1, DTP2, Combo1, Command1};
    for (size_t i = 1; i < std::size(order); ++i)
        setTabOrder(order[i - 1], order[i]);

    connect(Command1, &QPushButton::clicked, this, &FrmTkcx::query);
    connect(Command2, &QPushButton::clicked, this, &FrmTkcx::print);
    connect(Command3, &QPushButton::clicked, this, &FrmTkcx::close);

    showRows(RemovedCardQuery::Filter());
    Label1[0]->setBuddy(Cbm);
    Label1[1]->setBuddy(Cxm);
    Label1[2]->setBuddy(Ckh);
    Label1[4]->setBuddy(DTP1);
    Combo1->setAccessibleName(QStringLiteral("排序方式"));
    BoxNames::fromLabels(this);
}

FrmTkcx::~FrmTkcx() = default;

bool FrmTkcx::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::MouseButtonRelease &&
        static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
        const int labelOf[] = {0, 1, 2, 4};
        for (int i = 0; i < 4; ++i) {
            if (watched == Label1[labelOf[i]]) {
                Ch[i]->toggle();
                return true;
            }
        }
    }
    return QDialog::eventFilter(watched, event);
}

RemovedCardQuery::Filter FrmTkcx::typedFilter() const
{
    RemovedCardQuery::Filter f;
    if (Ch[0]->isChecked())
        f.department = Cbm->currentText();
    if (Ch[1]->isChecked())
        f.name = Cxm->currentText();
    if (Ch[2]->isChecked())
        f.card = Ckh->currentText();
    if (Ch[3]->isChecked())
        f.removed = std::pair(DTP1->date(), DTP2->date());
    f.order = RemovedCardQuery::orderOf(Combo1->currentText());
    return f;
}

void FrmTkcx::query()
{
    if (DateTimeBoxes::refused(this))
        return;
    showRows(typedFilter());
}

void FrmTkcx::showRows(const RemovedCardQuery::Filter& filter)
{
    shown_ = filter;
    QString error;
    bool ok = false;
    {
        BusyCursor busy;
        ok = Data2->run(filter, &error);
    }
    if (!ok) {
        Prompt::exclaim(this, QStringLiteral("查询失败：%1").arg(error));
        return;
    }
    if (Data2->rowCount() > 0)
        DBGrid1->setCurrentIndex(Data2->index(0, 0));
}

void FrmTkcx::print()
{
    ReportPrint::stageAndPreview(
        this, [this] { return RemovedCardQuery::stage(db_, *Data2); }, RemovedCardQuery::report(db_));
}
