#include "admin/frmabout.h"

#include "admin/WindowPlacement.h"
#include "ui/Prompter.h"

#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

namespace {

QFrame* separator(QWidget* parent)
{
    auto* line = new QFrame(parent);
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Sunken);
    return line;
}

}  // namespace

frmabout::frmabout(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frmabout"));
    setWindowTitle(QStringLiteral("关于---门禁管理系统"));

    auto* icon = new QLabel(this);
    icon->setPixmap(style()->standardIcon(QStyle::SP_MessageBoxInformation).pixmap(48, 48));
    lblTitle = new QLabel(QStringLiteral("门禁管理系统"), this);
    lblTitle->setObjectName(QStringLiteral("lblTitle"));
    QFont big = lblTitle->font();
    big.setPointSizeF(big.pointSizeF() * 1.8);
    big.setBold(true);
    lblTitle->setFont(big);

    cmdOK = new QPushButton(QStringLiteral("确     定(&O)"), this);
    cmdOK->setObjectName(QStringLiteral("cmdOK"));
    cmdOK->setDefault(true);
    cmdSysInfo = new QPushButton(QStringLiteral("系统信息(&S)..."), this);
    cmdSysInfo->setObjectName(QStringLiteral("cmdSysInfo"));
    cmdSysInfo->setAutoDefault(false);
    Command1 = new QPushButton(QStringLiteral("硬件信息(&H)"), this);
    Command1->setObjectName(QStringLiteral("Command1"));
    Command1->setAutoDefault(false);
    Command1->setEnabled(static_cast<bool>(openHardwareInfo));

    auto* head = new QHBoxLayout;
    head->addWidget(icon);
    head->addWidget(lblTitle, 1);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(cmdOK);
    buttons->addWidget(cmdSysInfo);
    buttons->addWidget(Command1);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(separator(this));
    layout->addLayout(head);
    layout->addWidget(separator(this));
    layout->addLayout(buttons);
    setMinimumWidth(400);

    connect(cmdOK, &QPushButton::clicked, this, &QDialog::accept);
    connect(cmdSysInfo, &QPushButton::clicked, this, &frmabout::StartSysInfo);
    connect(Command1, &QPushButton::clicked, this, &frmabout::showHardwareInfo);
}

void frmabout::StartSysInfo()
{
    Prompt::inform(this, QStringLiteral("此时系统信息无效"));
}

void frmabout::showHardwareInfo()
{
    // The About window goes first, so that none is left behind once the
    // hardware-information window closes.
    accept();
    if (openHardwareInfo)
        openHardwareInfo();
}

void frmabout::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (!placed_) {
        placed_ = true;
        WindowPlacement::centreBelow(this, 200);
    }
}
