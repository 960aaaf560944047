#include "app/Tools.h"
#include "app/ToolWindows.h"

#include "admin/Form1.h"
#include "admin/Form3.h"
#include "admin/frmabout.h"
#include "admin/frmfkj.h"
#include "admin/FrmRigS.h"
#include "admin/FrmSJCJSZ.h"
#include "admin/frmsys.h"
#include "admin/RemoteOpeningCheck.h"
#include "admin/sjkwf2.h"
#include "attendance/Frmkq.h"
#include "attendance/Frmkqzl.h"
#include "attendance/FrmMon.h"
#include "attendance/FrmWTS.h"
#include "cards/FrmDec.h"
#include "cards/FrmEtD.h"
#include "cards/FrmFK.h"
#include "cards/FrmFKXXCX.h"
#include "cards/FrmFKZL.h"
#include "cards/FrmTkcx.h"
#include "doors/FrmCDT.h"
#include "doors/Frmdoors.h"
#include "people/Frmbm.h"
#include "people/Frmxg.h"
#include "records/Form2.h"
#include "records/Frmque.h"
#include "records/FrmssjsN.h"
#include "records/FrmSSXX.h"
#include "records/FrmZDCJ.h"

#include <QWidget>

namespace Tools {

namespace {
using S = Shown;

template <typename Window>
QWidget* open(QWidget* parent)
{
    return new Window(parent);
}

// A monitor whose port would not open has said so and is not shown.
QWidget* openMonitor(QWidget* parent)
{
    auto* w = new FrmssjsN(parent);
    if (w->portOpened())
        return w;
    delete w;
    return nullptr;
}

}  // namespace

const QList<Tool>& heads()
{
    static const QList<Tool> h{
        {1, 0, QStringLiteral("系统设置"), -1, S::None, nullptr},
        {4, 0, QStringLiteral("卡操作"), -1, S::None, nullptr},
        {3, 0, QStringLiteral("采集及监视"), -1, S::None, nullptr},
        {5, 0, QStringLiteral("数据查询"), -1, S::None, nullptr},
        {6, 0, QStringLiteral("特殊处理"), 24, S::Modal, &open<Frmspecial>},
        {13, 0, QStringLiteral("帮助"), -1, S::None, nullptr},
    };
    return h;
}

const QList<Tool>& all()
{
    static const QList<Tool> t{
        {10, 1, QStringLiteral("用户及权限管理"), 0, S::Modal, &open<FrmRigS>},
        {16, 1, QStringLiteral("数据库初始化"), 1, S::Modal, &open<Form3>},
        {9, 1, QStringLiteral("串口设置"), 2, S::Modal, &open<frmsys>},
        {15, 1, QStringLiteral("大厦管理"), 3, S::Modeless, &open<Frmbm>},
        {18, 1, QStringLiteral("用户信息"), 4, S::Modal, &open<Frmxg>},
        {19, 1, QStringLiteral("发卡机设置"), 5, S::Modeless, &open<frmfkj>},
        {8, 1, QStringLiteral("门锁设置"), 6, S::Modal, &open<Frmdoors>},
        {26, 1, QStringLiteral("修改卡机日期时间"), 7, S::Modal, &open<FrmCDT>},
        {23, 1, QStringLiteral("采集设置"), 8, S::Modal, &open<FrmSJCJSZ>},
        {29, 1, QStringLiteral("上下班时间设置"), 9, S::Modal, &open<FrmWTS>},
        {35, 1, QStringLiteral("数据库备份"), 10, S::Modal, &open<Form1>},
        {36, 1, QStringLiteral("过期数据处理"), 11, S::Modal, &open<sjkwf2>},
        {14, 1, QStringLiteral("退出"), -1, S::None, nullptr},
        {17, 4, QStringLiteral("卡操作"), 12, S::Modeless, &open<FrmFK>},
        {25, 4, QStringLiteral("发卡信息重整"), 13, S::Modal, &open<FrmFKZL>},
        {31, 4, QStringLiteral("压缩卡机"), 14, S::Modal, &open<FrmDec>},
        {32, 4, QStringLiteral("增扩卡机"), 15, S::Modal, &open<FrmEtD>},
        {20, 3, QStringLiteral("数据采集"), 16, S::Modal, &open<Form2>},
        {37, 3, QStringLiteral("考勤数据整理"), -1, S::Modal, &open<Frmkqzl>},
        {21, 3, QStringLiteral("实时监视门锁状态"), 17, S::Modal, openMonitor},
        {34, 3, QStringLiteral("实时监控打卡状况"), 18, S::Modal, &open<FrmSSXX>},
        {24, 3, QStringLiteral("自动采集"), -1, S::Modal, &open<FrmZDCJ>},
        {22, 5, QStringLiteral("发卡信息查询"), 19, S::Modal, &open<FrmFKXXCX>},
        {33, 5, QStringLiteral("退卡查询"), 20, S::Modal, &open<FrmTkcx>},
        {27, 5, QStringLiteral("打卡数据查询"), 21, S::Modal, &open<Frmque>},
        {28, 5, QStringLiteral("考勤数据查询"), 22, S::Modal, &open<Frmkq>},
        {30, 5, QStringLiteral("个人月总查询"), 23, S::Modal, &open<FrmMon>},
        {11, 13, QStringLiteral("帮助"), -1, S::None, nullptr},
        {12, 13, QStringLiteral("关于"), -1, S::Modal, &open<frmabout>},
    };
    return t;
}

const Tool* byId(int id)
{
    for (const Tool& t : all())
        if (t.id == id)
            return &t;
    for (const Tool& t : heads())
        if (t.id == id)
            return &t;
    return nullptr;
}

int toolForRight(int n)
{
    for (const Tool& t : heads())
        if (t.right == n)
            return t.id;
    for (const Tool& t : all())
        if (t.right == n)
            return t.id;
    return -1;
}

}  // namespace Tools

namespace ToolWindows {

bool has(int toolId)
{
    const Tools::Tool* t = Tools::byId(toolId);
    return t && t->open;
}

QWidget* create(int toolId, QWidget* parent)
{
    const Tools::Tool* t = Tools::byId(toolId);
    return t && t->open ? t->open(parent) : nullptr;
}

}  // namespace ToolWindows
