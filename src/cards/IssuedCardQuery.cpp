#include "cards/IssuedCardQuery.h"

#include "db/NumberText.h"

#include "cards/CardStateWords.h"
#include "db/BoundQuery.h"
#include "db/NameKey.h"

#include <QVariantList>

namespace IssuedCardQuery {

namespace {

QString from()
{
    return QStringLiteral(" FROM faka JOIN people ON faka.卡号 = people.卡号");
}

// The address of a set address filter, when it is one.
std::optional<int> addressOf(const QString& text)
{
    if (text.trimmed() != text)
        return std::nullopt;
    return NumberText::address(text);
}

QString whereAndOrder(const Filter& f, QVariantList& values)
{
    // A department or an address may hold most cards: in an order of
    // another field each row of the order's index is tested ("+" keeps the
    // database from gathering the filter's rows by their own index and
    // sorting them all first).
    const bool sorted = f.order != Order::Engine;
    const QString test = sorted ? QStringLiteral("+") : QString();
    QStringList terms;
    if (f.department) {
        terms << test + QStringLiteral("people.部门 = ?");
        values << f.department->trimmed();
    }
    if (f.name) {
        terms << QStringLiteral("people.姓名 = ?");
        values << f.name->trimmed();
    }
    if (f.address) {
        terms << (f.order == Order::Address ? QString() : test) + QStringLiteral("faka.地址 = ?");
        values << addressOf(*f.address).value_or(-1);
    }
    if (f.card) {
        terms << QStringLiteral("faka.卡号 = ?");
        values << f.card->trimmed();
    }
    QString sql;
    if (!terms.isEmpty())
        sql = QStringLiteral(" WHERE ") + terms.join(QStringLiteral(" AND "));
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
    const QString tail = whereAndOrder(filter, values);
    NameKey::fill(db, QStringLiteral("people"));
    const QString select =
        QStringLiteral("SELECT people.姓名, faka.卡号, faka.地址, faka.ctrl_state1, faka.ctrl_state2, "
                       "faka.开始日期, faka.截止日期, faka.开始星期, faka.截止星期, faka.开始时间, "
                       "faka.截止时间, faka.物理卡号, people.部门, people.职务") +
        from() + tail;
    return BoundQuery::scrollable(db, select, values);
}

ReportStaging report(QSqlDatabase db)
{
    return ReportStaging(db, QStringLiteral("fakapt"), QStringLiteral("FAKA.RPT"));
}

ReportOutcome stage(QSqlDatabase db, const Filter& filter)
{
    QVariantList values = CardStateWords::bindings(2);
    const QString tail = whereAndOrder(filter, values);
    const QString select =
        QStringLiteral("SELECT faka.物理卡号 AS 物理卡号, faka.卡号 AS 卡号, faka.地址 AS 地址, "
                       "faka.开始日期 AS 开始日期, faka.开始时间 AS 开始时间, faka.开始星期 AS 开始星期, "
                       "faka.截止日期 AS 截止日期, faka.截止时间 AS 截止时间, faka.截止星期 AS 截止星期, "
                       "%1 AS ctrl_state1, %2 AS ctrl_state2")
            .arg(CardStateWords::caseOf(QStringLiteral("faka.ctrl_state1")),
                 CardStateWords::caseOf(QStringLiteral("faka.ctrl_state2"))) +
        from() + tail;
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
