#pragma once
#include <array>

// The 25 rights of an operator, in the order r0 .. r24: the menu tool each
// one switches and the caption its box carries in the operators window.
namespace RightsTable {

struct Right {
    int toolId;
    const char* caption;
};

inline constexpr std::array<Right, 25> kRights = {{
    {10, "用户及权限设置"},
    {16, "数据库初始化"},
    {9, "通讯端口设置"},
    {15, "大厦管理"},
    {18, "用户信息"},
    {19, "发卡机设置"},
    {8, "门锁设置"},
    {26, "修改卡机日期时间"},
    {23, "采集设置"},
    {29, "上下班时间设置"},
    {35, "数据备份"},
    {36, "过期数据处理"},
    {17, "卡操作"},
    {25, "发卡信息重整"},
    {31, "压缩卡机"},
    {32, "增扩卡机"},
    {20, "数据采集"},
    {21, "实时监控门锁状态"},
    {34, "实时监控打卡状况"},
    {22, "发卡信息查询"},
    {33, "退卡查询"},
    {27, "打卡数据查询"},
    {28, "考勤数据查询"},
    {30, "个人月总"},
    {6, "特殊处理"},
}};

}  // namespace RightsTable
