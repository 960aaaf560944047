#pragma once
#include <QDate>
#include <QList>
#include <QTime>

#include <optional>

// The four session times of the working day, as stored in `owt`.
struct SessionTimes {
    QTime morningStart;     // 上班时间
    QTime morningEnd;       // 下班时间
    QTime afternoonStart;   // timeB
    QTime afternoonEnd;     // timeE
};

// One card's four punches of one day; an empty slot is a missing punch.
struct DayPunches {
    std::optional<QTime> morningIn;      // 时间1
    std::optional<QTime> morningOut;     // 时间2
    std::optional<QTime> afternoonIn;    // 时间3
    std::optional<QTime> afternoonOut;   // 时间4

    bool none() const { return !morningIn && !morningOut && !afternoonIn && !afternoonOut; }
    bool operator==(const DayPunches&) const = default;
};

// What the day's punches come to. Hours are kept in hundredths so that
// a sum of two rounded sessions stays exact.
struct DayCounts {
    int hundredthsWorked = 0;   // hrs × 100
    int late = 0;               // minutes
    int leftEarly = 0;          // leavee, minutes
    int absent = 0;             // minutes
    double hours() const { return hundredthsWorked / 100.0; }
    bool operator==(const DayCounts&) const = default;
};

namespace Attendance {

// Minutes from a to b, each cut to its whole minute first; negative when
// b is earlier than a.
int minutesBetween(const QTime& a, const QTime& b);

// Saturday and Sunday are not working days: nobody is absent on them.
bool isWorkingDay(const QDate& day);

// Decides the four punches of one card and day from all its door-open
// times of that day, in ascending order (every controller and direction
// counts). The morning takes the earliest punch as its arrival and its
// leave from the punches up to the afternoon's start; a single punch in
// the lunch break goes to whichever session it lies nearer. The afternoon
// never reuses a punch at the morning's arrival or leave time.
DayPunches selectPunches(const QList<QTime>& sortedTimes, const SessionTimes& sessions);

// Hours, lateness, early leave and absence of one day. A session with a
// punch missing is absent once, for its whole length, on a working day.
DayCounts countDay(const DayPunches& punches, const SessionTimes& sessions, const QDate& day);

}  // namespace Attendance
