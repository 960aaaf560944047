#pragma once
#include "admin/SystemRows.h"

#include <QSqlDatabase>
#include <QString>
#include <QTime>

#include <optional>

// The daily timed collection: on or off, and at which minute.
namespace CollectSchedule {

struct Schedule {
    qint16 type = 0;               // 1: the timed collection is on
    QString time = QStringLiteral("0");  // "HH:mm" when on, "0" when off
    bool operator==(const Schedule&) const = default;
};

// The first row of `cjtype`; nothing when the table has none.
std::optional<Schedule> load(QSqlDatabase db);

// On at the hour and minute of `at` (the seconds dropped), or off.
Schedule timed(const QTime& at);
Schedule manual();

// Stores the schedule in the first row of `cjtype` (added when there is
// none); once stored, CollectType and CollectTime take it and the
// session's scheduleChanged() tells the main window to switch its timer.
SettingsWrite save(QSqlDatabase db, const Schedule& schedule);

// Whether the collection timer runs: exactly while CollectType is 1.
bool timerOn(qint16 collectType);
// Whether a tick at `now` falls into the scheduled minute.
bool isDue(const QTime& now, const QString& collectTime);

}  // namespace CollectSchedule
