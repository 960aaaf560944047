#include "cards/IssuedCardQuery.h"

#include "db/NumberText.h"

#include "cards/CardStateWords.h"
#include "db/BoundQuery.h"
#include "db/NameKey.h"
#include "db/QueryWays.h"

#include <QVariantList>

namespace IssuedCardQuery {

namespace {

// The address of a set address filter, when it is one.
std::optional<int> addressOf(const QString& text)
{
    if (text.trimmed() != text)
        return std::nullopt;
    return NumberText::address(text);
}

// The tables, conditions and order of a filter.
QString fromWhereAndOrder(QSqlDatabase db, const Filter& f, QVariantList& values)
{
    using QueryWays::Term;
    // Departments are one whatever the case of their letters.
    const Term terms[] = {
        {bool(f.department), QStringLiteral("people.部门 = ? COLLATE NOCASE"), {f.department.value_or(QString()).trimmed()},
         QStringLiteral("people INDEXED BY people_department_nocase"), false},
        {bool(f.name), QStringLiteral("people.姓名 = ?"), {f.name.value_or(QString()).trimmed()},
         QStringLiteral("people INDEXED BY people_name"), true},
        {bool(f.address), QStringLiteral("faka.地址 = ?"), {addressOf(f.address.value_or(QString())).value_or(-1)},
         QStringLiteral("faka INDEXED BY sqlite_autoindex_faka_1"), f.order == Order::Address},
        {bool(f.card), QStringLiteral("faka.卡号 = ?"), {f.card.value_or(QString()).trimmed()},
         QStringLiteral("faka INDEXED BY faka_kh"), true},
    };
    const Term* few = QueryWays::fewest(db, terms);
    const QString join = QStringLiteral(" ON faka.卡号 = people.卡号");
    QString sql = QStringLiteral(" FROM faka JOIN people") + join;
    if (few) {
        // The few rows of one filter, from its own index, then sorted.
        sql = QStringLiteral(" FROM ") + few->table +
              (few->table.startsWith(QLatin1String("people")) ? QStringLiteral(" CROSS JOIN faka") : QStringLiteral(" CROSS JOIN people")) +
              join;
    }
    // Many rows: in an order of another field each row of the order's
    // index is tested.
    const QStringList where = QueryWays::conditions(terms, f.order != Order::Engine && !few, values);
    if (!where.isEmpty())
        sql += QStringLiteral(" WHERE ") + where.join(QStringLiteral(" AND "));
    switch (f.order) {
    case Order::Engine: break;
    // Each follows an index: the holders' names walk people first.
    case Order::Address: sql += QStringLiteral(" ORDER BY faka.地址"); break;
    case Order::Card: sql += QStringLiteral(" ORDER BY faka.卡号"); break;
    case Order::Name: sql += QStringLiteral(" ORDER BY people.name_key"); break;
    }
    return sql;
}

}  // namespace

QStringList orderItems()
{
    return {QStringLiteral("1 按地址"), QStringLiteral("2 按卡号"), QStringLiteral("3 按姓名")};
}

Order orderOf(const QString& text)
{
    switch (orderItems().indexOf(text)) {
    case 0: return Order::Address;
    case 1: return Order::Card;
    case 2: return Order::Name;
    default: return Order::Engine;
    }
}

QString refusal(const Filter& f)
{
    if (f.department && f.department->trimmed().isEmpty())
        return QStringLiteral("请输入部门");
    if (f.name && f.name->trimmed().isEmpty())
        return QStringLiteral("请输入姓名");
    if (f.address && f.address->isEmpty())
        return QStringLiteral("请选择地址");
    if (f.address && !addressOf(*f.address))
        return QStringLiteral("地址应为0到99之间的整数");
    if (f.card && f.card->trimmed().isEmpty())
        return QStringLiteral("请输入卡号");
    return QString();
}

QStringList gridCaptions()
{
    return {QStringLiteral("姓名"),     QStringLiteral("卡号"),     QStringLiteral("地址"),
            QStringLiteral("锁一"),     QStringLiteral("锁二"),     QStringLiteral("开始日期"),
            QStringLiteral("截止日期"), QStringLiteral("开始星期"), QStringLiteral("截止星期"),
            QStringLiteral("开始时间"), QStringLiteral("截止时间"), QStringLiteral("物理卡号"),
            QStringLiteral("大厦"),     QStringLiteral("职位")};
}

QSqlQuery gridQuery(QSqlDatabase db, const Filter& filter)
{
    QVariantList values;
    NameKey::fill(db, QStringLiteral("people"));
    const QString tail = fromWhereAndOrder(db, filter, values);
    const QString select =
        QStringLiteral("SELECT people.姓名, faka.卡号, faka.地址, faka.ctrl_state1, faka.ctrl_state2, "
                       "faka.开始日期, faka.截止日期, faka.开始星期, faka.截止星期, faka.开始时间, "
                       "faka.截止时间, faka.物理卡号, people.部门, people.职务") +
        tail;
    return BoundQuery::scrollable(db, select, values);
}

ReportStaging report(QSqlDatabase db)
{
    return ReportStaging(db, QStringLiteral("fakapt"), QStringLiteral("FAKA.RPT"));
}

ReportOutcome stage(QSqlDatabase db, const Filter& filter)
{
    QVariantList values = CardStateWords::bindings(2);
    const QString tail = fromWhereAndOrder(db, filter, values);
    const QString select =
        QStringLiteral("SELECT faka.物理卡号 AS 物理卡号, faka.卡号 AS 卡号, faka.地址 AS 地址, "
                       "faka.开始日期 AS 开始日期, faka.开始时间 AS 开始时间, faka.开始星期 AS 开始星期, "
                       "faka.截止日期 AS 截止日期, faka.截止时间 AS 截止时间, faka.截止星期 AS 截止星期, "
                       "%1 AS ctrl_state1, %2 AS ctrl_state2")
            .arg(CardStateWords::caseOf(QStringLiteral("faka.ctrl_state1")),
                 CardStateWords::caseOf(QStringLiteral("faka.ctrl_state2"))) +
        tail;
    return report(db).stage(select, values);
}

QSqlQuery choices(QSqlDatabase db, Choices which)
{
    QString sql;
    switch (which) {
    // The departments of the holders of issued cards. Few departments hold
    // many cards: scanning the holders once beats joining every card.
    case Choices::Departments:
        sql = QStringLiteral("SELECT DISTINCT 部门 FROM people WHERE 部门 IS NOT NULL AND "
                             "EXISTS (SELECT 1 FROM faka WHERE faka.卡号 = people.卡号)");
        break;
    // The holders' names by pinyin, read along the key's index.
    case Choices::Names:
        NameKey::fill(db, QStringLiteral("people"));
        sql = QStringLiteral("SELECT DISTINCT 姓名 FROM people WHERE 姓名 IS NOT NULL AND "
                             "EXISTS (SELECT 1 FROM faka WHERE faka.卡号 = people.卡号) ORDER BY name_key");
        break;
    case Choices::Addresses: sql = QStringLiteral("SELECT DISTINCT 地址 FROM faka"); break;
    case Choices::Cards: sql = QStringLiteral("SELECT DISTINCT 卡号 FROM faka"); break;
    }
    return BoundQuery::scrollable(db, sql, {});
}

}  // namespace IssuedCardQuery
