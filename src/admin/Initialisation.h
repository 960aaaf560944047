#pragma once
#include <QSqlDatabase>
#include <QString>

#include <functional>

// Returns the database to the state of a new installation: the tables of
// operators, departments, controllers, people, cards, records and
// attendance are emptied, the built-in operator is written and the five
// `system` rows are reset, with `titlePrefix` (taken as typed) as the
// prefix of the main window's title. The collection schedule, the work
// times, `asta` and the report staging tables are kept.
namespace Initialisation {

inline constexpr int kSteps = 12;

struct Outcome {
    bool ok = false;
    QString error;
};

// Runs in one transaction: it completes or changes nothing. `progress` is
// told the number of each step (1 to kSteps) before the step runs.
Outcome run(QSqlDatabase db, const QString& titlePrefix, const std::function<void(int)>& progress = {});

}  // namespace Initialisation
