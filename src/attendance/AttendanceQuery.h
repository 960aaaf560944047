#pragma once
#include "db/EditableGridModel.h"
#include "reports/ReportStaging.h"

#include <QDate>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QString>
#include <QStringList>
#include <QVariantList>

// Looking through the attendance rows of `datakq`: which rows a query
// selects, corrections typed into the grid, and the attendance report.
namespace AttendanceQuery {

// The chosen filters, as the operator set them; texts are trimmed here.
struct Filter {
    bool byDate = false;
    QDate first, last;
    bool byCard = false;
    QString card;
    bool byName = false;
    QString name;
    bool byDepartment = false;
    QString department;
    int order = -1;   // a position of orderItems(), or none
};

enum class Missing { None, Card, Name, Department };
// The first filter that is chosen without a value, in the order date,
// card, name, department.
Missing missing(const Filter& filter);
QString message(Missing m);

struct Statement {
    QString sql;
    QVariantList values;
};
// The rows of a filter, with the grid's columns. No filter: every row.
// What the filters keep in `db` decides how the statement reads them.
Statement statement(QSqlDatabase db, const Filter& filter);
// The same rows for the grid, executed on `db`: each with its identity
// after the columns, names sorted by fresh keys.
QSqlQuery gridQuery(QSqlDatabase db, const Filter& filter);
// No rows at all: what a print stages after a query the database refused.
Statement nothing();

// "1 按日期" … "4 按姓名".
QStringList orderItems();
// The grid's fields and captions, in order.
QStringList fields();
QStringList captions();

// The lists to pick from, from the personnel table (blank values left
// out), as executed statements for lazily loading lists.
enum class Choices { Departments, Cards, Names };
QSqlQuery choices(QSqlDatabase db, Choices which);

// Copies the rows of a statement into `datakqPT`, in its order, for the
// report "drkq.rpt".
ReportStaging report(QSqlDatabase db);
ReportOutcome stage(QSqlDatabase db, const Statement& s);

// A correction of one cell of a shown row, found by its identity.
enum class EditProblem { None, BadCard, BadDate, BadTime, BadHours, BadMinutes, KeyTaken, RowGone, Failed };
struct EditResult {
    EditProblem problem = EditProblem::None;
    QString error;
    QVariant stored;   // the value written, in its stored form
    bool ok() const { return problem == EditProblem::None; }
    QString message() const;
};
// `column` is a position of fields(); the text is checked for that column
// and stored in its stored form (times "HH:mm:ss", empty: no punch).
EditResult change(QSqlDatabase db, qint64 rowId, int column, const QString& text);
// The same, as the editable grid writes a cell.
GridCell writeCell(QSqlDatabase db, qint64 rowId, int column, const QString& text);

}  // namespace AttendanceQuery
