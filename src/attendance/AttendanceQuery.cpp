#include "attendance/AttendanceQuery.h"

#include "db/BoundQuery.h"
#include "db/DateText.h"
#include "db/NumberText.h"
#include "db/NameKey.h"
#include "db/QueryWays.h"
#include "db/Transaction.h"

#include <QRegularExpression>
#include <QSqlError>
#include <QSqlQuery>

namespace AttendanceQuery {

namespace {

enum Column { Name, Card, Day, Time1, Time2, Time3, Time4, Hours, Late, LeftEarly, Absent, Department, Position };

// "8:5", "08:05" and "08:05:09" are times; anything else is not.
QTime typedTime(const QString& text)
{
    static const QRegularExpression re(QStringLiteral("^(\\d{1,2}):(\\d{1,2})(?::(\\d{1,2}))?$"));
    const QRegularExpressionMatch m = re.match(text);
    if (!m.hasMatch())
        return {};
    return QTime(m.captured(1).toInt(), m.captured(2).toInt(), m.captured(3).isEmpty() ? 0 : m.captured(3).toInt());
}

EditResult problem(EditProblem p, const QString& error = QString())
{
    return EditResult{p, error, QVariant()};
}

}  // namespace

Missing missing(const Filter& f)
{
    if (f.byCard && f.card.trimmed().isEmpty())
        return Missing::Card;
    if (f.byName && f.name.trimmed().isEmpty())
        return Missing::Name;
    if (f.byDepartment && f.department.trimmed().isEmpty())
        return Missing::Department;
    return Missing::None;
}

QString message(Missing m)
{
    switch (m) {
    case Missing::None: return QString();
    case Missing::Card: return QStringLiteral("请选择卡号");
    case Missing::Name: return QStringLiteral("请选择姓名");
    case Missing::Department: return QStringLiteral("请选择部门");
    }
    return QString();
}

Statement nothing()
{
    return {QStringLiteral("SELECT * FROM datakqPT WHERE 0"), {}};
}

namespace {

Statement select(QSqlDatabase db, const Filter& f, const QString& columns)
{
    using QueryWays::Term;
    QVariantList days{DateText::bindDate(f.first)};
    if (f.first != f.last)
        days << DateText::bindDate(f.last);
    // Departments are one whatever the case of their letters.
    const Term terms[] = {
        {f.byDate, days.size() == 1 ? QStringLiteral("日期 = ?") : QStringLiteral("日期 BETWEEN ? AND ?"), days,
         QStringLiteral("datakq INDEXED BY datakq_day"),
         f.order == 0 || (f.order == 1 && f.byCard) || (f.order == 2 && f.byDepartment)},
        {f.byCard, QStringLiteral("卡号 = ?"), {f.card.trimmed()}, QStringLiteral("datakq INDEXED BY sqlite_autoindex_datakq_1"),
         f.order == 1},
        {f.byName, QStringLiteral("姓名 = ?"), {f.name.trimmed()}, QStringLiteral("datakq INDEXED BY datakq_name"), false},
        {f.byDepartment, QStringLiteral("部门 = ? COLLATE NOCASE"), {f.department.trimmed()},
         QStringLiteral("datakq INDEXED BY datakq_department"), f.order == 2},
    };
    // A filter that keeps few is read by its own index (which seeks the
    // day range after it) and sorted; else each row of the order's own
    // index is tested against the filters that do not lead it, not
    // gathered and sorted whole.
    const Term* few = QueryWays::fewest(db, terms, &terms[0]);
    Statement s;
    const QStringList where = QueryWays::conditions(terms, f.order >= 0 && !few, s.values);
    s.sql = QStringLiteral("SELECT %1 FROM %2").arg(columns, few ? few->table : QStringLiteral("datakq"));
    if (!where.isEmpty())
        s.sql += QStringLiteral(" WHERE ") + where.join(QStringLiteral(" AND "));
    static const char* orders[] = {" ORDER BY 日期, 卡号", " ORDER BY 卡号, 日期", " ORDER BY 部门 COLLATE NOCASE, 日期",
                                   " ORDER BY name_key, 日期"};
    if (f.order >= 0 && f.order < int(std::size(orders)))
        s.sql += QString::fromUtf8(orders[f.order]);
    return s;
}

}  // namespace

Statement statement(QSqlDatabase db, const Filter& f)
{
    return select(db, f, fields().join(QStringLiteral(", ")));
}

QSqlQuery gridQuery(QSqlDatabase db, const Filter& f)
{
    NameKey::fill(db, QStringLiteral("datakq"));
    const Statement s = select(db, f, fields().join(QStringLiteral(", ")) + QStringLiteral(", rowid"));
    return BoundQuery::scrollable(db, s.sql, s.values);
}

QStringList orderItems()
{
    return {QStringLiteral("1 按日期"), QStringLiteral("2 按卡号"), QStringLiteral("3 按部门"), QStringLiteral("4 按姓名")};
}

QStringList fields()
{
    return {QStringLiteral("姓名"), QStringLiteral("卡号"),  QStringLiteral("日期"),   QStringLiteral("时间1"),
            QStringLiteral("时间2"), QStringLiteral("时间3"), QStringLiteral("时间4"),  QStringLiteral("hrs"),
            QStringLiteral("late"),  QStringLiteral("leavee"), QStringLiteral("absent"), QStringLiteral("部门"),
            QStringLiteral("职务")};
}

QStringList captions()
{
    return {QStringLiteral("姓名"), QStringLiteral("卡号"), QStringLiteral("日期"), QStringLiteral("时间1"),
            QStringLiteral("时间2"), QStringLiteral("时间3"), QStringLiteral("时间4"), QStringLiteral("时数"),
            QStringLiteral("迟到"), QStringLiteral("早退"), QStringLiteral("缺席"), QStringLiteral("大厦"),
            QStringLiteral("职位")};
}

QSqlQuery choices(QSqlDatabase db, Choices which)
{
    // Each list is read along its own index, so that its first rows come
    // at once; the names by pinyin.
    QString sql;
    switch (which) {
    case Choices::Departments:
        sql = QStringLiteral("SELECT DISTINCT 部门 FROM people WHERE trim(部门) <> '' ORDER BY 部门");
        break;
    case Choices::Cards: sql = QStringLiteral("SELECT DISTINCT 卡号 FROM people WHERE trim(卡号) <> '' ORDER BY 卡号"); break;
    case Choices::Names:
        NameKey::fill(db, QStringLiteral("people"));
        sql = QStringLiteral("SELECT DISTINCT 姓名 FROM people WHERE trim(姓名) <> '' ORDER BY name_key");
        break;
    }
    return BoundQuery::scrollable(db, sql, {});
}

ReportStaging report(QSqlDatabase db)
{
    return ReportStaging(db, QStringLiteral("datakqPT"), QStringLiteral("drkq.rpt"));
}

ReportOutcome stage(QSqlDatabase db, const Statement& s)
{
    return report(db).stage(s.sql, s.values);
}

QString EditResult::message() const
{
    switch (problem) {
    case EditProblem::None: return QString();
    case EditProblem::BadCard: return QStringLiteral("卡号应为6位数字，修改没有保存。");
    case EditProblem::BadDate: return QStringLiteral("日期应写成“2004-03-05”的样子，修改没有保存。");
    case EditProblem::BadTime:
        return QStringLiteral("时间应写成“08:30”或“08:30:00”的样子，没有打卡的留空；修改没有保存。");
    case EditProblem::BadHours: return QStringLiteral("时数应为0到24之间的数，修改没有保存。");
    case EditProblem::BadMinutes: return QStringLiteral("分钟数应为0到1440之间的整数，修改没有保存。");
    case EditProblem::KeyTaken: return QStringLiteral("这张卡在这一天已有考勤记录，修改没有保存。");
    case EditProblem::RowGone: return QStringLiteral("这条考勤记录已不在了，修改没有保存。");
    case EditProblem::Failed: return QStringLiteral("修改没有保存：%1").arg(error);
    }
    return error;
}

EditResult change(QSqlDatabase db, qint64 rowId, int column, const QString& typed)
{
    const QString text = typed.trimmed();
    QVariant value;
    switch (column) {
    case Name:
    case Department:
    case Position:
        value = typed;
        break;
    case Card:
        if (!NumberText::isCardNumber(text))
            return problem(EditProblem::BadCard);
        value = text;
        break;
    case Day: {
        const QDate d = GridText::dateOf(text);
        if (!d.isValid())
            return problem(EditProblem::BadDate);
        value = DateText::fromDate(d);
        break;
    }
    case Time1:
    case Time2:
    case Time3:
    case Time4: {
        if (text.isEmpty()) {
            value = QVariant(QMetaType(QMetaType::QString));
            break;
        }
        const QTime t = typedTime(text);
        if (!t.isValid())
            return problem(EditProblem::BadTime);
        value = DateText::fromTime(t);
        break;
    }
    case Hours: {
        bool ok = false;
        const double h = text.toDouble(&ok);
        if (!ok || h < 0 || h > 24)
            return problem(EditProblem::BadHours);
        value = qRound(h * 100) / 100.0;
        break;
    }
    case Late:
    case LeftEarly:
    case Absent: {
        bool ok = false;
        const int m = text.toInt(&ok);
        if (!ok || m < 0 || m > 24 * 60)
            return problem(EditProblem::BadMinutes);
        value = m;
        break;
    }
    default:
        return problem(EditProblem::Failed, QStringLiteral("no such column"));
    }

    Transaction tx(db);
    QSqlQuery q(db);
    if (!tx.begun())
        return problem(EditProblem::Failed, db.lastError().text());
    if (column == Card || column == Day) {
        // Another row already under the key the change would give this one.
        q.prepare(QStringLiteral("SELECT count(*) FROM datakq o, datakq n WHERE n.rowid = ? AND o.rowid <> n.rowid "
                                 "AND o.卡号 = %1 AND o.日期 = %2")
                      .arg(column == Card ? QStringLiteral("?") : QStringLiteral("n.卡号"),
                           column == Day ? QStringLiteral("?") : QStringLiteral("n.日期")));
        q.addBindValue(rowId);
        q.addBindValue(value);
        if (!q.exec() || !q.next())
            return problem(EditProblem::Failed, q.lastError().text());
        if (q.value(0).toInt() > 0)
            return problem(EditProblem::KeyTaken);
        q.finish();
    }
    // The field name comes from the grid's own list, never from the operator.
    q.prepare(QStringLiteral("UPDATE datakq SET %1 = ? WHERE rowid = ?").arg(fields().at(column)));
    q.addBindValue(value);
    q.addBindValue(rowId);
    if (!q.exec())
        return problem(EditProblem::Failed, q.lastError().text());
    if (q.numRowsAffected() == 0)
        return problem(EditProblem::RowGone);
    if (!tx.commit())
        return problem(EditProblem::Failed, db.lastError().text());
    return EditResult{EditProblem::None, QString(), value};
}

GridCell writeCell(QSqlDatabase db, qint64 rowId, int column, const QString& text)
{
    const EditResult r = change(db, rowId, column, text);
    return r.ok() ? GridText::stored(r.stored) : GridText::refused(r.message());
}

}  // namespace AttendanceQuery
