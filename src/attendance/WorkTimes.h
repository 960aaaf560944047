#pragma once
#include "attendance/PunchSelection.h"

#include <QSqlDatabase>
#include <QString>
#include <QTime>

#include <optional>

// The one row of `owt`: the session times and the four thresholds that
// the tolerances produced. A Null field is an invalid QTime.
struct WorkTimeRow {
    SessionTimes sessions;
    QTime lateMorning;      // 迟到时间: 上班时间 + late minutes
    QTime earlyMorning;     // 早退时间: 下班时间 − early-leave minutes
    QTime lateAfternoon;    // lat: timeB + late minutes
    QTime earlyAfternoon;   // let: timeE − early-leave minutes
};

// Minutes a punch may pass the session time before it counts.
struct Tolerances {
    int late = 5;
    int early = 5;
    bool operator==(const Tolerances&) const = default;
};

namespace WorkTimes {

inline constexpr int kMaxTolerance = 720;

// What an empty table offers: 08:30–11:30 and 13:30–17:30.
SessionTimes defaults();

// The first row of `owt`; nullopt when the table has none or cannot be
// read (then `error` says why).
std::optional<WorkTimeRow> load(QSqlDatabase db, QString* error = nullptr);

// The session times when all four are stored.
std::optional<SessionTimes> sessionsOf(const WorkTimeRow& row);

// The tolerances the stored thresholds stand for, counted forward from
// the session time for lateness and back from it for early leave, round
// the clock as the thresholds were; 5 where a threshold is not stored.
Tolerances tolerancesOf(const WorkTimeRow& row);

// The row the sessions and tolerances give; thresholds past midnight keep
// their time of day (23:50 + 20 minutes is 00:10).
WorkTimeRow withThresholds(const SessionTimes& sessions, const Tolerances& tolerances);

enum class Problem { None, MorningOutOfOrder, AfternoonOutOfOrder, AfternoonBeforeMorning, ToleranceOutOfRange, Failed };
// The first thing wrong with the input, or None.
Problem check(const SessionTimes& sessions, const Tolerances& tolerances);
// The operator's text for a problem (Failed adds the database's message).
QString message(Problem problem, const QString& detail = QString());

struct SaveResult {
    Problem problem = Problem::None;
    QString error;
    bool ok() const { return problem == Problem::None; }
};
// Writes the first row of `owt`, creating it when the table is empty.
// Further rows are neither read nor changed.
SaveResult save(QSqlDatabase db, const SessionTimes& sessions, const Tolerances& tolerances);

}  // namespace WorkTimes
