#pragma once
#include "db/PersonFields.h"
#include "reports/ReportStaging.h"

#include <QDate>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QString>
#include <QStringList>
#include <QVariantList>

#include <optional>

// The personnel records: people, their history in `dpeople`, and which
// people a window lists and prints.
namespace Personnel {

enum class Outcome { Done, EmptyCardNo, CardExists, CardMissing, CardIssued, Failed };
struct Result {
    Outcome outcome = Outcome::Done;
    QString error;   // the database's message when Failed
    bool ok() const { return outcome == Outcome::Done; }
};

// The person holding exactly this card number.
std::optional<Person> find(QSqlDatabase db, const QString& cardNo);

// True when the card is issued on at least one controller.
bool isIssued(QSqlDatabase db, const QString& cardNo);

// A new person. `photo` is written only when it is not empty.
Result add(QSqlDatabase db, const Person& person);

// Rewrites the person of `person.cardNo`; the card number itself never
// changes here, and an empty `photo` keeps the stored one.
Result change(QSqlDatabase db, const Person& person);

// Copies the person into `dpeople`, dated today, and removes them, in one
// transaction. Refused while the card is issued. CardMissing when no one
// holds the card (nothing to do).
Result remove(QSqlDatabase db, const QString& cardNo);

// Which people a window lists: everyone, or the card numbers from `first`
// to `last` compared as text (both ends included), listed in the numeric
// order of the card number.
struct Filter {
    bool range = false;
    QString first;
    QString last;
};

// The grid's columns, in order, with their captions.
QStringList gridFields();
QStringList gridCaptions();

// The executed statement of the people a filter lists, with the grid's
// columns (for a lazily loading model) ...
QSqlQuery gridQuery(QSqlDatabase db, const Filter& filter);

// The personnel report (staging table `peoplept`, template pl.rpt) ...
ReportStaging report(QSqlDatabase db);
// ... and its rows staged: every column of the people a filter lists, in
// the grid's order.
ReportOutcome stageReport(QSqlDatabase db, const Filter& filter);

// Every distinct card number, as a statement for a lazily loading list.
QSqlQuery cardNumberQuery(QSqlDatabase db);

// The department names in the table's own order.
QStringList departmentNames(QSqlDatabase db);

}  // namespace Personnel
