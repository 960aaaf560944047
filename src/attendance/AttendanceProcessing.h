#pragma once
#include "attendance/WorkTimes.h"

#include <QDate>
#include <QSqlDatabase>
#include <QString>

#include <functional>

// Turns the door-open records of a date range into one `datakq` row per
// person and day: the four punches, hours, lateness, early leave and
// absence against the session times of `owt`.
namespace AttendanceProcessing {

enum class Status { Done, NoWorkTimes, BadWorkTimes, Failed };

struct Outcome {
    Status status = Status::Done;
    WorkTimes::Problem problem = WorkTimes::Problem::None;   // what is wrong with stored work times
    QString error;                                           // the database's message when Failed
    int people = 0;                                          // people with punches in the range
    int rows = 0;                                            // attendance rows written
    bool ok() const { return status == Status::Done; }
    // The operator's text for a failed run.
    QString message() const;
};

// Called after each person, with how many people there are in all.
using Progress = std::function<void(int done, int total)>;

// Replaces every attendance row from `first` to `last` (both included):
// the range's rows go, and each person with records in the range gets a
// row for each day on which they punched. Records of cards no person
// holds are passed over. Reads the range once, in card, day and time
// order, and writes in one transaction: a failure leaves the table as it
// was.
Outcome run(QSqlDatabase db, const QDate& first, const QDate& last, const Progress& progress = {});

}  // namespace AttendanceProcessing
