#include "cards/CardRows.h"

#include "db/NameKey.h"
#include "db/DateText.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>

namespace {

bool fail(const QSqlQuery& q, QString* error)
{
    if (error)
        *error = q.lastError().text();
    return false;
}

}  // namespace

namespace CardRows {

StoredLimits stored(const CardLimits& limits)
{
    StoredLimits s;
    s.startDate = s.endDate = QVariant(QMetaType::fromType<QString>());
    s.startTime = s.endTime = QVariant(QMetaType::fromType<QString>());
    s.weekStart = s.weekEnd = QVariant(QMetaType::fromType<int>());
    if (limits.hasDateRange()) {
        s.startDate = DateText::fromDate(limits.startDate);
        s.endDate = DateText::fromDate(limits.endDate);
    }
    if (limits.weekStart != 0 || limits.weekEnd != 0) {
        s.weekStart = limits.weekStart;
        s.weekEnd = limits.weekEnd;
    }
    if (limits.hasTimeRange()) {
        s.startTime = DateText::fromTime(limits.startTime);
        s.endTime = DateText::fromTime(limits.endTime);
    }
    return s;
}

bool insertIssued(QSqlDatabase db, int address, const QString& card, const QString& physical,
                  const CardLimits& limits, QString* error)
{
    const StoredLimits s = stored(limits);
    QSqlQuery q(db);
    q.prepare(QStringLiteral("INSERT INTO faka (地址, 卡号, 物理卡号, ctrl_state1, ctrl_state2, 开始日期, 截止日期, "
                             "开始星期, 截止星期, 开始时间, 截止时间) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"));
    for (const QVariant& v : {QVariant(address), QVariant(card), QVariant(physical), QVariant(limits.lock1Mode),
                              QVariant(limits.lock2Mode), s.startDate, s.endDate, s.weekStart, s.weekEnd,
                              s.startTime, s.endTime})
        q.addBindValue(v);
    if (!q.exec())
        return fail(q, error);
    return true;
}

std::optional<bool> holds(QSqlDatabase db, int address, const QString& card, QString* error)
{
    QSqlQuery q(db);
    q.prepare(QStringLiteral("SELECT 1 FROM faka WHERE 地址 = ? AND 卡号 = ?"));
    q.addBindValue(address);
    q.addBindValue(card);
    if (q.exec() && q.next())
        return true;
    if (!q.lastError().isValid())
        return false;
    if (error)
        *error = q.lastError().text();
    return std::nullopt;
}

bool moveToHistory(QSqlDatabase db, int address, const QString& card, const QDate& day, QString* error)
{
    QSqlQuery copy(db);
    copy.prepare(QStringLiteral(
        "INSERT INTO dfaka (地址, 卡号, 开始日期, 截止日期, 开始星期, 截止星期, 开始时间, 截止时间, 物理卡号, "
        "姓名, 部门, ctrl_state1, ctrl_state2, 日期) "
        "SELECT 地址, 卡号, 开始日期, 截止日期, 开始星期, 截止星期, 开始时间, 截止时间, 物理卡号, "
        "NULLIF(姓名, ''), NULLIF(部门, ''), ctrl_state1, ctrl_state2, ? FROM fakapl WHERE 地址 = ? AND 卡号 = ?"));
    copy.addBindValue(DateText::fromDate(day));
    copy.addBindValue(address);
    copy.addBindValue(card);
    if (!copy.exec())
        return fail(copy, error);
    NameKey::fill(db, QStringLiteral("dfaka"));
    QSqlQuery del(db);
    del.prepare(QStringLiteral("DELETE FROM faka WHERE 地址 = ? AND 卡号 = ?"));
    del.addBindValue(address);
    del.addBindValue(card);
    if (!del.exec())
        return fail(del, error);
    return true;
}

}  // namespace CardRows
