#pragma once
#include "db/EditableGridModel.h"
#include "reports/ReportStaging.h"

#include <QDate>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QString>
#include <QStringList>
#include <QVariant>

#include <optional>

// The history of removed cards, `dfaka`: which rows a query lists and in
// which order, the removed-card report, and corrections typed into the
// grid. Writes only `dfaka` (corrections) and the staging table `dfakapt`.
namespace RemovedCardQuery {

enum class Order { None, Department, Name, Card, Address, Date };

// A filter is set when its box is checked. Texts are compared exactly as
// they stand; the removal dates include both ends.
struct Filter {
    std::optional<QString> department;   // 部门
    std::optional<QString> name;         // 姓名
    std::optional<QString> card;         // 卡号
    std::optional<std::pair<QDate, QDate>> removed;   // 日期, first and last day
    Order order = Order::None;
};

// The names of the orders in the order list, and the order a text names
// (blanks around it ignored); any other text gives no order.
QStringList orderNames();
Order orderOf(const QString& text);

// The grid's columns: captions and the fields they show.
QStringList gridCaptions();
QStringList gridFields();

// The executed statement of a filter for a grid that reads its rows
// lazily: the grid's fields, then the row identity `rowid` as one more
// column. A statement the database refused is not active and carries the
// error.
QSqlQuery gridQuery(QSqlDatabase db, const Filter& filter);

// The removed-card report: its staging table and template.
ReportStaging report(QSqlDatabase db);
// Stages every row `grid` shows (its statement's and corrections), in its
// order, into `dfakapt`: the fields unchanged but for the removal date
// (left out) and the two passing modes (as words).
ReportOutcome stage(QSqlDatabase db, EditableGridModel& grid);

// The choices of the filter boxes, as executed statements for lazily
// loading lists (one column, no Null).
enum class Choices { Departments, Names, Cards };
QSqlQuery choices(QSqlDatabase db, Choices which);

// A value typed into a cell of the grid's column `column`: the value to
// store, or why it is refused.
using Cell = GridCell;
Cell checkCell(int column, const QString& text);
// Checks the value and writes it into the row with that identity.
Cell writeCell(QSqlDatabase db, qint64 rowId, int column, const QString& text);

}  // namespace RemovedCardQuery
