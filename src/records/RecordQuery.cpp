#include "records/RecordQuery.h"

#include "db/NumberText.h"

#include "db/BoundQuery.h"
#include "db/DateText.h"
#include "records/PollCommands.h"

#include <QSqlQuery>

namespace {

const char* const kOrders[] = {
    "ORDER BY data.日期, data.时间, data.地址, data.卡号",
    "ORDER BY data.时间",
    "ORDER BY data.地址, data.日期, data.时间",
    "ORDER BY data.卡号, data.日期, data.时间",
    "ORDER BY people.部门, data.日期, data.时间",
    "ORDER BY people.姓名, data.日期, data.时间",
};

// The conditions and their values; the select list is the caller's.
RecordStatement fromAndWhere(const RecordFilter& f)
{
    RecordStatement s;
    QStringList where{QStringLiteral("data.卡号 = people.卡号")};
    auto range = [&](const QString& column, const QVariant& first, const QVariant& last) {
        if (first == last) {
            where << column + QStringLiteral(" = ?");
            s.values << first;
        } else {
            where << column + QStringLiteral(" BETWEEN ? AND ?");
            s.values << first << last;
        }
    };
    if (f.days)
        range(QStringLiteral("data.日期"), DateText::bindDate(f.days->first), DateText::bindDate(f.days->second));
    if (f.times)
        range(QStringLiteral("data.时间"), DateText::bindTime(f.times->first), DateText::bindTime(f.times->second));
    if (f.address) {
        where << QStringLiteral("data.地址 = ?");
        s.values << *f.address;
    }
    if (f.card) {
        where << QStringLiteral("data.卡号 = ?");
        s.values << *f.card;
    }
    if (f.name) {
        where << QStringLiteral("people.姓名 = ?");
        s.values << *f.name;
    }
    s.sql = QStringLiteral(" FROM data, people WHERE ") + where.join(QStringLiteral(" AND "));
    if (f.order >= 0 && f.order < int(std::size(kOrders)))
        s.sql += QLatin1Char(' ') + QString::fromUtf8(kOrders[f.order]);
    return s;
}

}  // namespace

namespace RecordQuery {

QStringList orderItems()
{
    return {QStringLiteral("1 按日期"), QStringLiteral("2 按时间"), QStringLiteral("3 按地址"),
            QStringLiteral("4 按卡号"), QStringLiteral("5 按部门"), QStringLiteral("6 按姓名")};
}

std::variant<RecordFilter, QString> check(const RecordQueryInput& in)
{
    RecordFilter f;
    if (in.byDate)
        f.days = std::pair(in.firstDay, in.lastDay);
    if (in.byTime)
        f.times = std::pair(in.firstTime, in.lastTime);
    if (in.byAddress) {
        const std::optional<int> a = NumberText::address(in.address);
        if (!a)
            return QStringLiteral("请选择地址");
        f.address = *a;
    }
    if (in.byCard) {
        const QString card = in.card.trimmed();
        if (card.isEmpty())
            return QStringLiteral("请选择卡号");
        f.card = card;
    }
    if (in.byName) {
        const QString name = in.name.trimmed();
        if (name.isEmpty())
            return QStringLiteral("请选择姓名");
        f.name = name;
    }
    f.order = in.order;
    return f;
}

RecordStatement statement(const RecordFilter& filter)
{
    RecordStatement s = fromAndWhere(filter);
    s.sql.prepend(QStringLiteral("SELECT people.姓名, people.部门, people.职务, data.卡号, data.日期, data.时间, "
                                 "data.地址, data.flagIO, data.flag"));
    return s;
}

QList<int> addresses(QSqlDatabase db)
{
    QList<int> out;
    for (const QString& a : BoundQuery::firstColumn(
             db, QStringLiteral("SELECT DISTINCT 地址 FROM data WHERE 地址 IS NOT NULL ORDER BY 地址")))
        out << a.toInt();
    return out;
}

QStringList cards(QSqlDatabase db)
{
    // One index seek per distinct card instead of a walk over every record.
    return BoundQuery::firstColumn(db, QStringLiteral("WITH RECURSIVE c(k) AS ("
                                     " SELECT MIN(卡号) FROM data"
                                     " UNION ALL"
                                     " SELECT (SELECT MIN(卡号) FROM data WHERE 卡号 > c.k) FROM c WHERE c.k IS NOT NULL)"
                                     " SELECT k FROM c WHERE k IS NOT NULL"));
}

QStringList names(QSqlDatabase db)
{
    return BoundQuery::firstColumn(
        db, QStringLiteral("SELECT DISTINCT 姓名 FROM people WHERE TRIM(COALESCE(姓名, '')) <> '' ORDER BY 姓名"));
}

ReportStaging report(QSqlDatabase db)
{
    return ReportStaging(db, QStringLiteral("dataPT"), QStringLiteral("drda2.rpt"));
}

ReportOutcome stage(QSqlDatabase db, const std::optional<RecordFilter>& filter)
{
    ReportStaging r = report(db);
    if (!filter)
        return r.stageRows({QStringLiteral("姓名")}, {});
    RecordStatement s = fromAndWhere(*filter);
    s.sql.prepend(QStringLiteral("SELECT people.姓名 AS 姓名, people.部门 AS 部门, people.职务 AS 职务, data.地址 AS 地址, "
                                 "data.卡号 AS 卡号, data.日期 AS 日期, data.时间 AS 时间, "
                                 "CASE data.flag WHEN 1 THEN ? WHEN 2 THEN ? WHEN 3 THEN ? WHEN 4 THEN ? ELSE '' END AS flag"));
    QVariantList values;
    for (int code = 1; code <= 4; ++code)
        values << PassChannel::words(code);
    return r.stage(s.sql, values + s.values);
}

}  // namespace RecordQuery
