#pragma once
#include "reports/ReportStaging.h"

#include <QSqlDatabase>
#include <QSqlQuery>
#include <QString>
#include <QStringList>

#include <optional>

// The issued cards together with their holders: which cards a query lists,
// in which order, and the issued-card report. Only reads `faka` and
// `people`; the one table written is the report's staging table `fakapt`.
namespace IssuedCardQuery {

enum class Order { Engine, Address, Card, Name };

// A filter is set when its box is ticked, with the box's text as the
// operator left it. Every set filter must match.
struct Filter {
    std::optional<QString> department;   // 大厦
    std::optional<QString> name;         // 姓名
    std::optional<QString> address;      // 地址: a whole number 0 to 99
    std::optional<QString> card;         // 卡号
    Order order = Order::Engine;
};

// The items of the order list, and the order an item's text chooses; any
// other text keeps the order the database gives.
QStringList orderItems();
Order orderOf(const QString& text);

// The message for the first set filter without a usable value, checked in
// the order department, name, address, card; empty when the filter may run.
QString refusal(const Filter& filter);

// The grid's column captions, in order.
QStringList gridCaptions();

// The executed statement of a filter that passed refusal(), for a grid
// that reads its rows lazily. A statement the database refused is not
// active and carries the error.
QSqlQuery gridQuery(QSqlDatabase db, const Filter& filter);

// The issued-card report: its staging table and template.
ReportStaging report(QSqlDatabase db);
// Stages every row the filter lists, in the grid's order, into `fakapt`:
// the card's fields unchanged and the two passing modes as words.
ReportOutcome stage(QSqlDatabase db, const Filter& filter);

// The choices of the filter boxes, as executed statements for lazily
// loading lists (one column, no Null).
enum class Choices { Departments, Names, Addresses, Cards };
QSqlQuery choices(QSqlDatabase db, Choices which);

}  // namespace IssuedCardQuery
