#include "doors/FrmSysInf.h"

#include "db/DoorAddresses.h"
#include "session/Session.h"
#include "doors/ControllerLine.h"
#include "ui/ExchangeGuard.h"
#include "ui/LineWords.h"
#include "session/Session.h"
#include "doors/StatusIcons.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTreeWidget>

FrmSysInf::FrmSysInf(QWidget* parent) : LineDialog(parent)
{
    setObjectName(QStringLiteral("FrmSysInf"));
    setWindowTitle(QStringLiteral("硬件信息"));

    Label1 = new QLabel(QStringLiteral("地址选择"), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    AdrView = new QTreeWidget(this);
    AdrView->setObjectName(QStringLiteral("AdrView"));
    AdrView->setHeaderHidden(true);
    AdrView->setColumnCount(1);
    AdrView->setIconSize(QSize(16, 16));
    AdrView->setMinimumWidth(160);
    Label2 = new QLabel(QStringLiteral("系统信息"), this);
    Label2->setObjectName(QStringLiteral("Label2"));
    ListView1 = new QListWidget(this);
    ListView1->setObjectName(QStringLiteral("ListView1"));
    ListView1->setMinimumWidth(280);
    exitclose = new QPushButton(QStringLiteral("关闭"), this);
    exitclose->setObjectName(QStringLiteral("exitclose"));
    exitclose->setAutoDefault(false);

    auto* grid = new QGridLayout;
    grid->addWidget(Label1, 0, 0);
    grid->addWidget(Label2, 0, 1);
    grid->addWidget(AdrView, 1, 0);
    grid->addWidget(ListView1, 1, 1);
    grid->setColumnStretch(1, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(exitclose);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid, 1);
    layout->addLayout(buttons);
    resize(520, 340);

    auto* root = new QTreeWidgetItem(AdrView, {QStringLiteral("地址")});
    root->setData(0, kKeyRole, QStringLiteral("Root"));
    setPicture(root, QStringLiteral("closed"));
    int n = 0;
    for (int address : DoorAddresses::list(Session::db())) {
        auto* node = new QTreeWidgetItem(root, {QString::number(address)});
        node->setData(0, kKeyRole, QStringLiteral("Root%1").arg(++n));
        setPicture(node, QStringLiteral("info1"));
    }

    Comm = port();
    // A port that will not open now is tried again at the first click.
    Comm->open(Session::lineParams());

    connect(AdrView, &QTreeWidget::itemExpanded, this, [this](QTreeWidgetItem* item) {
        if (!item->parent())
            setPicture(item, QStringLiteral("opened"));
    });
    connect(AdrView, &QTreeWidget::itemCollapsed, this, [this](QTreeWidgetItem* item) {
        if (!item->parent()) {
            setPicture(item, QStringLiteral("closed"));
            ListView1->clear();
        }
    });
    connect(AdrView, &QTreeWidget::itemClicked, this, &FrmSysInf::nodeClicked);
    connect(exitclose, &QPushButton::clicked, this, &FrmSysInf::close);
}

FrmSysInf::~FrmSysInf() = default;



void FrmSysInf::setPicture(QTreeWidgetItem* node, const QString& key)
{
    node->setIcon(0, StatusIcons::node(key));
    node->setData(0, kPictureRole, key);
}

void FrmSysInf::nodeClicked(QTreeWidgetItem* node)
{
    // One read at a time: a click meanwhile is not queued behind it.
    if (!node || !node->parent() || working())
        return;
    bool ok = false;
    const int address = node->text(0).toInt(&ok);
    if (!ok)
        return;

    ListView1->setViewMode(QListView::ListMode);
    ListView1->clear();
    QTreeWidgetItem* root = node->parent();
    for (int i = 0; i < root->childCount(); ++i)
        setPicture(root->child(i), QStringLiteral("info1"));
    setPicture(node, QStringLiteral("info"));
    ListView1->addItem(QStringLiteral("正在通信中,请稍后..."));

    ReadSysResult r;
    {
        ExchangeGuard guard(working_, {exitclose});
        r = ReadSys(*Comm, address, Session::lineParams());
    }
    if (!r.ok()) {
        setPicture(node, QStringLiteral("failed"));
        ListView1->clear();
        const QString silent = QStringLiteral("通信不通");
        ListView1->addItem(r.outcome == LineOutcome::PortNotOpen ? LineWords::portNotOpen(Session::lineParams(), silent)
                           : r.outcome == LineOutcome::Disturbed ? disturbedLine(address)
                                                                 : silent);
        return;
    }
    const std::optional<QStringList> items = SysInf::read();
    if (!items)
        return;
    setPicture(node, QStringLiteral("ok"));
    ListView1->clear();
    ListView1->addItems(SysInf::hardwareWindowLines(address, *items));
}
