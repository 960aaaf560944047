#include "cards/FrmFKZL.h"

#include "cards/CardListWidgets.h"
#include "cards/CardLists.h"
#include "cards/CardRuns.h"
#include "db/DoorAddresses.h"
#include "session/Session.h"
#include "ui/BoxNames.h"
#include "ui/LineWords.h"
#include "ui/ExchangeGuard.h"
#include "ui/InputFilters.h"
#include "ui/Prompter.h"

#include <QComboBox>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QStatusBar>
#include <QVBoxLayout>

FrmFKZL::FrmFKZL(QWidget* parent) : LineDialog(parent)
{
    setObjectName(QStringLiteral("FrmFKZL"));
    setWindowTitle(QStringLiteral("发卡信息重整"));

    Label1 = new QLabel(QStringLiteral("请选择地址:"), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Combo1 = new QComboBox(this);
    Combo1->setObjectName(QStringLiteral("Combo1"));
    Combo1->setMinimumWidth(100);
    InputFilters::pickOnly(Combo1);
    Label2 = new QLabel(QStringLiteral("提示：此项操作将重新清理门禁控制器，使得控制器"), this);
    Label2->setObjectName(QStringLiteral("Label2"));
    Label3 = new QLabel(QStringLiteral("的开门名单与发卡库相符。"), this);
    Label3->setObjectName(QStringLiteral("Label3"));
    Label4 = new QLabel(QStringLiteral("已发卡数："), this);
    Label4->setObjectName(QStringLiteral("Label4"));
    Label1->setBuddy(Combo1);
    Text1 = new QLineEdit(this);
    Text1->setObjectName(QStringLiteral("Text1"));
    Label4->setBuddy(Text1);
    Text1->setReadOnly(true);
    Text1->setMaximumWidth(90);
    PrgBar = new QProgressBar(this);
    PrgBar->setObjectName(QStringLiteral("PrgBar"));
    PrgBar->setTextVisible(false);
    PrgBar->setVisible(false);
    Command1 = new QPushButton(QStringLiteral("开始"), this);
    Command1->setObjectName(QStringLiteral("Command1"));
    Command2 = new QPushButton(QStringLiteral("退出"), this);
    Command2->setObjectName(QStringLiteral("Command2"));
    for (QPushButton* b : {Command1, Command2})
        b->setAutoDefault(false);
    progress_ = new CardRunProgress(this);
    StatusBar1 = new QStatusBar(this);
    StatusBar1->setObjectName(QStringLiteral("StatusBar1"));
    StatusBar1->setSizeGripEnabled(false);
    auto* Line1 = new QFrame(this);
    Line1->setFrameShape(QFrame::HLine);
    Line1->setFrameShadow(QFrame::Sunken);

    auto* top = new QHBoxLayout;
    top->addWidget(Label1);
    top->addWidget(Combo1);
    top->addStretch(1);
    auto* count = new QHBoxLayout;
    count->addWidget(Label4);
    count->addWidget(Text1);
    count->addStretch(1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(Command1);
    buttons->addWidget(Command2);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(Label2);
    layout->addWidget(Label3);
    layout->addWidget(Line1);
    layout->addLayout(count);
    layout->addWidget(PrgBar);
    layout->addWidget(progress_);
    layout->addLayout(buttons);
    layout->addWidget(StatusBar1);
    setMinimumWidth(400);

    for (int a : DoorAddresses::list(Session::db()))
        Combo1->addItem(QString::number(a), a);
    Combo1->setCurrentIndex(-1);

    connect(Command1, &QPushButton::clicked, this, &FrmFKZL::start);
    connect(Command2, &QPushButton::clicked, this, &FrmFKZL::close);
    BoxNames::fromLabels(this);
}

FrmFKZL::~FrmFKZL() = default;

namespace {

// Why a stored row cannot go into a controller: its numbers, or a limit
// that does not fit the AddCard frame.
QString refusalText(const FakaRow& row)
{
    if (!CardNumbers::paddedPhysical(row.physical) || !CardNumbers::isCardNumber(row.card))
        return QStringLiteral("卡号%1的卡号或物理卡号不能写入控制器，没有发送！").arg(row.card);
    const auto badMode = [](int m) { return m < 0 || m > 3; };
    if (badMode(row.limits.lock1Mode) || badMode(row.limits.lock2Mode))
        return QStringLiteral("卡号%1的通行方式不对，不能写入控制器，没有发送！").arg(row.card);
    return QStringLiteral("卡号%1的开门星期不对，不能写入控制器，没有发送！").arg(row.card);
}

}  // namespace

void FrmFKZL::start()
{
    if (Combo1->currentIndex() < 0 || Combo1->currentText().trimmed().isEmpty()) {
        Prompt::inform(this, QStringLiteral("请先选择地址!"));
        Combo1->setFocus();
        return;
    }
    resend(Combo1->currentData().toInt());
    Command2->setFocus();
}

void FrmFKZL::resend(int address)
{
    using End = CardRuns::ResendResult::End;
    ExchangeGuard guard(working_, {Combo1, Command1, Command2});
    // The bar and the count of the window's own, beside the run's line.
    struct Bar : CardRunSink {
        FrmFKZL& w;
        explicit Bar(FrmFKZL& window) : w(window) {}
        void begin(int total) override
        {
            w.PrgBar->setVisible(true);
            w.PrgBar->setRange(0, 100 * total);
            w.PrgBar->setValue(0);
            w.sent_ = 0;
            w.Text1->clear();
            w.progress_->begin(total);
        }
        bool advance(int done) override { return w.progress_->advance(done); }
        void finish() override { w.progress_->finish(); }
        void exchanging(bool on) override { w.progress_->exchanging(on); }
    } bar(*this);
    const CardRuns::ResendResult r =
        CardRuns::resend(*port(), Session::lineParams(), Session::db(), address, bar, [this](const RunPair& pair) {
            switch (pair.outcome) {
            case PairOutcome::Done:
                PrgBar->setValue(PrgBar->value() + 100);
                Text1->setText(QString::number(++sent_));
                return RunStep::Next;
            case PairOutcome::NotHeld:
                Prompt::exclaim(this, QStringLiteral("卡号%1的发卡记录无法读取，没有发送！").arg(pair.card));
                return RunStep::Next;
            case PairOutcome::Refused:
                Prompt::exclaim(this, refusalText(*pair.row));
                return RunStep::Next;
            default:
                // Heard, the controller may hold the card already; sending it again does no harm.
                const std::optional<CardDoubt> doubt = CardLists::doubtOf(pair.outcome);
                const QString text = doubt ? CardDoubts::cause(*doubt, pair.address) +
                                                 QStringLiteral("，卡号%1可能已经写入，也可能没有。").arg(pair.card)
                                           : QStringLiteral("   通信故障!");
                return Prompt::ask(this, text, Prompter::Buttons::RetryCancel,
                                   Prompter::Icon::None, QStringLiteral("出错"), Prompter::Answer::Cancel)
                               == Prompter::Answer::Retry
                           ? RunStep::Retry
                           : RunStep::Stop;
            }
        });
    switch (r.end) {
    case End::PortNotOpen: Prompt::exclaim(this, LineWords::portNotOpen(Session::lineParams())); return;
    case End::ClearInDoubt:
        // Its holders may all be locked out now, while faka still lists them.
        Prompt::exclaim(this, LineDoubts::cause(*LineDoubts::of(r.cleared), address) +
                                  QStringLiteral("，该门禁控制器中的卡可能已经全部清除，也可能没有。"
                                                 "请重新重整，直到显示“重整成功！”为止！"));
        return;
    case End::NotCleared: Prompt::inform(this, QStringLiteral("通信故障！")); return;
    case End::Unreadable:
        Prompt::inform(this, QStringLiteral("地址%1的控制器已清空，但发卡信息无法读取，请重新重整！").arg(address));
        return;
    case End::NoCards: Prompt::inform(this, QStringLiteral("没有发卡信息！")); return;
    case End::Stopped:
    case End::Finished: break;
    }

    // Only echoes are counted: a controller that answered late may hold
    // more than these.
    const QString holds = QStringLiteral("地址%1的控制器已清空，其%2张卡中已确认写入%3张，请重新重整！")
                              .arg(address)
                              .arg(r.total)
                              .arg(r.sent);
    if (r.end == End::Stopped) {
        Prompt::exclaim(this, holds);
        return;
    }
    if (r.sent == r.total) {
        Prompt::inform(this, QStringLiteral("重整成功！"));
        sent_ = 0;
    } else if (r.sent + r.unsendable == r.total) {
        // Sending again would skip the same rows: they need mending first.
        Prompt::exclaim(this, QStringLiteral("地址%1的控制器已清空，其%2张卡中已确认写入%3张；另%4张的发卡信息不能写入控制器，"
                                             "请先修改其发卡信息！")
                                  .arg(address)
                                  .arg(r.total)
                                  .arg(r.sent)
                                  .arg(r.unsendable));
    } else {
        Prompt::exclaim(this, QStringLiteral("通讯失败!\n") + holds);
    }
    PrgBar->setValue(PrgBar->maximum());
    PrgBar->setVisible(false);
}
