#pragma once
#include <QSqlDatabase>
#include <QString>
#include <QStringList>
#include <QVariantList>

#include <optional>
#include <span>

// A query with filters and an order reads its rows one of two ways. The
// rows of a filter that keeps few are found by that filter's own index
// and sorted: the cost is what the filter keeps. A filter that keeps many
// is tested on each row of the order's own index, and the first page is
// there once it is full: the cost is the rows passed over, few when most
// rows match. Which way is decided from the data, before the query runs:
// each filter's index is counted as far as a few rows more than sorting
// would take, never further, so the count itself answers at once.
namespace QueryWays {

// One index a filter is looked up by: the table with the index named
// ("data INDEXED BY data_time"), and the conditions that the index seeks,
// each with its `?` values in order.
struct Way {
    QString table;
    QStringList where;
    QVariantList values;
};

// One filter of a query: whether it is on, its condition with its values,
// the table with the index it is looked up by (as a Way's), and whether
// it leads the order's index.
struct Term {
    bool on;
    QString sql;
    QVariantList values;
    QString table;
    bool leads;
};

// The most rows that are gathered and sorted rather than walked in order:
// sorting this many costs about what walking a page of the rarest filter
// that keeps more costs, along an order's index of two million records.
constexpr int kFew = 12000;

// The position in `ways` of the way whose index keeps fewest rows, when
// that is at most kFew; none when each keeps more or there is none. A way
// that keeps none ends the count at once.
std::optional<qsizetype> fewest(QSqlDatabase db, const QList<Way>& ways);

// The term that is on whose index keeps fewest rows, as fewest() finds
// it; each term's index also seeks `along` (a range its index holds
// after it) when that is on. None when each keeps many.
const Term* fewest(QSqlDatabase db, std::span<const Term> terms, const Term* along = nullptr);

// The conditions of the terms that are on, in order, their values added
// to `values`. Where the rows are walked along the order's index, a term
// that does not lead it is tested on each row ("+" keeps the database
// from gathering its rows by their own index and sorting them all).
QStringList conditions(std::span<const Term> terms, bool walk, QVariantList& values);

}  // namespace QueryWays
