#include "cards/FrmDec.h"

#include "ui/BoxNames.h"
#include "ui/TypedInput.h"

#include "cards/CardListWidgets.h"
#include "cards/CardRuns.h"
#include "db/Clock.h"
#include "db/NumberText.h"
#include "session/Session.h"
#include "ui/ExchangeGuard.h"
#include "ui/LineWords.h"
#include "ui/Prompter.h"

#include <QApplication>
#include <QComboBox>
#include <QEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <QVBoxLayout>

FrmDec::FrmDec(QWidget* parent) : LineDialog(parent)
{
    setObjectName(QStringLiteral("FrmDec"));
    setWindowTitle(QStringLiteral("压缩卡机"));

    Frame1 = new QGroupBox(QStringLiteral("选择要删除的部门、卡号、地址"), this);
    Frame1->setObjectName(QStringLiteral("Frame1"));
    Option1 = new QRadioButton(QStringLiteral("卡号"), Frame1);
    Option1->setObjectName(QStringLiteral("Option1"));
    kh = new QComboBox(Frame1);
    kh->setObjectName(QStringLiteral("kh"));
    TypedInput::digitsOnly(kh);
    Option2 = new QRadioButton(QStringLiteral("地址"), Frame1);
    Option2->setObjectName(QStringLiteral("Option2"));
    dz = new QComboBox(Frame1);
    dz->setObjectName(QStringLiteral("dz"));
    TypedInput::digitsOnly(dz);
    Option3 = new QRadioButton(QStringLiteral("大厦"), Frame1);
    Option3->setObjectName(QStringLiteral("Option3"));
    bm = new QComboBox(Frame1);
    bm->setObjectName(QStringLiteral("bm"));
    TypedInput::typedOnly(bm);
    auto* modes = new QGridLayout(Frame1);
    modes->addWidget(Option1, 0, 0);
    modes->addWidget(kh, 0, 1);
    modes->addWidget(Option2, 1, 0);
    modes->addWidget(dz, 1, 1);
    modes->addWidget(Option3, 2, 0);
    modes->addWidget(bm, 2, 1);
    BoxNames::after(kh, Option1);
    BoxNames::after(dz, Option2);
    BoxNames::after(bm, Option3);
    modes->setColumnStretch(1, 1);

    Frame5 = new QGroupBox(QStringLiteral("选择要删除的地址"), this);
    Frame5->setObjectName(QStringLiteral("Frame5"));
    Ldr = new QListWidget(Frame5);
    Ldr->setObjectName(QStringLiteral("Ldr"));
    Ldr->setSelectionMode(QAbstractItemView::ExtendedSelection);
    auto* Frame9 = new QFrame(Frame5);
    Frame9->setObjectName(QStringLiteral("Frame9"));
    Frame9->setFrameShape(QFrame::StyledPanel);
    Label12 = new QLabel(QStringLiteral("Shift+◆Shift+□Ctrl+◆Ctrl+□进行多项选择"), Frame9);
    Label12->setObjectName(QStringLiteral("Label12"));
    Label12->setWordWrap(true);
    (new QVBoxLayout(Frame9))->addWidget(Label12);
    auto* targets = new QVBoxLayout(Frame5);
    targets->addWidget(Ldr, 1);
    targets->addWidget(Frame9);

    Command1 = new QPushButton(QStringLiteral("删除"), this);
    Command1->setObjectName(QStringLiteral("Command1"));
    Command2 = new QPushButton(QStringLiteral("退出"), this);
    Command2->setObjectName(QStringLiteral("Command2"));
    for (QPushButton* b : {Command1, Command2})
        b->setAutoDefault(false);
    Label1 = new QLabel(this);
    Label1->setObjectName(QStringLiteral("Label1"));
    progress_ = new CardRunProgress(this);

    auto* left = new QVBoxLayout;
    left->addWidget(Frame1);
    left->addStretch(1);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(Command1);
    buttons->addWidget(Command2);
    left->addLayout(buttons);
    auto* body = new QHBoxLayout;
    body->addLayout(left, 1);
    body->addWidget(Frame5, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(body, 1);
    layout->addWidget(Label1);
    layout->addWidget(progress_);
    setMinimumSize(460, 320);
    setTabOrder(kh, Command1);

    QSqlDatabase db = Session::db();
    bm->addItems(CardLists::peopleDepartments(db));
    kh->addItems(CardLists::issuedCards(db));
    const QStringList addresses = CardLists::issuedAddresses(db);
    dz->addItems(addresses);
    Ldr->addItems(addresses);
    for (QComboBox* box : {kh, dz, bm}) {
        box->setCurrentIndex(-1);
        box->installEventFilter(this);
        box->lineEdit()->installEventFilter(this);
    }
    Option1->setChecked(true);

    connect(kh, &QComboBox::activated, this, [this] { markHolders(); });
    connect(kh, &QComboBox::editTextChanged, this, [this](const QString& text) {
        // A whole card number typed: the removal is the next step.
        if (text.trimmed().size() >= 6 && kh->hasFocus())
            QTimer::singleShot(0, Command1, qOverload<>(&QWidget::setFocus));
    });
    connect(Command1, &QPushButton::clicked, this, &FrmDec::remove);
    connect(Command2, &QPushButton::clicked, this, &FrmDec::close);
}

FrmDec::~FrmDec() = default;

bool FrmDec::eventFilter(QObject* watched, QEvent* event)
{
    auto boxOf = [&](QObject* o) -> QComboBox* {
        for (QComboBox* b : {kh, dz, bm}) {
            if (o == b || o == b->lineEdit())
                return b;
        }
        return nullptr;
    };
    QComboBox* box = boxOf(watched);
    if (box && event->type() == QEvent::FocusIn)
        (box == kh ? Option1 : box == dz ? Option2 : Option3)->setChecked(true);
    if (box == kh && event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
            Command1->setFocus();
            return true;
        }
        // A whole card number is in the box: a further digit is dropped,
        // as it always was, and the removal is the next step. Typing over
        // a selection replaces it.
        const QString typed = key->text();
        if (typed.size() == 1 && typed.at(0).isDigit() && !kh->lineEdit()->hasSelectedText() &&
            kh->currentText().trimmed().size() >= 6) {
            Command1->setFocus();
            return true;
        }
    }
    return LineDialog::eventFilter(watched, event);
}

void FrmDec::markHolders()
{
    Ldr->clearSelection();
    const QList<int> holders = CardLists::holdersOf(Session::db(), kh->currentText());
    for (int i = 0; i < Ldr->count(); ++i) {
        if (holders.contains(Ldr->item(i)->text().trimmed().toInt()))
            Ldr->item(i)->setSelected(true);
    }
}

QList<int> FrmDec::selectedTargets() const
{
    return CardListBoxes::selectedAddresses(Ldr);
}

void FrmDec::remove()
{
    focusAfter_ = nullptr;
    {
        ExchangeGuard guard(working_, {Frame1, Frame5, Command1, Command2});
        if (Option1->isChecked())
            byCard();
        else if (Option2->isChecked())
            byController();
        else if (Option3->isChecked())
            byDepartment();
    }
    if (focusAfter_)
        focusAfter_->setFocus();
}

bool FrmDec::reportFailure(Mode mode, PairOutcome outcome, int address, const QString& card,
                           const QList<int>& notAsked)
{
    switch (outcome) {
    case PairOutcome::Done:
    case PairOutcome::NotHeld: return true;
    case PairOutcome::Refused:
        Prompt::exclaim(this, QStringLiteral("卡号%1不能写成删除命令，没有发送！").arg(card));
        return true;
    case PairOutcome::DatabaseFailed:
        // The controller has let the card go; only the database still
        // lists it there, so the operator must know which controller.
        Prompt::exclaim(this, QStringLiteral("地址%1的控制器已删除卡号%2，但数据库没有写入，请检查数据库！")
                                      .arg(address)
                                      .arg(card) +
                                  Prompt::notAskedText(notAsked));
        return false;
    case PairOutcome::ReadFailed:
        Prompt::exclaim(this, QStringLiteral("读不出地址%1的发卡记录，卡号%2没有删除，请检查数据库！").arg(address).arg(card) +
                                  Prompt::notAskedText(notAsked));
        return false;
    default:
        // Refused the line, every further pair would be refused too.
        if (outcome == PairOutcome::PortNotOpen && LineWords::heldByAnotherWindow(Session::lineParams())) {
            Prompt::exclaim(this, LineWords::portNotOpen(Session::lineParams()));
            return false;
        }
        if (const std::optional<CardDoubt> doubt = CardLists::doubtOf(outcome))
            Prompt::exclaim(this, CardDoubts::message(*doubt, CardChange::Removed, address, card));
        else
            Prompt::exclaim(this, QStringLiteral("通讯出错，删除失败！"));
        return mode == Mode::Card;
    }
}

void FrmDec::run(Mode mode, const QList<CardRuns::CardAt>& pairs)
{
    const RunResult r = CardRuns::removeCards(
        *port(), Session::lineParams(), Session::db(), pairs, Clock::today(), *progress_, [&](const RunPair& p) {
            if (p.outcome == PairOutcome::Done && mode == Mode::Card)
                Prompt::exclaim(this, p.card + QStringLiteral("已从地址为") + QString::number(p.address) +
                                          QStringLiteral("的门中删除"));
            else if (p.outcome == PairOutcome::Done)
                Label1->setText(mode == Mode::Controller
                                    ? p.card + QStringLiteral("已从地址为 ") + QString::number(p.address) +
                                          QStringLiteral(" 的门上删除!")
                                    : p.card + QStringLiteral("已从 ") + QString::number(p.address) +
                                          QStringLiteral(" 号门上删除！"));
            else if (p.outcome == PairOutcome::NotHeld && mode == Mode::Card)
                Prompt::inform(this, QStringLiteral("此卡没有该门的发卡记录！"));
            else if (!reportFailure(mode, p.outcome, p.address, p.card, p.notAsked))
                return RunStep::Stop;
            return RunStep::Next;
        });
    if (r.end == RunEnd::Stopped && mode != Mode::Card)
        Prompt::exclaim(this, QStringLiteral("已停止：%1张卡中已确认删除%2张。").arg(r.total).arg(r.done));
    else if (mode != Mode::Card)
        Prompt::inform(this, mode == Mode::Controller ? QStringLiteral("删除完毕！") : QStringLiteral("部门删除完毕！"));
}

void FrmDec::byCard()
{
    const QString card = kh->currentText().trimmed();
    if (card.isEmpty()) {
        Prompt::inform(this, QStringLiteral("请选择卡号！"));
        focusAfter_ = kh;
        return;
    }
    if (!NumberText::isCardNumber(card)) {
        Prompt::inform(this, QStringLiteral("卡号必须是6位自然数！"));
        focusAfter_ = kh;
        return;
    }
    const QList<int> targets = selectedTargets();
    if (targets.isEmpty()) {
        QApplication::beep();
        Prompt::exclaim(this, QStringLiteral("请选择目标门号！"));
        return;
    }
    QList<CardRuns::CardAt> pairs;
    for (int address : targets)
        pairs.append({address, card});
    run(Mode::Card, pairs);
}

void FrmDec::byController()
{
    if (dz->currentText().trimmed().isEmpty()) {
        Prompt::inform(this, QStringLiteral("请选择地址！"));
        focusAfter_ = dz;
        return;
    }
    const std::optional<int> address = CardLists::parseAddress(dz->currentText());
    if (!address) {
        Prompt::inform(this, QStringLiteral("地址必须是0到99的整数！"));
        focusAfter_ = dz;
        return;
    }
    const std::optional<QStringList> cards = CardLists::cardsOn(Session::db(), *address);
    if (!cards)
        return Prompt::exclaim(this, QStringLiteral("读不出发卡记录，没有删除任何卡，请检查数据库！"));
    QList<CardRuns::CardAt> pairs;
    for (const QString& card : *cards)
        pairs.append({*address, card});
    if (pairs.isEmpty())
        return;
    run(Mode::Controller, pairs);
}

void FrmDec::byDepartment()
{
    const QString department = bm->currentText().trimmed();
    if (department.isEmpty()) {
        Prompt::inform(this, QStringLiteral("请选择部门!"));
        focusAfter_ = bm;
        return;
    }
    const QList<int> targets = selectedTargets();
    if (targets.isEmpty()) {
        QApplication::beep();
        Prompt::exclaim(this, QStringLiteral("请选择删除门号!"));
        return;
    }
    const std::optional<QStringList> cards = CardLists::cardsOfDepartment(Session::db(), department);
    if (!cards)
        return Prompt::exclaim(this, QStringLiteral("读不出发卡记录，没有删除任何卡，请检查数据库！"));
    if (cards->isEmpty())
        return;
    QList<CardRuns::CardAt> pairs;
    for (const QString& card : *cards) {
        for (int address : targets)
            pairs.append({address, card});
    }
    run(Mode::Department, pairs);
}
