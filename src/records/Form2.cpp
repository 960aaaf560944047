#include "records/Form2.h"

#include "db/DoorAddresses.h"
#include "doors/ControllerLine.h"
#include "doors/LineDoubt.h"
#include "link/LinePort.h"
#include "session/Session.h"
#include "ui/BoxNames.h"
#include "ui/BusyCursor.h"
#include "ui/LineWords.h"
#include "ui/ExchangeGuard.h"
#include "ui/InputFilters.h"
#include "ui/Prompter.h"

#include <QApplication>
#include <QComboBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

using namespace std::chrono_literals;

namespace {

// The number and description the port's opening failure is shown with,
// in the serial control's own numbering.
std::pair<int, QString> openError(const OpenResult& r)
{
    switch (r.status) {
    case OpenStatus::BadPortNumber: return {8002, QStringLiteral("无效的端口号")};
    case OpenStatus::HeldByAnotherWindow: return {8005, QStringLiteral("端口已经打开")};
    case OpenStatus::BadSettings:
    case OpenStatus::BadBufferSize: return {380, QStringLiteral("无效的属性值")};
    default: return {8002, r.detail.isEmpty() ? QStringLiteral("无效的端口号") : r.detail};
    }
}

QString mendedNote(const QList<CollectedRecord>& records)
{
    int n = 0;
    for (const CollectedRecord& r : records)
        n += r.mended ? 1 : 0;
    return n == 0 ? QString() : QStringLiteral("  其中%1条记录的日期不存在,已存为当月最后一天").arg(n);
}

}  // namespace

int Form2::Run::missing() const
{
    if (!collected.countKnown)
        return -1;
    return std::max(0, int(collected.announced) - (stored.ok ? stored.present() : 0));
}

Form2::Form2(QWidget* parent) : LineDialog(parent)
{
    setObjectName(QStringLiteral("Form2"));
    setWindowTitle(QString(24, QLatin1Char(' ')) + QStringLiteral("数   据   采   集"));

    Frame1 = new QGroupBox(this);
    Frame1->setObjectName(QStringLiteral("Frame1"));
    Label1 = new QLabel(QStringLiteral("请选择门禁地址﹕"), Frame1);
    Label1->setObjectName(QStringLiteral("Label1"));
    ctext = new QComboBox(Frame1);
    ctext->setObjectName(QStringLiteral("ctext"));
    BoxNames::after(ctext, Label1);
    InputFilters::pickOnly(ctext);
    ctext->setMinimumWidth(100);
    Label3 = new QLabel(QStringLiteral("记录数(条)  "), Frame1);
    Label3->setObjectName(QStringLiteral("Label3"));
    prg = new QProgressBar(Frame1);
    prg->setObjectName(QStringLiteral("prg"));
    prg->setRange(0, 1);
    prg->setValue(0);
    auto* pick = new QHBoxLayout(Frame1);
    pick->addWidget(Label1);
    pick->addWidget(ctext);
    pick->addWidget(Label3);
    pick->addWidget(prg, 1);

    grid = new QTableWidget(this);
    grid->setObjectName(QStringLiteral("grid"));
    grid->setColumnCount(5);
    grid->setHorizontalHeaderLabels({QStringLiteral(" 地址"), QStringLiteral("  卡号"), QStringLiteral("   日期"),
                                     QStringLiteral("   时间"), QStringLiteral("标志")});
    grid->verticalHeader()->hide();
    grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    // Twips of the old grid, fifteen to a pixel.
    grid->setColumnWidth(0, 800 / 15);
    grid->setColumnWidth(2, 1200 / 15);
    grid->setColumnWidth(3, 1100 / 15);
    grid->setColumnWidth(4, 600 / 15);
    grid->hide();

    Label4 = new QLabel(this);
    Label4->setObjectName(QStringLiteral("Label4"));
    Label4->setWordWrap(true);
    labtext = new QLabel(this);
    labtext->setObjectName(QStringLiteral("labtext"));
    labtext->setWordWrap(true);

    cdok = new QPushButton(QStringLiteral("采集数据"), this);
    cdok->setObjectName(QStringLiteral("cdok"));
    Command1 = new QPushButton(QStringLiteral("清存储器"), this);
    Command1->setObjectName(QStringLiteral("Command1"));
    cdexit = new QPushButton(QStringLiteral("结  束"), this);
    cdexit->setObjectName(QStringLiteral("cdexit"));
    for (QPushButton* b : {cdok, Command1, cdexit})
        b->setAutoDefault(false);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(cdok);
    buttons->addWidget(Command1);
    buttons->addWidget(cdexit);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Frame1);
    layout->addWidget(grid, 1);
    layout->addWidget(Label4);
    layout->addWidget(labtext);
    layout->addLayout(buttons);
    resize(560, 420);

    MSComm1 = port();
    connect(cdok, &QPushButton::clicked, this, &Form2::cdokClick);
    connect(Command1, &QPushButton::clicked, this, &Form2::Command1Click);
    connect(cdexit, &QPushButton::clicked, this, &Form2::close);

    // Loading: the addresses, then the port.
    Label4->clear();
    for (int a : DoorAddresses::list(Session::db()))
        ctext->addItem(QString::number(a));
    ctext->setCurrentIndex(ctext->count() > 0 ? 0 : -1);
    MSComm1->close();
    const OpenResult opened = MSComm1->open(Session::lineParams());
    if (!opened.ok()) {
        const auto [number, description] = openError(opened);
        Label4->setText(QString::number(number) + QStringLiteral("   ") + QStringLiteral(" 端口 (com") +
                        QString::number(Session::PortNo) + QStringLiteral(") ") + description +
                        QStringLiteral("请进入系统配置重新设置端口号！"));
    }
}

Form2::~Form2() = default;

bool Form2::openPort()
{
    return MSComm1->open(Session::lineParams()).ok();
}

void Form2::clearGrid()
{
    grid->setRowCount(0);
}

void Form2::showRecords(const QList<CollectedRecord>& records)
{
    grid->setRowCount(static_cast<int>(records.size()));
    for (int k = 0; k < records.size(); ++k) {
        const CollectedRecord& r = records.at(k);
        const QString cells[] = {QString::number(r.address), r.card, r.date.toString(QStringLiteral("yyyy-MM-dd")),
                                 r.time.toString(QStringLiteral("HH:mm:ss")), QStringLiteral("  %1").arg(r.flag)};
        for (int c = 0; c < 5; ++c)
            grid->setItem(k, c, new QTableWidgetItem(cells[c]));
    }
    grid->show();
}

Form2::Run Form2::collectAndStore(int address)
{
    Run run;
    BusyCursor busy;
    Label4->setText(QStringLiteral("正在采集数据..."));
    prg->setValue(0);
    run.collected = CollectRecords(*MSComm1, address, CollectPlan::byHand(), [this](int i, int announced) {
        Label3->clear();
        Label3->setText(QStringLiteral("第%1条记录 ").arg(i));
        prg->setRange(0, announced);
        prg->setValue(i - 1);
    });
    const CollectResult& c = run.collected;
    if (c.countKnown) {
        prg->setRange(0, std::max(1, int(c.announced)));
        prg->setValue(static_cast<int>(c.records.size()));
    }
    auto fail = [this](const QString& label, const QString& result) {
        MSComm1->close();
        Label4->setText(label);
        labtext->setText(result);
        ctext->setFocus();
    };
    switch (c.end) {
    case CollectEnd::SendFailed: fail(QStringLiteral("串口通信端口没有打开"), QString()); return run;
    case CollectEnd::NoEcho: fail(QString(), QStringLiteral("系统忙，请重试,发送采集指令时出错!")); return run;
    case CollectEnd::WrongEcho:
        fail(QString(), QStringLiteral("系统忙，请重试,接受采集数据总数时没有得到正确的门禁控制器地址信号!"));
        return run;
    case CollectEnd::NoCount: fail(QString(), QStringLiteral("系统忙，请重试,接收采集数据总数时等待超时!")); return run;
    case CollectEnd::NoRecords: fail(QString(), QStringLiteral("没有数据可以采集")); return run;
    case CollectEnd::Disturbed: fail(QString(), disturbedLine(address)); return run;
    case CollectEnd::Complete:
    case CollectEnd::Overrun: break;
    default:
        // The answer broke off: what came before is kept, and no late
        // byte of it may reach the next exchange.
        MSComm1->close();
        break;
    }

    run.reachedStore = true;
    Label4->setText(QStringLiteral("数据采集完毕!"));
    showRecords(c.records);
    run.stored = RecordImport::store(Session::db(), c.records);
    QString result = QStringLiteral("正确采集到  ") + QString::number(c.records.size()) +
                     QStringLiteral(" 条记录!  应正确采集 ") + QString::number(c.announced) +
                     QStringLiteral("条记录!!") + mendedNote(c.records);
    if (!run.stored.ok)
        result += QStringLiteral("\n存入数据库失败：") + run.stored.error;
    labtext->setText(result);
    const int missing = run.missing();
    if (missing == 0)
        Label4->setText(QStringLiteral("您已采集完该门禁控制器里的数据,请清空该门禁控制器存储器中的数据!"));
    else
        Label4->setText(QStringLiteral("该门禁控制器中还有%1条记录没有存入数据库,请不要清空存储器,请重新采集!").arg(missing));
    ctext->setFocus();
    Frame1->setTitle(QString());
    return run;
}

void Form2::cdokClick()
{
    {
        ExchangeGuard guard(working_, {ctext, cdok, Command1, cdexit});
        collect();
    }
    // The address box was disabled while the exchange ran.
    ctext->setFocus();
}

void Form2::collect()
{
    grid->hide();
    Label3->clear();
    if (!openPort()) {
        Label4->setText(LineWords::portNotOpen(Session::lineParams()));
        return;
    }
    labtext->clear();
    const QString text = ctext->currentText().trimmed();
    if (text.isEmpty()) {
        QApplication::beep();
        MSComm1->close();
        ctext->setFocus();
        return;
    }
    collectAndStore(text.toInt());
}

void Form2::Command1Click()
{
    const QString text = ctext->currentText().trimmed();
    if (text.isEmpty()) {
        Label4->setText(QStringLiteral("请先选择门禁控制器"));
        ctext->setFocus();
        return;
    }
    if (!Prompt::confirm(this,
                         QStringLiteral("确信要删除地址号为'") + text + QStringLiteral("'的门禁控制器上的数据吗？！"),
                         QStringLiteral("提示信息")))
        return;
    {
        ExchangeGuard guard(working_, {ctext, cdok, Command1, cdexit});
        clearMemory(text);
    }
    ctext->setFocus();
}

int Form2::collectUntilNothingIsMissing(int address)
{
    // A collection streams for about 11 ms a record at 9,600 baud, and
    // the doors stay in use meanwhile: passes made during the stream are
    // not in its answer. The controller's own count, read just before the
    // clear, tells whether any came; they are collected before anything
    // is cleared.
    constexpr int kCollections = 4;
    for (int n = 1;; ++n) {
        const Run run = collectAndStore(address);
        const int missing = run.missing();
        if (missing != 0)
            return missing;
        // A controller that held nothing closed the port with its answer.
        if (!openPort())
            return -1;
        const ReadSysResult held = ReadStatus(*MSComm1, address);
        if (!held.ok()) {
            MSComm1->close();
            return -1;
        }
        const int unread = std::max(0, int(held.status->recordCount) - int(run.collected.records.size()));
        if (unread == 0 || n == kCollections)
            return unread;
    }
}

void Form2::clearMemory(const QString& text)
{
    Label4->setText(QStringLiteral("在清存储器之前,请确保已经正确采集到将该门禁控制器中的数据"));
    labtext->setText(QStringLiteral("请选择另一台门禁控制器清除数据..."));
    const int address = text.toInt();
    if (!openPort()) {
        Label4->setText(LineWords::portNotOpen(Session::lineParams()));
        labtext->clear();
        return;
    }

    // Passes made since the last collection, or a controller never
    // collected here: the memory is read and stored once more first.
    grid->hide();
    const int missing = collectUntilNothingIsMissing(address);
    if (missing != 0) {
        const QString question =
            missing > 0 ? QStringLiteral("该门禁控制器中还有%1条记录没有存入数据库,清除后这些记录将丢失。\n确实要清除吗？")
                              .arg(missing)
                        : QStringLiteral("没能读出该门禁控制器中的记录,清除后其中的记录可能丢失。\n确实要清除吗？");
        if (!Prompt::confirm(this, question, QStringLiteral("提示信息"), Prompter::Icon::Exclamation, false)) {
            // The label may still invite the clearing the question advised against.
            Label4->setText(missing > 0 ? QStringLiteral("该门禁控制器中还有%1条记录没有存入数据库,请不要清空存储器,请重新采集!")
                                              .arg(missing)
                                        : QStringLiteral("没能读出该门禁控制器中的记录,存储器没有清除,请重新采集!"));
            return;
        }
        if (!openPort()) {
            Label4->setText(LineWords::portNotOpen(Session::lineParams()));
            labtext->clear();
            return;
        }
    }

    LineOutcome outcome;
    {
        BusyCursor busy;
        Label4->setText(QStringLiteral("正在清理数据..."));
        outcome = ClearRecords(*MSComm1, address, 3s);
    }
    switch (outcome) {
    case LineOutcome::Ok: {
        const QString done = QStringLiteral("已正确清除") + text + QStringLiteral("门禁控制器存储器中的数据!");
        labtext->setText(done);
        Label4->clear();
        clearGrid();
        return;
    }
    case LineOutcome::WrongAnswer: Label4->setText(QStringLiteral("接受的验证码不正确")); break;
    case LineOutcome::Late:
        // The memory may be empty now: what it held is in `data` already.
        Label4->setText(LineDoubts::message(LineDoubt::Late, address, QStringLiteral("清除存储器的命令")));
        break;
    case LineOutcome::NoAnswer: Label4->setText(QStringLiteral("清存储器时接受验证码等待超时")); break;
    case LineOutcome::Disturbed: Label4->setText(disturbedLine(address)); break;
    default: Label4->setText(QStringLiteral("串口通信端口没有打开")); break;
    }
    MSComm1->close();
    labtext->clear();
}
