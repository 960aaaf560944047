#include "cards/RemovedCardQuery.h"

#include "db/NumberText.h"

#include "cards/CardStateWords.h"
#include "db/BoundQuery.h"
#include "db/DateText.h"
#include "db/NameKey.h"
#include "db/QueryWays.h"

#include <QSqlError>
#include <QVariantList>

namespace RemovedCardQuery {

namespace {

enum Column {
    Department, Name, CardNo, PhysicalNo, Address, State1, State2, StartTime, EndTime, StartWeekday,
    EndWeekday, StartDate, EndDate, RemovedDate, ColumnCount
};

// The tables, conditions and order of a filter.
QString fromWhereAndOrder(QSqlDatabase db, const Filter& f, QVariantList& values)
{
    using QueryWays::Term;
    // Departments are one whatever the case of their letters.
    const Term terms[] = {
        {bool(f.department), QStringLiteral("部门 = ? COLLATE NOCASE"), {f.department.value_or(QString())},
         QStringLiteral("dfaka INDEXED BY dfaka_department_nocase"), false},
        {bool(f.name), QStringLiteral("姓名 = ?"), {f.name.value_or(QString())}, QStringLiteral("dfaka INDEXED BY dfaka_name"), false},
        {bool(f.card), QStringLiteral("卡号 = ?"), {f.card.value_or(QString())}, QStringLiteral("dfaka INDEXED BY dfaka_card"),
         f.order == Order::Card},
        {bool(f.removed), QStringLiteral("日期 BETWEEN ? AND ?"),
         f.removed ? QVariantList{DateText::fromDate(f.removed->first), DateText::fromDate(f.removed->second)} : QVariantList{},
         QStringLiteral("dfaka INDEXED BY dfaka_day"), f.order == Order::Date},
    };
    // A filter that keeps few is read by its own index and sorted; else
    // each row of the order's own index is tested against the filters
    // that do not lead it, so that its first rows come without sorting
    // the whole history.
    const Term* few = QueryWays::fewest(db, terms);
    QString sql = QStringLiteral(" FROM ") + (few ? few->table : QStringLiteral("dfaka"));
    const QStringList where = QueryWays::conditions(terms, f.order != Order::None && !few, values);
    if (!where.isEmpty())
        sql += QStringLiteral(" WHERE ") + where.join(QStringLiteral(" AND "));
    switch (f.order) {
    case Order::None: break;
    case Order::Department: sql += QStringLiteral(" ORDER BY 部门, 卡号, 日期"); break;
    case Order::Name: sql += QStringLiteral(" ORDER BY name_key, 日期"); break;
    case Order::Address: sql += QStringLiteral(" ORDER BY 地址, 部门, 卡号, 日期"); break;
    case Order::Card: sql += QStringLiteral(" ORDER BY 卡号, 地址, 日期"); break;
    case Order::Date: sql += QStringLiteral(" ORDER BY 日期, 部门, 卡号"); break;
    }
    return sql;
}

using GridText::dateOf;
using GridText::refused;
using GridText::stored;
using GridText::timeOf;

const QVariant kNull = QVariant(QMetaType(QMetaType::QString));

}  // namespace

QStringList orderNames()
{
    return {QStringLiteral("部门"), QStringLiteral("姓名"), QStringLiteral("卡号"), QStringLiteral("地址"),
            QStringLiteral("日期")};
}

Order orderOf(const QString& text)
{
    switch (orderNames().indexOf(text.trimmed())) {
    case 0: return Order::Department;
    case 1: return Order::Name;
    case 2: return Order::Card;
    case 3: return Order::Address;
    case 4: return Order::Date;
    default: return Order::None;
    }
}

QStringList gridCaptions()
{
    return {QStringLiteral("大厦"),     QStringLiteral("姓名"),     QStringLiteral("卡号"),
            QStringLiteral("物理卡号"), QStringLiteral("地址"),     QStringLiteral("锁一状态"),
            QStringLiteral("锁二状态"), QStringLiteral("开始时间"), QStringLiteral("截止时间"),
            QStringLiteral("开始星期"), QStringLiteral("截止星期"), QStringLiteral("开始日期"),
            QStringLiteral("截止日期"), QStringLiteral("退卡日期")};
}

QStringList gridFields()
{
    return {QStringLiteral("部门"),     QStringLiteral("姓名"),        QStringLiteral("卡号"),
            QStringLiteral("物理卡号"), QStringLiteral("地址"),        QStringLiteral("ctrl_state1"),
            QStringLiteral("ctrl_state2"), QStringLiteral("开始时间"), QStringLiteral("截止时间"),
            QStringLiteral("开始星期"), QStringLiteral("截止星期"),    QStringLiteral("开始日期"),
            QStringLiteral("截止日期"), QStringLiteral("日期")};
}

QSqlQuery gridQuery(QSqlDatabase db, const Filter& filter)
{
    QVariantList values;
    NameKey::fill(db, QStringLiteral("dfaka"));
    const QString tail = fromWhereAndOrder(db, filter, values);
    const QString select = QStringLiteral("SELECT %1, rowid").arg(gridFields().join(QStringLiteral(", ")));
    return BoundQuery::scrollable(db, select + tail, values);
}

ReportStaging report(QSqlDatabase db)
{
    return ReportStaging(db, QStringLiteral("dfakapt"), QStringLiteral("drtk.rpt"));
}

ReportOutcome stage(QSqlDatabase db, EditableGridModel& grid)
{
    const int fields[] = {Name, Department, PhysicalNo, CardNo, Address, StartDate, StartTime, StartWeekday,
                          EndDate, EndTime, EndWeekday, State1, State2};
    QStringList columns;
    for (int f : fields)
        columns << gridFields().at(f);
    QList<QVariantList> rows;
    for (const QVariantList& shown : grid.shownRows()) {
        QVariantList row;
        for (int f : fields) {
            const QVariant v = shown.value(f);
            bool isCode = false;
            const int code = v.toInt(&isCode);
            if (f == State1 || f == State2)
                row << (!v.isNull() && isCode && code >= 0 && code < 4 ? QVariant(CardStateWords::all().at(code)) : kNull);
            else
                row << v;
        }
        rows << row;
    }
    return report(db).stageRows(columns, rows);
}

QSqlQuery choices(QSqlDatabase db, Choices which)
{
    QString field;
    switch (which) {
    case Choices::Departments: field = QStringLiteral("部门"); break;
    case Choices::Names: field = QStringLiteral("姓名"); break;
    case Choices::Cards: field = QStringLiteral("卡号"); break;
    }
    QString sql = QStringLiteral("SELECT DISTINCT %1 FROM dfaka WHERE %1 IS NOT NULL").arg(field);
    // Names by pinyin, read along the key's index.
    if (which == Choices::Names) {
        NameKey::fill(db, QStringLiteral("dfaka"));
        sql += QStringLiteral(" ORDER BY name_key");
    }
    return BoundQuery::scrollable(db, sql, {});
}

Cell checkCell(int column, const QString& text)
{
    const QString caption = gridCaptions().value(column);
    switch (column) {
    case Department:
    case Name: return stored(text);
    case CardNo:
        return NumberText::isCardNumber(text) ? stored(text) : refused(QStringLiteral("卡号应为6位数字"));
    case PhysicalNo:
        return (text.size() == 10 && NumberText::allDigits(text)) ? stored(text) : refused(QStringLiteral("物理卡号应为10位数字"));
    case Address:
        if (const auto a = NumberText::address(text))
            return stored(*a);
        return refused(QStringLiteral("地址应为0到99之间的整数"));
    case State1:
    case State2:
        if (const auto s = NumberText::wholeNumber(text, 0, 3))
            return stored(*s);
        return refused(caption + QStringLiteral("应为0（进出）、1（进门）、2（出门）或3（禁止进出）"));
    case StartWeekday:
    case EndWeekday:
        if (text.isEmpty())
            return stored(kNull);
        if (const auto w = NumberText::wholeNumber(text, 0, 7))
            return stored(*w);
        return refused(caption + QStringLiteral("应为0到7的整数，空为不限"));
    case StartTime:
    case EndTime: {
        if (text.isEmpty())
            return stored(kNull);
        const QTime t = timeOf(text);
        if (t.isValid())
            return stored(DateText::fromTime(t));
        return refused(caption + QStringLiteral("应为“时:分:秒”，如08:30:00，空为不限"));
    }
    case StartDate:
    case EndDate:
    case RemovedDate: {
        if (text.isEmpty() && column != RemovedDate)
            return stored(kNull);
        const QDate d = dateOf(text);
        if (d.isValid())
            return stored(DateText::fromDate(d));
        return refused(caption + (column == RemovedDate ? QStringLiteral("应为“年-月-日”，如2024-03-01")
                                                        : QStringLiteral("应为“年-月-日”，如2024-03-01，空为不限")));
    }
    default: return refused(QStringLiteral("这一列不能修改"));
    }
}

Cell writeCell(QSqlDatabase db, qint64 rowId, int column, const QString& text)
{
    const Cell cell = checkCell(column, text);
    if (!cell.ok())
        return cell;
    QSqlQuery q(db);
    // The field name comes from the grid's own list, never from the operator.
    if (!q.prepare(QStringLiteral("UPDATE dfaka SET \"%1\" = ? WHERE rowid = ?").arg(gridFields().at(column))))
        return refused(QStringLiteral("修改未保存：%1").arg(q.lastError().text()));
    q.addBindValue(cell.stored);
    q.addBindValue(rowId);
    if (!q.exec())
        return refused(QStringLiteral("修改未保存：%1").arg(q.lastError().text()));
    if (q.numRowsAffected() != 1)
        return refused(QStringLiteral("修改未保存：这条退卡记录已不存在"));
    return cell;
}

}  // namespace RemovedCardQuery
