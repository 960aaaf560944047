#include "cards/FrmEtD.h"

#include "db/DoorAddresses.h"
#include "ui/BoxNames.h"
#include "ui/DateTimeBoxes.h"
#include "ui/ControllerDates.h"
#include "ui/TypedInput.h"

#include "cards/CardIssuing.h"
#include "cards/CardListWidgets.h"
#include "cards/CardRuns.h"
#include "db/Clock.h"
#include "db/NumberText.h"
#include "session/Session.h"
#include "ui/ExchangeGuard.h"
#include "ui/InputFilters.h"
#include "ui/LineWords.h"
#include "ui/Prompter.h"

#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTimeEdit>
#include <QVBoxLayout>

namespace {

const QStringList kModes{QStringLiteral("进出"), QStringLiteral("进门"), QStringLiteral("出门"),
                         QStringLiteral("禁止进出")};

void chooseNone(QButtonGroup* group)
{
    group->setExclusive(false);
    for (QAbstractButton* b : group->buttons())
        b->setChecked(false);
    group->setExclusive(true);
}

void choose(QButtonGroup* group, const std::optional<int>& mode)
{
    if (mode && *mode >= 0 && *mode <= 3)
        group->button(*mode)->setChecked(true);
    else
        chooseNone(group);
}

}  // namespace

FrmEtD::FrmEtD(QWidget* parent) : LineDialog(parent)
{
    setObjectName(QStringLiteral("FrmEtD"));
    setWindowTitle(QStringLiteral("增扩卡机"));
    auto named = [](QWidget* w, const QString& name) {
        w->setObjectName(name);
        return w;
    };

    Frame1 = new QGroupBox(QStringLiteral("选择要扩展的卡号、地址或部门"), this);
    named(Frame1, QStringLiteral("Frame1"));
    Option1 = new QRadioButton(QStringLiteral("卡号"), Frame1);
    named(Option1, QStringLiteral("Option1"));
    Ckh = new QComboBox(Frame1);
    named(Ckh, QStringLiteral("Ckh"));
    TypedInput::digitsOnly(Ckh);
    Option2 = new QRadioButton(QStringLiteral("地址"), Frame1);
    named(Option2, QStringLiteral("Option2"));
    dz = new QComboBox(Frame1);
    named(dz, QStringLiteral("dz"));
    TypedInput::digitsOnly(dz);
    Option5 = new QRadioButton(QStringLiteral("大厦"), Frame1);
    named(Option5, QStringLiteral("Option5"));
    bm = new QComboBox(Frame1);
    named(bm, QStringLiteral("bm"));
    TypedInput::typedOnly(bm);
    // Outside the choice group, which is disabled during a run: the line
    // tells how far the run has come.
    Label1 = new QLabel(this);
    named(Label1, QStringLiteral("Label1"));
    auto* choice = new QGridLayout(Frame1);
    choice->addWidget(Option1, 0, 0);
    choice->addWidget(Ckh, 0, 1);
    choice->addWidget(Option2, 1, 0);
    choice->addWidget(dz, 1, 1);
    choice->addWidget(Option5, 2, 0);
    choice->addWidget(bm, 2, 1);
    choice->setRowStretch(3, 1);
    choice->setColumnStretch(1, 1);

    Frame2 = new QGroupBox(QStringLiteral("扩展到以下地址"), this);
    named(Frame2, QStringLiteral("Frame2"));
    Ldr = new QListWidget(Frame2);
    named(Ldr, QStringLiteral("Ldr"));
    Ldr->setSelectionMode(QAbstractItemView::ExtendedSelection);
    Label12 = new QLabel(QStringLiteral("Shift+◆Shift+□Ctrl+◆Ctrl+□进行多项选择"), Frame2);
    named(Label12, QStringLiteral("Label12"));
    Label12->setWordWrap(true);
    Command1 = new QPushButton(QStringLiteral("增加"), Frame2);
    named(Command1, QStringLiteral("Command1"));
    Command2 = new QPushButton(QStringLiteral("退出"), Frame2);
    named(Command2, QStringLiteral("Command2"));
    for (QPushButton* b : {Command1, Command2})
        b->setAutoDefault(false);
    auto* targets = new QVBoxLayout(Frame2);
    targets->addWidget(Ldr, 1);
    targets->addWidget(Label12);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(Command1);
    buttons->addWidget(Command2);
    targets->addLayout(buttons);

    Frame3 = new QGroupBox(QStringLiteral("日期时间限制"), this);
    named(Frame3, QStringLiteral("Frame3"));
    const QString captions[3] = {QStringLiteral("日期："), QStringLiteral("星期："), QStringLiteral("时间：")};
    auto* limits = new QGridLayout(Frame3);
    for (int i = 0; i < 3; ++i) {
        Ch[i] = new QCheckBox(captions[i], Frame3);
        named(Ch[i], QStringLiteral("Ch%1").arg(i));
        limits->addWidget(Ch[i], i, 0);
    }
    const QStringList weekdays{QStringLiteral("星期一"), QStringLiteral("星期二"), QStringLiteral("星期三"),
                               QStringLiteral("星期四"), QStringLiteral("星期五"), QStringLiteral("星期六"),
                               QStringLiteral("星期日")};
    for (int i = 0; i < 2; ++i) {
        ddate[i] = DateTimeBoxes::date(Frame3);
        named(ddate[i], QStringLiteral("ddate%1").arg(i));
        ControllerDates::bound(ddate[i]);
        tweek[i] = new QComboBox(Frame3);
        named(tweek[i], QStringLiteral("tweek%1").arg(i));
        tweek[i]->addItems(weekdays);
        InputFilters::pickOnly(tweek[i]);
        dtime[i] = DateTimeBoxes::time(Frame3, QStringLiteral("HH:mm"));
        named(dtime[i], QStringLiteral("dtime%1").arg(i));
        limits->addWidget(ddate[i], 0, 1 + 2 * i);
        limits->addWidget(tweek[i], 1, 1 + 2 * i);
        limits->addWidget(dtime[i], 2, 1 + 2 * i);
    }
    for (int row = 0; row < 3; ++row) {
        auto* arrow = new QLabel(QStringLiteral("-->"), Frame3);
        limits->addWidget(arrow, row, 2);
        if (row == 1)
            weekArrow = arrow;
    }
    // The weekday limit is never entered here: only a stored row brings
    // one in, and a run then carries it to the new controllers.
    for (QWidget* w : {static_cast<QWidget*>(Ch[1]), static_cast<QWidget*>(tweek[0]),
                       static_cast<QWidget*>(tweek[1]), static_cast<QWidget*>(weekArrow)})
        w->setVisible(false);

    Frame4 = new QGroupBox(QStringLiteral("进出控制"), Frame3);
    named(Frame4, QStringLiteral("Frame4"));
    lock1_ = new QButtonGroup(this);
    lock2_ = new QButtonGroup(this);
    auto* modes = new QGridLayout(Frame4);
    modes->addWidget(new QLabel(QStringLiteral("锁号1："), Frame4), 0, 0);
    modes->addWidget(new QLabel(QStringLiteral("锁号2："), Frame4), 1, 0);
    for (int i = 0; i < 4; ++i) {
        Op[i] = new QRadioButton(kModes.at(i), Frame4);
        named(Op[i], QStringLiteral("Op%1").arg(i));
        Opp[i] = new QRadioButton(kModes.at(i), Frame4);
        named(Opp[i], QStringLiteral("Opp%1").arg(i));
        lock1_->addButton(Op[i], i);
        lock2_->addButton(Opp[i], i);
        modes->addWidget(Op[i], 0, 1 + i);
        modes->addWidget(Opp[i], 1, 1 + i);
    }
    limits->addWidget(Frame4, 3, 0, 1, 4);

    progress_ = new CardRunProgress(this);

    auto* top = new QHBoxLayout;
    top->addWidget(Frame1, 1);
    top->addWidget(Frame2, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top, 1);
    layout->addWidget(Frame3);
    layout->addWidget(Label1);
    layout->addWidget(progress_);
    setMinimumSize(560, 460);

    QSqlDatabase db = Session::db();
    bm->addItems(CardLists::holderDepartments(db));
    Ckh->addItems(CardLists::issuedCards(db));
    Ldr->addItems(DoorAddresses::texts(db));
    dz->addItems(CardLists::issuedAddresses(db));
    BoxNames::after(Ckh, Option1);
    BoxNames::after(dz, Option2);
    BoxNames::after(bm, Option5);
    for (int i = 0; i < 2; ++i) {
        BoxNames::part(ddate[i], Frame3->title(), i == 0 ? QStringLiteral("开始日期") : QStringLiteral("结束日期"));
        BoxNames::part(dtime[i], Frame3->title(), i == 0 ? QStringLiteral("开始时间") : QStringLiteral("结束时间"));
        BoxNames::part(tweek[i], Frame3->title(), i == 0 ? QStringLiteral("开始星期") : QStringLiteral("结束星期"));
    }
    for (QComboBox* box : {Ckh, dz, bm}) {
        box->setCurrentIndex(-1);
        box->installEventFilter(this);
        box->lineEdit()->installEventFilter(this);
    }
    CardListBoxes::resetPickers(ddate, tweek, dtime);
    Op[0]->setChecked(true);
    Opp[0]->setChecked(true);
    Option1->setChecked(true);
    setTabOrder(Ckh, Ldr);
    Ckh->setFocus();

    connect(Ckh, &QComboBox::activated, this, [this] { cardPicked(); });
    connect(dz, &QComboBox::activated, this, [this] { resetLimits(); });
    connect(bm, &QComboBox::activated, this, [this] { resetLimits(); });
    connect(Ldr, &QListWidget::itemClicked, this, &FrmEtD::targetClicked);
    connect(Command1, &QPushButton::clicked, this, &FrmEtD::extend);
    connect(Command2, &QPushButton::clicked, this, &FrmEtD::close);
}

FrmEtD::~FrmEtD() = default;

bool FrmEtD::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::FocusIn) {
        if (watched == Ckh || watched == Ckh->lineEdit())
            Option1->setChecked(true);
        else if (watched == dz || watched == dz->lineEdit())
            Option2->setChecked(true);
        else if (watched == bm || watched == bm->lineEdit())
            Option5->setChecked(true);
    }
    return LineDialog::eventFilter(watched, event);
}

void FrmEtD::showLimits(const FakaRow& row)
{
    const CardLimits& l = row.limits;
    const bool week = row.weekStored && (l.weekStart != 0 || l.weekEnd != 0);
    tweek[0]->setCurrentIndex(week ? l.weekStart - 1 : -1);
    tweek[1]->setCurrentIndex(week ? l.weekEnd - 1 : -1);
    Ch[1]->setChecked(week);

    const QTime midnight(0, 0);
    const bool time = l.startTime.isValid() && l.endTime.isValid() && (l.startTime != midnight || l.endTime != midnight);
    dtime[0]->setTime(time ? l.startTime : midnight);
    dtime[1]->setTime(time ? l.endTime : midnight);
    Ch[2]->setChecked(time);

    // The end date, handled second, decides whether the date limit is on.
    ddate[0]->setDate(l.startDate.isValid() ? l.startDate : Clock::today());
    Ch[0]->setChecked(l.startDate.isValid());
    ddate[1]->setDate(l.endDate.isValid() ? l.endDate : Clock::today());
    Ch[0]->setChecked(l.endDate.isValid());

    choose(lock1_, row.mode1);
    choose(lock2_, row.mode2);
}

void FrmEtD::resetLimits()
{
    chooseNone(lock1_);
    chooseNone(lock2_);
    for (QCheckBox* c : Ch)
        c->setChecked(false);
    CardListBoxes::resetPickers(ddate, tweek, dtime);
    Ldr->clearSelection();
}

void FrmEtD::cardPicked()
{
    for (QCheckBox* c : Ch)
        c->setChecked(false);
    QSqlDatabase db = Session::db();
    const QString card = Ckh->currentText().trimmed();
    const std::optional<FakaRow> row = CardLists::firstRowOf(db, card);
    if (!row) {
        if (CardLists::personExists(db, card)) {
            CardListBoxes::resetPickers(ddate, tweek, dtime);
        }
        Ldr->clearSelection();
        return;
    }
    Ldr->setFocus();
    showLimits(*row);
    Ldr->clearSelection();
    const QList<int> holders = CardLists::holdersOf(db, card);
    for (int i = 0; i < Ldr->count(); ++i) {
        if (holders.contains(Ldr->item(i)->text().toInt()))
            Ldr->item(i)->setSelected(true);
    }
}

void FrmEtD::targetClicked(QListWidgetItem* item)
{
    const QString card = Ckh->currentText().trimmed();
    if (!item || card.isEmpty() || !Option1->isChecked())
        return;
    const std::optional<int> address = CardLists::parseAddress(item->text());
    const std::optional<FakaRow> row =
        address ? CardLists::fakaRow(Session::db(), *address, card) : std::optional<FakaRow>();
    if (row) {
        showLimits(*row);
        return;
    }
    // A controller that does not hold the card yet starts from no limits
    // and no passing mode: what was set for another controller is not
    // carried over unseen.
    const QList<QListWidgetItem*> keep = Ldr->selectedItems();
    resetLimits();
    for (QListWidgetItem* i : keep)
        i->setSelected(true);
}

QList<int> FrmEtD::selectedTargets() const
{
    return CardListBoxes::selectedAddresses(Ldr);
}

std::optional<ExtensionLimits> FrmEtD::takeLimits()
{
    if (DateTimeBoxes::refused(Frame3))
        return std::nullopt;
    ExtensionLimits run;
    run.dateOn = Ch[0]->isChecked();
    run.weekOn = Ch[1]->isChecked();
    run.timeOn = Ch[2]->isChecked();
    CardLimits& l = run.limits;
    if (run.dateOn) {
        l.startDate = ddate[0]->date();
        l.endDate = ddate[1]->date();
        if (const std::optional<Refusal> why = CardIssuing::checkDateRange(l.startDate, l.endDate)) {
            if (*why == Refusal::DatesReversed)
                Prompt::inform(this, QStringLiteral("日期选择错误！"));
            else
                Prompt::exclaim(this, ControllerDates::outsideText());
            return std::nullopt;
        }
    }
    if (run.weekOn) {
        l.weekStart = tweek[0]->currentIndex() + 1;
        l.weekEnd = tweek[1]->currentIndex() + 1;
        if (l.weekStart > l.weekEnd) {
            Prompt::inform(this, QStringLiteral("星期选择错误！"));
            return std::nullopt;
        }
    }
    if (run.timeOn) {
        l.startTime = dtime[0]->time();
        l.endTime = dtime[1]->time();
        if (l.startTime > l.endTime && !run.weekOn) {
            Prompt::inform(this, QStringLiteral("时间选择错误!"));
            return std::nullopt;
        }
        // 00:00 on the line means no time limit: the controller would let
        // the card in at any hour while the database shows a range.
        auto atMidnight = [](const QTime& t) { return t.hour() == 0 && t.minute() == 0; };
        if (atMidnight(l.startTime) || atMidnight(l.endTime)) {
            Prompt::exclaim(this, QStringLiteral("时间范围不能从00:00开始或到00:00结束，控制器会当作没有时间限制！"));
            return std::nullopt;
        }
    }
    l.lock1Mode = std::max(0, lock1_->checkedId());
    l.lock2Mode = std::max(0, lock2_->checkedId());
    return run;
}

RunStep FrmEtD::told(const RunPair& pair, bool byCard)
{
    switch (pair.outcome) {
    case PairOutcome::AlreadyHeld:
        if (byCard)
            Prompt::inform(this, QStringLiteral("该卡号在%1已经发卡记录！").arg(pair.address));
        return RunStep::Next;
    case PairOutcome::Done:
        if (byCard)
            Prompt::inform(this, QStringLiteral("该卡号在地址%1添加成功！").arg(pair.address));
        else
            Label1->setText(QStringLiteral("卡号%1在地址%2添加成功！").arg(pair.card).arg(pair.address));
        return RunStep::Next;
    case PairOutcome::Refused:
        Prompt::exclaim(this, QStringLiteral("卡号%1的卡号或物理卡号不能写入控制器，没有发送！").arg(pair.card));
        return RunStep::Next;
    case PairOutcome::DatabaseFailed:
        // The controller admits the card now; the operator must know
        // which one, since `faka` does not say so.
        Prompt::exclaim(this, QStringLiteral("地址%1的控制器已写入卡号%2，但数据库没有写入，请检查数据库！")
                                      .arg(pair.address)
                                      .arg(pair.card) +
                                  Prompt::notAskedText(pair.notAsked));
        return RunStep::Stop;
    case PairOutcome::ReadFailed:
        Prompt::exclaim(this, QStringLiteral("读不出地址%1的发卡记录，卡号%2没有发送，请检查数据库！")
                                      .arg(pair.address)
                                      .arg(pair.card) +
                                  Prompt::notAskedText(pair.notAsked));
        return RunStep::Stop;
    default: break;
    }
    // Refused the line, every further pair would be refused too.
    if (pair.outcome == PairOutcome::PortNotOpen && LineWords::heldByAnotherWindow(Session::lineParams())) {
        Prompt::exclaim(this, LineWords::portNotOpen(Session::lineParams()));
        return RunStep::Stop;
    }
    const std::optional<CardDoubt> doubt = CardLists::doubtOf(pair.outcome);
    const Prompter::Answer a =
        Prompt::ask(this,
                    doubt ? CardDoubts::message(*doubt, CardChange::Added, pair.address, pair.card)
                          : QStringLiteral("地址%1通讯出错！!").arg(pair.address),
                    Prompter::Buttons::AbortRetryIgnore, Prompter::Icon::None, QString(), Prompter::Answer::Abort);
    if (a == Prompter::Answer::Abort)
        return RunStep::Stop;
    return a == Prompter::Answer::Retry ? RunStep::Retry : RunStep::Next;
}

void FrmEtD::extend()
{
    focusAfter_ = nullptr;
    {
        ExchangeGuard guard(working_, {Frame1, Frame2, Frame3});
        run();
    }
    if (focusAfter_)
        focusAfter_->setFocus();
}

void FrmEtD::run()
{
    Label1->clear();
    const std::optional<ExtensionLimits> limits = takeLimits();
    if (!limits)
        return;
    QSqlDatabase db = Session::db();

    QList<SourceCard> sources;
    const bool byCard = Option1->isChecked();
    if (byCard) {
        if (Ckh->currentText().trimmed().isEmpty()) {
            Prompt::inform(this, QStringLiteral("请选择要扩展的卡号!"));
            focusAfter_ = Ckh;
            return;
        }
        if (!NumberText::isCardNumber(Ckh->currentText().trimmed())) {
            Prompt::inform(this, QStringLiteral("卡号必须是6位自然数！"));
            focusAfter_ = Ckh;
            return;
        }
    } else if (Option2->isChecked()) {
        if (dz->currentText().trimmed().isEmpty()) {
            Prompt::inform(this, QStringLiteral("请选择要扩展的地址!"));
            focusAfter_ = dz;
            return;
        }
    } else if (Option5->isChecked()) {
        if (bm->currentText().trimmed().isEmpty()) {
            Prompt::inform(this, QStringLiteral("请选择要扩展的部门!"));
            focusAfter_ = bm;
            return;
        }
    } else {
        return;
    }
    const QList<int> targets = selectedTargets();
    if (targets.isEmpty()) {
        Prompt::inform(this, QStringLiteral("请选择目的门号地址!"));
        focusAfter_ = Ldr;
        return;
    }
    std::optional<QList<SourceCard>> read;
    if (byCard) {
        read = CardLists::sourceCard(db, Ckh->currentText());
        if (read && read->isEmpty()) {
            Prompt::inform(this, QStringLiteral("此卡没有发卡！"));
            return;
        }
    } else if (Option2->isChecked()) {
        const std::optional<int> from = CardLists::parseAddress(dz->currentText());
        if (!from) {
            Prompt::inform(this, QStringLiteral("地址必须是0到99的整数！"));
            focusAfter_ = dz;
            return;
        }
        read = CardLists::sourcesOn(db, *from);
    } else {
        read = CardLists::sourcesOfDepartment(db, bm->currentText());
    }
    if (!read) {
        Prompt::exclaim(this, QStringLiteral("读不出发卡记录，没有扩展任何卡，请检查数据库！"));
        return;
    }
    sources = *read;

    const RunResult r = CardRuns::extendCards(*port(), Session::lineParams(), db, sources, targets, *limits,
                                              *progress_, [&](const RunPair& pair) { return told(pair, byCard); });
    if (byCard)
        return;
    if (r.end == RunEnd::Stopped) {
        Prompt::exclaim(this, QStringLiteral("已停止：%1张卡中已确认写入%2张。").arg(r.total).arg(r.done));
        return;
    }
    if (!Label1->text().isEmpty())
        Prompt::inform(this, QStringLiteral("添加完毕！"));
    Label1->clear();
}
