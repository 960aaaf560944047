#include "records/RecordQuery.h"

#include "db/NumberText.h"

#include "db/BoundQuery.h"
#include "db/DateText.h"
#include "db/NameKey.h"
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

// The conditions and their values; the select list is the caller's.
//
// Every order has an index that gives its rows in order. A card, a name
// or a single day picks few records, which the database finds by its own
// index and sorts at once. A range of days or times or an address keeps
// most records: sorting them all would hold the first page for seconds,
// so they are tested on each row the order's index gives ("+" keeps the
// database from looking them up by their own index instead), unless they
// lead that index. Only by department or name, where the people are
// walked first and people and doors go together (a building's residents
// pass its own door), would testing an address walk most people before
// the first row of one door: there the door's records are sorted.
RecordStatement fromAndWhere(const RecordFilter& f)
{
    RecordStatement s;
    const bool sorted = f.order >= 0 && f.order < int(std::size(kOrders));
    const bool byPeople = sorted && (f.order == ByDepartment || f.order == ByName);
    const bool few = f.card || f.name || (f.days && f.days->first == f.days->second) || (byPeople && f.address);
    auto test = [&](Order leading) { return sorted && !few && f.order != leading ? QStringLiteral("+") : QString(); };
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
        range(test(ByDate) + QStringLiteral("data.日期"), DateText::bindDate(f.days->first),
              DateText::bindDate(f.days->second));
    if (f.times)
        range(test(ByTime) + QStringLiteral("data.时间"), DateText::bindTime(f.times->first),
              DateText::bindTime(f.times->second));
    if (f.address) {
        where << test(ByAddress) + QStringLiteral("data.地址 = ?");
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
    // By department or name the people are walked first, each one's
    // records along the card's index in day and time.
    const bool peopleFirst = byPeople && !few;
    s.sql = (peopleFirst ? QStringLiteral(" FROM people CROSS JOIN data WHERE ") : QStringLiteral(" FROM data, people WHERE ")) +
            where.join(QStringLiteral(" AND "));
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

RecordStatement statement(const RecordFilter& filter)
{
    RecordStatement s = fromAndWhere(filter);
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

QList<int> addresses(QSqlDatabase db)
{
    QList<int> out;
    for (const QString& a : BoundQuery::distinctAlongIndex(db, QStringLiteral("data"), QStringLiteral("地址")))
        out << a.toInt();
    return out;
}

QStringList cards(QSqlDatabase db)
{
    return BoundQuery::distinctAlongIndex(db, QStringLiteral("data"), QStringLiteral("卡号"));
}

QStringList names(QSqlDatabase db)
{
    NameKey::fill(db, QStringLiteral("people"));
    return BoundQuery::firstColumn(
        db, QStringLiteral("SELECT DISTINCT 姓名 FROM people WHERE TRIM(COALESCE(姓名, '')) <> '' ORDER BY name_key"));
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
