#include "app/Tools.h"

namespace Tools {

namespace {
using S = Shown;
}

const QList<Tool>& heads()
{
    static const QList<Tool> h{
        {1, 0, QStringLiteral("系统设置"), -1, S::None},
        {4, 0, QStringLiteral("卡操作"), -1, S::None},
        {3, 0, QStringLiteral("采集及监视"), -1, S::None},
        {5, 0, QStringLiteral("数据查询"), -1, S::None},
        {6, 0, QStringLiteral("特殊处理"), 24, S::Modal},
        {13, 0, QStringLiteral("帮助"), -1, S::None},
    };
    return h;
}

const QList<Tool>& all()
{
    static const QList<Tool> t{
        {10, 1, QStringLiteral("用户及权限管理"), 0, S::Modal},
        {16, 1, QStringLiteral("数据库初始化"), 1, S::Modal},
        {9, 1, QStringLiteral("串口设置"), 2, S::Modal},
        {15, 1, QStringLiteral("大厦管理"), 3, S::Modeless},
        {18, 1, QStringLiteral("用户信息"), 4, S::Modal},
        {19, 1, QStringLiteral("发卡机设置"), 5, S::Modeless},
        {8, 1, QStringLiteral("门锁设置"), 6, S::Modal},
        {26, 1, QStringLiteral("修改卡机日期时间"), 7, S::Modal},
        {23, 1, QStringLiteral("采集设置"), 8, S::Modal},
        {29, 1, QStringLiteral("上下班时间设置"), 9, S::Modal},
        {35, 1, QStringLiteral("数据库备份"), 10, S::Modal},
        {36, 1, QStringLiteral("过期数据处理"), 11, S::Modal},
        {14, 1, QStringLiteral("退出"), -1, S::None},
        {17, 4, QStringLiteral("卡操作"), 12, S::Modeless},
        {25, 4, QStringLiteral("发卡信息重整"), 13, S::Modal},
        {31, 4, QStringLiteral("压缩卡机"), 14, S::Modal},
        {32, 4, QStringLiteral("增扩卡机"), 15, S::Modal},
        {20, 3, QStringLiteral("数据采集"), 16, S::Modal},
        {37, 3, QStringLiteral("考勤数据整理"), -1, S::Modal},
        {21, 3, QStringLiteral("实时监视门锁状态"), 17, S::Modal},
        {34, 3, QStringLiteral("实时监控打卡状况"), 18, S::Modal},
        {24, 3, QStringLiteral("自动采集"), -1, S::Modal},
        {22, 5, QStringLiteral("发卡信息查询"), 19, S::Modal},
        {33, 5, QStringLiteral("退卡查询"), 20, S::Modal},
        {27, 5, QStringLiteral("打卡数据查询"), 21, S::Modal},
        {28, 5, QStringLiteral("考勤数据查询"), 22, S::Modal},
        {30, 5, QStringLiteral("个人月总查询"), 23, S::Modal},
        {11, 13, QStringLiteral("帮助"), -1, S::None},
        {12, 13, QStringLiteral("关于"), -1, S::Modal},
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
