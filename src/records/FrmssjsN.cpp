#include "records/FrmssjsN.h"

#include "db/Clock.h"
#include "db/DoorAddresses.h"
#include "doors/DoorsTable.h"
#include "link/LinePort.h"
#include "records/LockIcons.h"
#include "records/LockMonitor.h"
#include "session/Session.h"
#include "ui/Prompter.h"
#include "ui/LineWords.h"

#include <algorithm>

#include <QAction>
#include <QActionGroup>
#include <QCloseEvent>
#include <QHeaderView>
#include <QGuiApplication>
#include <QLCDNumber>
#include <QScreen>
#include <QStyle>
#include <QListView>
#include <QMenu>
#include <QMenuBar>
#include <QStackedWidget>
#include <QStandardItemModel>
#include <QTimer>
#include <QToolBar>
#include <QTreeView>
#include <QVBoxLayout>

using namespace std::chrono_literals;

namespace {

enum Column { Text, State, Card, Name, Department, Position, Direction, PassedAt, ColumnCount };

QString stateText(LockState s)
{
    switch (s) {
    case LockState::Closed: return QStringLiteral("关");
    case LockState::Open: return QStringLiteral("开");
    case LockState::Unknown: break;
    }
    return QStringLiteral("?");
}

}  // namespace

FrmssjsN::FrmssjsN(QWidget* parent) : FrmssjsN(parent, 100ms, 3000ms) {}

FrmssjsN::FrmssjsN(QWidget* parent, std::chrono::milliseconds tick, std::chrono::milliseconds passWait)
    : LineDialog(parent)
{
    setObjectName(QStringLiteral("FrmssjsN"));
    setWindowTitle(QStringLiteral("实时监控门锁状态"));
    monitor_ = new LockMonitor(*port(), Session::db(), LockMonitor::Timing{tick, passWait}, this);
    build();
    load();
}

FrmssjsN::~FrmssjsN() = default;

void FrmssjsN::build()
{
    model_ = new QStandardItemModel(0, ColumnCount, this);

    menu_ = new QMenuBar(this);
    QMenu* view = menu_->addMenu(QStringLiteral("查看"));
    Toolbar1 = new QToolBar(this);
    Toolbar1->setObjectName(QStringLiteral("Toolbar1"));
    Toolbar1->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    auto* group = new QActionGroup(this);
    struct ModeAction {
        Mode mode;
        const char* toolKey;
        const char* menuName;
        const char* text;
    };
    const ModeAction modes[] = {
        {Mode::Icons, "ico", "ico", "大图标"},
        {Mode::SmallIcons, "smallico", "smico", "小图标"},
        {Mode::Details, "detail", "details", "详细资料"},
        {Mode::List, "list", "list", "列表"},
    };
    for (const ModeAction& m : modes) {
        const QString text = QString::fromUtf8(m.text);
        QAction* button = Toolbar1->addAction(text);
        button->setObjectName(QString::fromLatin1(m.toolKey));
        button->setCheckable(true);
        button->setChecked(m.mode == mode_);
        group->addAction(button);
        QAction* entry = view->addAction(text);
        entry->setObjectName(QString::fromLatin1(m.menuName));
        const Mode mode = m.mode;
        connect(button, &QAction::triggered, this, [this, mode] { setMode(mode); });
        connect(entry, &QAction::triggered, this, [this, mode] { setMode(mode); });
    }
    view->addSeparator();
    QAction* closew = view->addAction(QStringLiteral("关闭"));
    closew->setObjectName(QStringLiteral("closew"));
    connect(closew, &QAction::triggered, this, &FrmssjsN::close);

    doorlist = new QListView(this);
    doorlist->setObjectName(QStringLiteral("doorlist"));
    doorlist->setModel(model_);
    doorlist->setEditTriggers(QAbstractItemView::NoEditTriggers);
    doorlist->setResizeMode(QListView::Adjust);
    doorlist->setWrapping(true);

    doorlistDetails = new QTreeView(this);
    doorlistDetails->setObjectName(QStringLiteral("doorlistDetails"));
    doorlistDetails->setModel(model_);
    doorlistDetails->setRootIsDecorated(false);
    doorlistDetails->setUniformRowHeights(true);
    doorlistDetails->setEditTriggers(QAbstractItemView::NoEditTriggers);
    doorlistDetails->setSelectionModel(doorlist->selectionModel());

    views_ = new QStackedWidget(this);
    views_->addWidget(doorlist);
    views_->addWidget(doorlistDetails);

    DgTime2 = new QLCDNumber(8, this);
    DgTime2->setObjectName(QStringLiteral("DgTime2"));
    DgTime2->setSegmentStyle(QLCDNumber::Flat);
    DgTime2->setFixedSize(200, 48);
    auto* clock = new QTimer(this);
    connect(clock, &QTimer::timeout, this, &FrmssjsN::tickClock);
    clock->start(1000);
    tickClock();

    auto* layout = new QVBoxLayout(this);
    layout->setMenuBar(menu_);
    layout->addWidget(Toolbar1);
    layout->addWidget(views_, 1);
    layout->addWidget(DgTime2, 0, Qt::AlignHCenter);
    setMode(Mode::Icons);

    connect(monitor_, &LockMonitor::entryChanged, this, &FrmssjsN::refresh);
}

void FrmssjsN::load()
{
    const QSqlDatabase db = Session::db();
    QList<DoorRow> rows;
    for (int address : DoorAddresses::list(db)) {
        if (const std::optional<DoorRow> row = DoorsTable::find(db, address))
            rows << *row;
    }
    if (rows.isEmpty()) {
        Prompt::inform(this, QStringLiteral("请先设置门号地址！"));
    } else {
        model_->setHorizontalHeaderLabels({QStringLiteral("通道描述"), QStringLiteral("门锁状态"), QStringLiteral("卡号"),
                                           QStringLiteral("姓名"), QStringLiteral("大厦"), QStringLiteral("职务"),
                                           QStringLiteral("进出状态"), QStringLiteral("进出时间")});
        // The old widths in twips, at 15 twips a pixel, for the font they
        // were set with; a larger font widens them in proportion, and a
        // caption never gets less than it needs.
        const int widths[] = {1600, 700, 600, 800, 1400, 600, 700};
        const double scale = std::max(1.0, doorlistDetails->fontMetrics().averageCharWidth() / 6.0);
        QHeaderView* header = doorlistDetails->header();
        for (int c = 0; c < 7; ++c)
            doorlistDetails->setColumnWidth(c, std::max(int(widths[c] / 15 * scale) + 16, header->sectionSizeHint(c)));
        // The last column takes the room that is left, but never less than
        // a whole pass time.
        header->setStretchLastSection(false);
        doorlistDetails->viewport()->installEventFilter(this);
    }
    monitor_->load(rows);
    for (int i = 0; i < monitor_->entries().size(); ++i) {
        QList<QStandardItem*> items;
        for (int c = 0; c < ColumnCount; ++c)
            items << new QStandardItem;
        model_->appendRow(items);
        refresh(i);
    }
    setMode(mode_);
    openAtSize();

    portOpened_ = port()->open(Session::lineParams()).ok();
    if (!portOpened_) {
        port()->close();
        Prompt::inform(this, LineWords::portNotOpen(Session::lineParams(), QStringLiteral("串口没有打开！")));
        return;
    }
    monitor_->start();
}

void FrmssjsN::refresh(int index)
{
    const MonitorEntry& e = monitor_->entries().at(index);
    QStandardItem* first = model_->item(index, Text);
    first->setText(e.text);
    first->setIcon(LockIcons::of(e.state));
    const QString passedAt = e.passedAt.isValid() ? e.passedAt.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")) : QString();
    const QString texts[] = {stateText(e.state), e.card, e.name, e.department, e.position, e.direction, passedAt};
    for (int c = State; c < ColumnCount; ++c)
        model_->item(index, c)->setText(texts[c - State]);
    widenToFit(index);
}

int FrmssjsN::textRoom(int column, const QString& text) const
{
    // The item's text margins on both sides, and the lock icon in the first.
    const int margins = 2 * (doorlistDetails->style()->pixelMetric(QStyle::PM_FocusFrameHMargin) + 1) + 4;
    const int icon = column == Text ? doorlistDetails->style()->pixelMetric(QStyle::PM_SmallIconSize) + 8 : 0;
    return doorlistDetails->fontMetrics().horizontalAdvance(text) + margins + icon;
}

void FrmssjsN::widenToFit(int index)
{
    // A column only grows: a name or a building shown in full once stays
    // readable when a shorter one follows.
    for (int c = 0; c < ColumnCount - 1; ++c) {
        const QString text = model_->item(index, c)->text();
        if (textRoom(c, text) > doorlistDetails->columnWidth(c))
            doorlistDetails->setColumnWidth(c, textRoom(c, text));
    }
    fillLastColumn();
}

void FrmssjsN::fillLastColumn()
{
    int others = 0;
    for (int c = 0; c < ColumnCount - 1; ++c)
        others += doorlistDetails->columnWidth(c);
    const int least = std::max(textRoom(PassedAt, QStringLiteral("0000-00-00 00:00:00")),
                               doorlistDetails->header()->sectionSizeHint(PassedAt));
    doorlistDetails->setColumnWidth(PassedAt, std::max(least, doorlistDetails->viewport()->width() - others));
}

bool FrmssjsN::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == doorlistDetails->viewport() && event->type() == QEvent::Resize)
        fillLastColumn();
    return LineDialog::eventFilter(watched, event);
}

void FrmssjsN::openAtSize()
{
    // Room for every column and a whole pass time in the last one, with
    // the lists of a larger screen taking more of it.
    int columns = textRoom(PassedAt, QStringLiteral("0000-00-00 00:00:00"));
    for (int c = 0; c < ColumnCount - 1; ++c)
        columns += doorlistDetails->columnWidth(c);
    const QMargins m = layout()->contentsMargins();
    const int width = columns + 2 * doorlistDetails->frameWidth() +
                      doorlistDetails->style()->pixelMetric(QStyle::PM_ScrollBarExtent) + m.left() + m.right();
    const QRect screen = (this->screen() ? this->screen() : QGuiApplication::primaryScreen())->availableGeometry();
    resize(std::min(std::max({760, width, screen.width() / 2}), screen.width()),
           std::min(std::max(520, screen.height() / 2), screen.height()));
}

void FrmssjsN::setMode(Mode mode)
{
    mode_ = mode;
    for (QAction* a : Toolbar1->actions()) {
        const QString key = a->objectName();
        a->setChecked((key == QLatin1String("ico") && mode == Mode::Icons) ||
                      (key == QLatin1String("smallico") && mode == Mode::SmallIcons) ||
                      (key == QLatin1String("list") && mode == Mode::List) ||
                      (key == QLatin1String("detail") && mode == Mode::Details));
    }
    if (mode == Mode::Details) {
        views_->setCurrentWidget(doorlistDetails);
        return;
    }
    views_->setCurrentWidget(doorlist);
    // The cells are as wide as the longest description: a fixed cell
    // would cut a long one short or lay it over its neighbour.
    int widest = 0;
    for (int r = 0; r < model_->rowCount(); ++r)
        widest = std::max(widest, doorlist->fontMetrics().horizontalAdvance(model_->item(r, Text)->text()));
    switch (mode) {
    case Mode::Icons:
        doorlist->setViewMode(QListView::IconMode);
        doorlist->setFlow(QListView::LeftToRight);
        doorlist->setIconSize(QSize(32, 32));
        doorlist->setGridSize(QSize(std::max(96, widest + 24), 64));
        break;
    case Mode::SmallIcons:
        doorlist->setViewMode(QListView::ListMode);
        doorlist->setFlow(QListView::LeftToRight);
        doorlist->setIconSize(QSize(16, 16));
        doorlist->setGridSize(QSize(std::max(128, widest + 16 + 32), 22));
        break;
    case Mode::List:
    case Mode::Details:
        doorlist->setViewMode(QListView::ListMode);
        doorlist->setFlow(QListView::TopToBottom);
        doorlist->setIconSize(QSize(16, 16));
        doorlist->setGridSize(QSize());
        break;
    }
    doorlist->setWrapping(true);
    doorlist->setMovement(QListView::Static);
}

void FrmssjsN::tickClock()
{
    DgTime2->display(Clock::now().time().toString(QStringLiteral("HH:mm:ss")));
}

void FrmssjsN::closeEvent(QCloseEvent* event)
{
    monitor_->stop();
    LineDialog::closeEvent(event);
}

void FrmssjsN::reject()
{
    monitor_->stop();
    LineDialog::reject();
}
