#include "records/Frmque.h"

#include "ui/DateTimeBoxes.h"
#include "ui/BoxNames.h"
#include "ui/Buttons.h"
#include "ui/TypedInput.h"

#include "db/EditableGridModel.h"
#include "reports/ReportPrint.h"

#include "db/BoundQuery.h"
#include "db/Clock.h"
#include "db/NameKey.h"
#include "session/Session.h"
#include "ui/BusyCursor.h"
#include "ui/ChoiceBoxes.h"
#include "ui/Prompter.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlQueryModel>
#include <QTableView>
#include <QTimeEdit>
#include <QVBoxLayout>


namespace {

// A site's years of records hold hundreds of thousands of cards and
// names: each list is read when the operator first comes to it, a page
// at a time, so neither the window nor the grid waits for it.
QComboBox* choices(QWidget* parent, const char* name, QSqlQuery (*choices)(QSqlDatabase))
{
    QComboBox* c = ChoiceBoxes::choices(parent, name, [choices] { return choices(Session::db()); });
    c->setMinimumWidth(110);
    return c;
}

}  // namespace

Frmque::Frmque(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("Frmque"));
    setWindowTitle(QStringLiteral("打卡数据查询"));

    const char* captions[] = {" 日  期", "地  址", "卡 号", " 时  间", "姓 名"};
    for (int i = 0; i < 5; ++i) {
        Cck[i] = new QCheckBox(QString::fromUtf8(captions[i]), this);
        Cck[i]->setObjectName(QStringLiteral("Cck_%1").arg(i));
    }
    t1s = DateTimeBoxes::date(this);
    t1e = DateTimeBoxes::date(this);
    t1s->setObjectName(QStringLiteral("t1s"));
    t1e->setObjectName(QStringLiteral("t1e"));
    for (QDateEdit* d : {t1s, t1e})
        d->setDate(Clock::today());
    t2s = DateTimeBoxes::time(this, QStringLiteral("HH:mm:ss"));
    t2s->setTime(QTime(8, 0));
    t2e = DateTimeBoxes::time(this, QStringLiteral("HH:mm:ss"));
    t2e->setTime(QTime(18, 0));
    t2s->setObjectName(QStringLiteral("t2s"));
    t2e->setObjectName(QStringLiteral("t2e"));

    Cdoor = choices(this, "Cdoor", &RecordQuery::addresses);
    TypedInput::digitsOnly(Cdoor);
    Cka = choices(this, "Cka", &RecordQuery::cards);
    TypedInput::digitsOnly(Cka);
    Cna = choices(this, "Cna", &RecordQuery::names);
    Corder = new QComboBox(this);
    Corder->setObjectName(QStringLiteral("Corder"));
    TypedInput::typedOnly(Corder);
    Corder->setMinimumWidth(110);
    Corder->addItems(RecordQuery::orderItems());
    Corder->setCurrentIndex(-1);
    Corder->setEditText(QStringLiteral("排序方法"));

    Ccx = Buttons::make(this, "Ccx", QStringLiteral("查  看"));
    Command2 = Buttons::make(this, "Command2", QStringLiteral("打印报表"));
    Command1 = Buttons::make(this, "Command1", QStringLiteral("退  出"));

    Data2 = new EditableGridModel(Session::db(), RecordQuery::gridCaptions(), RecordQuery::recordColumns(),
                                  &RecordQuery::writeCell, this);
    connect(Data2, &EditableGridModel::editRefused, this, [this](const QString& why) { Prompt::exclaim(this, why); },
            Qt::QueuedConnection);
    DBGrid1 = new QTableView(this);
    DBGrid1->setObjectName(QStringLiteral("DBGrid1"));
    DBGrid1->setModel(Data2);
    DBGrid1->setSelectionBehavior(QAbstractItemView::SelectRows);
    DBGrid1->verticalHeader()->setDefaultSectionSize(22);
    DBGrid1->horizontalHeader()->setDefaultSectionSize(88);
    DBGrid1->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);

    // Three rows of filters beside the buttons' column: the window keeps a
    // large font on a small screen.
    auto* filters = new QGridLayout;
    filters->addWidget(Cck[0], 0, 0);
    filters->addWidget(t1s, 0, 1);
    filters->addWidget(new QLabel(QStringLiteral("->"), this), 0, 2);
    filters->addWidget(t1e, 0, 3);
    filters->addWidget(Cck[3], 1, 0);
    filters->addWidget(t2s, 1, 1);
    filters->addWidget(new QLabel(QStringLiteral("->"), this), 1, 2);
    filters->addWidget(t2e, 1, 3);
    filters->addWidget(Cck[1], 0, 4);
    filters->addWidget(Cdoor, 0, 5);
    filters->addWidget(Cck[2], 1, 4);
    filters->addWidget(Cka, 1, 5);
    filters->addWidget(Cck[4], 2, 0);
    filters->addWidget(Cna, 2, 1, 1, 3);
    filters->addWidget(Corder, 2, 5);
    filters->setColumnStretch(6, 1);
    auto* buttons = new QVBoxLayout;
    buttons->addWidget(Ccx);
    buttons->addWidget(Command2);
    buttons->addWidget(Command1);
    auto* top = new QHBoxLayout;
    top->addLayout(filters, 1);
    top->addLayout(buttons);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(DBGrid1, 1);
    resize(900, 560);

    connect(Ccx, &QPushButton::clicked, this, &Frmque::Ccx_Click);
    connect(Command2, &QPushButton::clicked, this, &Frmque::Command2_Click);
    connect(Command1, &QPushButton::clicked, this, &Frmque::close);

    run(RecordFilter{});
    const std::pair<QWidget*, QCheckBox*> captioned[] = {{Cdoor, Cck[1]}, {Cka, Cck[2]}, {Cna, Cck[4]}};
    for (const auto& [box, caption] : captioned)
        BoxNames::after(box, caption);
    BoxNames::part(t1s, Cck[0]->text(), QStringLiteral("从"));
    BoxNames::part(t1e, Cck[0]->text(), QStringLiteral("到"));
    BoxNames::part(t2s, Cck[3]->text(), QStringLiteral("从"));
    BoxNames::part(t2e, Cck[3]->text(), QStringLiteral("到"));
    Corder->setAccessibleName(QStringLiteral("排序方法"));
}

Frmque::~Frmque() = default;

RecordQueryInput Frmque::input() const
{
    RecordQueryInput in;
    in.byDate = Cck[0]->isChecked();
    in.firstDay = t1s->date();
    in.lastDay = t1e->date();
    in.byTime = Cck[3]->isChecked();
    in.firstTime = t2s->time();
    in.lastTime = t2e->time();
    in.byAddress = Cck[1]->isChecked();
    in.address = Cdoor->currentText();
    in.byCard = Cck[2]->isChecked();
    in.card = Cka->currentText();
    in.byName = Cck[4]->isChecked();
    in.name = Cna->currentText();
    in.order = RecordQuery::orderItems().indexOf(Corder->currentText());
    return in;
}

void Frmque::Ccx_Click()
{
    if (DateTimeBoxes::refused(this))
        return;
    const auto checked = RecordQuery::check(input());
    if (const QString* message = std::get_if<QString>(&checked)) {
        Prompt::exclaim(this, *message);
        return;
    }
    run(std::get<RecordFilter>(checked));
}

void Frmque::run(const RecordFilter& filter)
{
    QString error;
    bool shown = false;
    {
        BusyCursor busy;
        NameKey::fill(Session::db(), QStringLiteral("people"));
        shown = Data2->run(
            [&](QSqlDatabase reader) {
                const RecordStatement s = RecordQuery::statement(reader, filter);
                return BoundQuery::scrollable(reader, s.sql, s.values);
            },
            &error);
    }
    if (!shown)
        Prompt::exclaim(this, QStringLiteral("查询失败：%1").arg(error));
}

void Frmque::Command2_Click()
{
    ReportPrint::stageAndPreview(
        this, [this] { return RecordQuery::stage(Session::db(), *Data2); },
        RecordQuery::report(Session::db()));
}
