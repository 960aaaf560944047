#include "records/RecordQuery.h"

#include "db/NumberText.h"

#include "db/BoundQuery.h"
#include "db/DateText.h"
#include "db/NameKey.h"
#include "db/QueryWays.h"
#include "records/PollCommands.h"

#include <QSqlError>
#include <QSqlQuery>

namespace {

enum Order { ByDate, ByTime, ByAddress, ByCard, ByDepartment, ByName };

const char* const kOrders[] = {
    "ORDER BY data.日期, data.时间, data.地址, data.卡号",
    "ORDER BY data.时间",
    "ORDER BY data.地址, data.日期, data.时间",
    "ORDER BY data.卡号, data.日期, data.时间",
    "ORDER BY people.部门, data.日期, data.时间",
    "ORDER BY people.name_key, data.日期, data.时间",
};

struct Condition {
    QString sql;
    QVariantList values;
};

// The conditions and their values; the select list is the caller's.
//
// A filter that keeps few records (a card, a name, a day, one door in a
// month, an empty range) has them found by its own index and sorted.
// Otherwise every order has an index that gives its rows in order, and
// each filter that does not lead that index is tested on the rows it
// gives. Only by department, where the people are walked first and a
// building's residents pass its own door, would testing an address walk
// the records of whole buildings before the first of that door: there the
// door's records are sorted, read in card order from an index alone.
RecordStatement fromAndWhere(QSqlDatabase db, const RecordFilter& f)
{
    const bool sorted = f.order >= 0 && f.order < int(std::size(kOrders));
    const bool byPeople = sorted && (f.order == ByDepartment || f.order == ByName);
    const QString join = QStringLiteral("data.卡号 = people.卡号");
    auto range = [](const QString& column, const QVariant& first, const QVariant& last) {
        return first == last ? Condition{column + QStringLiteral(" = ?"), {first}}
                             : Condition{column + QStringLiteral(" BETWEEN ? AND ?"), {first, last}};
    };
    std::optional<Condition> days, times, address, card, name;
    if (f.days)
        days = range(QStringLiteral("data.日期"), DateText::bindDate(f.days->first), DateText::bindDate(f.days->second));
    if (f.times)
        times = range(QStringLiteral("data.时间"), DateText::bindTime(f.times->first), DateText::bindTime(f.times->second));
    if (f.address)
        address = Condition{QStringLiteral("data.地址 = ?"), {*f.address}};
    if (f.card)
        card = Condition{QStringLiteral("data.卡号 = ?"), {*f.card}};
    if (f.name)
        name = Condition{QStringLiteral("people.姓名 = ?"), {*f.name}};

    // Each filter's own index, with the day range where it follows.
    QList<QueryWays::Way> ways;
    QStringList froms;
    auto way = [&](const QString& table, std::initializer_list<const std::optional<Condition>*> seeks) {
        QueryWays::Way w{table, {}, {}};
        for (const std::optional<Condition>* c : seeks)
            if (*c) {
                w.where << (*c)->sql;
                w.values << (*c)->values;
            }
        froms << (table.startsWith(QLatin1String("people")) ? table : table + QStringLiteral(" CROSS JOIN people"));
        if (table.startsWith(QLatin1String("people")))
            w.where << join;
        ways << w;
    };
    if (card)
        way(QStringLiteral("data INDEXED BY data_card_pass"), {&card, &days});
    if (name)
        way(QStringLiteral("people INDEXED BY people_name CROSS JOIN data INDEXED BY data_card_pass"), {&name, &days});
    // A door alone is read in card order, so that each record's person
    // follows the one before.
    const QString door = days ? QStringLiteral("data INDEXED BY data_address") : QStringLiteral("data INDEXED BY data_address_card");
    if (address)
        way(door, {&address, &days});
    if (days)
        way(QStringLiteral("data INDEXED BY data_pass"), {&days});
    if (times)
        way(QStringLiteral("data INDEXED BY data_time"), {&times});
    const std::optional<qsizetype> few = QueryWays::fewest(db, ways);

    // Walked in order: which conditions the order's index seeks.
    const bool sortDoor = !few && f.order == ByDepartment && address;
    const bool walk = sorted && !few && !sortDoor;
    const bool daysSeek = f.order == ByDate || (f.order == ByAddress && address) || (f.order == ByCard && card);
    RecordStatement s;
    QStringList where{join};
    auto add = [&](const std::optional<Condition>& c, bool seek) {
        if (!c)
            return;
        where << (walk && !seek ? QStringLiteral("+") : QString()) + c->sql;
        s.values << c->values;
    };
    add(days, daysSeek);
    add(times, f.order == ByTime);
    add(address, f.order == ByAddress);
    add(card, true);
    add(name, true);
    // By department or name the people are walked first, each one's
    // records along the card's index in day and time.
    QString from = QStringLiteral("data, people");
    if (few)
        from = froms.at(*few);
    else if (sortDoor)
        from = QStringLiteral("data INDEXED BY data_address_card CROSS JOIN people");
    else if (walk && byPeople)
        from = QStringLiteral("people CROSS JOIN data");
    s.sql = QStringLiteral(" FROM ") + from + QStringLiteral(" WHERE ") + where.join(QStringLiteral(" AND "));
    if (sorted)
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

RecordStatement statement(QSqlDatabase db, const RecordFilter& filter)
{
    RecordStatement s = fromAndWhere(db, filter);
    s.sql.prepend(QStringLiteral("SELECT people.姓名, people.部门, people.职务, data.卡号, data.日期, data.时间, "
                                 "data.地址, data.flagIO, data.flag, data.rowid"));
    return s;
}

QStringList gridCaptions()
{
    return {QStringLiteral("姓名"), QStringLiteral("部门"), QStringLiteral("职务"), QStringLiteral("卡号"),
            QStringLiteral("日期"), QStringLiteral("时间"), QStringLiteral("地址"), QStringLiteral("进出标志"),
            QStringLiteral("采集标志")};
}

namespace {

// The grid's columns of the record itself, and their fields in data.
enum GridColumn { Card = 3, Day, Time, Address, Direction, Channel };
const char* const kFields[] = {"卡号", "日期", "时间", "地址", "flagIO", "flag"};
// What makes two records the same pass, as the collections see it.
const char* const kPassKey[] = {"卡号", "日期", "时间", "flag", "地址"};

GridCell checkCell(int column, const QString& text)
{
    using namespace GridText;
    switch (column) {
    case Card:
        return NumberText::isCardNumber(text) ? stored(text) : refused(QStringLiteral("卡号应为6位数字"));
    case Day:
        if (const QDate d = dateOf(text); d.isValid())
            return stored(DateText::fromDate(d));
        return refused(QStringLiteral("日期应为“年-月-日”，如2024-03-01"));
    case Time:
        if (const QTime t = timeOf(text); t.isValid())
            return stored(DateText::fromTime(t));
        return refused(QStringLiteral("时间应为“时:分:秒”，如08:30:00"));
    case Address:
        if (const auto a = NumberText::address(text))
            return stored(*a);
        return refused(QStringLiteral("地址应为0到99之间的整数"));
    case Direction:
        for (int code = 1; code <= 4; ++code)
            if (text == PassChannel::words(code))
                return stored(text);
        return refused(QStringLiteral("进出标志应为锁一进、锁一出、锁二进或锁二出"));
    case Channel:
        if (const auto f = NumberText::wholeNumber(text, 1, 4))
            return stored(*f);
        return refused(QStringLiteral("采集标志应为1到4的整数（1锁一进，2锁一出，3锁二进，4锁二出）"));
    default: return refused(QStringLiteral("这一列不能修改"));
    }
}

}  // namespace

QSet<int> recordColumns()
{
    return {Card, Day, Time, Address, Direction, Channel};
}

GridCell writeCell(QSqlDatabase db, qint64 rowId, int column, const QString& text)
{
    using GridText::refused;
    const GridCell cell = checkCell(column, text);
    if (!cell.ok())
        return cell;
    // The channel and the direction are one fact in two forms: a
    // correction of either writes both.
    GridCell written = cell;
    QHash<QString, QVariant> values{{QString::fromUtf8(kFields[column - Card]), cell.stored}};
    if (column == Channel) {
        written.alongside.insert(Direction, PassChannel::words(cell.stored.toInt()));
        values.insert(QStringLiteral("flagIO"), written.alongside.value(Direction));
    } else if (column == Direction) {
        for (int code = 1; code <= 4; ++code)
            if (PassChannel::words(code) == cell.stored.toString())
                written.alongside.insert(Channel, code);
        values.insert(QStringLiteral("flag"), written.alongside.value(Channel));
    }
    const QStringList fields = values.keys();
    QStringList sets;
    for (int i = 0; i < fields.size(); ++i)
        sets << QStringLiteral("\"%1\" = :v%2").arg(fields.at(i)).arg(i);
    // The record after the change, compared field by field with every other.
    QStringList same;
    for (const char* k : kPassKey) {
        const QString key = QString::fromUtf8(k);
        const int i = int(fields.indexOf(key));
        same << QStringLiteral("o.\"%1\" IS %2").arg(key, i >= 0 ? QStringLiteral(":v%1").arg(i) : QStringLiteral("n.\"%1\"").arg(key));
    }
    QSqlQuery q(db);
    // The field names come from the grid's own list, never from the operator.
    if (!q.prepare(QStringLiteral("UPDATE data SET %1 WHERE rowid = :id AND NOT EXISTS ("
                                  "SELECT 1 FROM data o, data n WHERE n.rowid = :id AND o.rowid <> n.rowid AND %2)")
                       .arg(sets.join(QStringLiteral(", ")), same.join(QStringLiteral(" AND ")))))
        return refused(QStringLiteral("修改未保存：%1").arg(q.lastError().text()));
    for (int i = 0; i < fields.size(); ++i)
        q.bindValue(QStringLiteral(":v%1").arg(i), values.value(fields.at(i)));
    q.bindValue(QStringLiteral(":id"), rowId);
    if (!q.exec())
        return refused(QStringLiteral("修改未保存：%1").arg(q.lastError().text()));
    if (q.numRowsAffected() == 1)
        return written;
    QSqlQuery there(db);
    there.prepare(QStringLiteral("SELECT 1 FROM data WHERE rowid = ?"));
    there.addBindValue(rowId);
    const bool exists = there.exec() && there.next();
    return refused(exists ? QStringLiteral("修改未保存：改后与另一条打卡记录（卡号、日期、时间、地址和采集标志都相同）重复")
                          : QStringLiteral("修改未保存：这条打卡记录已不存在"));
}

QSqlQuery addresses(QSqlDatabase db)
{
    return BoundQuery::distinctAlongIndex(db, QStringLiteral("data"), QStringLiteral("地址"));
}

QSqlQuery cards(QSqlDatabase db)
{
    return BoundQuery::distinctAlongIndex(db, QStringLiteral("data"), QStringLiteral("卡号"));
}

QSqlQuery names(QSqlDatabase db)
{
    NameKey::fill(db, QStringLiteral("people"));
    return BoundQuery::scrollable(
        db, QStringLiteral("SELECT DISTINCT 姓名 FROM people WHERE TRIM(COALESCE(姓名, '')) <> '' ORDER BY name_key"), {});
}

ReportStaging report(QSqlDatabase db)
{
    return ReportStaging(db, QStringLiteral("dataPT"), QStringLiteral("drda2.rpt"));
}

ReportOutcome stage(QSqlDatabase db, EditableGridModel& grid)
{
    QList<QVariantList> rows;
    for (const QVariantList& shown : grid.shownRows()) {
        bool isCode = false;
        const int code = shown.value(Channel).toInt(&isCode);
        rows << QVariantList{shown.value(0), shown.value(1), shown.value(2), shown.value(Address), shown.value(Card),
                             shown.value(Day), shown.value(Time), isCode ? PassChannel::words(code) : QString()};
    }
    return report(db).stageRows({QStringLiteral("姓名"), QStringLiteral("部门"), QStringLiteral("职务"), QStringLiteral("地址"),
                                 QStringLiteral("卡号"), QStringLiteral("日期"), QStringLiteral("时间"), QStringLiteral("flag")},
                                rows);
}

}  // namespace RecordQuery
