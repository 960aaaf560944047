#include "attendance/PunchSelection.h"

#include <algorithm>
#include <cstdlib>

namespace Attendance {

namespace {

// Hundredths of an hour, rounded, for a span of whole minutes. A minute is
// 5/3 hundredths, so the remainder is a third or two and never a tie.
int hundredthsOf(int minutes)
{
    const int n = minutes * 5;
    return n >= 0 ? (n + 1) / 3 : -((-n + 1) / 3);
}

int minuteOfDay(const QTime& t)
{
    return t.hour() * 60 + t.minute();
}

}  // namespace

int minutesBetween(const QTime& a, const QTime& b)
{
    return minuteOfDay(b) - minuteOfDay(a);
}

bool isWorkingDay(const QDate& day)
{
    const int w = day.dayOfWeek();
    return w != Qt::Saturday && w != Qt::Sunday;
}

DayPunches selectPunches(const QList<QTime>& times, const SessionTimes& s)
{
    DayPunches out;
    const QTime& b = s.afternoonStart;

    // The morning: its arrival is the day's earliest punch when it comes
    // before the afternoon starts.
    if (!times.isEmpty() && times.first() < b) {
        const QTime first = times.first();
        out.morningIn = first;
        // Candidates for leaving: after the morning starts and before the
        // afternoon does, never a repeat of the arrival.
        QList<QTime> leave;
        for (const QTime& t : times)
            if (t > s.morningStart && t < b && t != first)
                leave << t;
        if (leave.size() == 1) {
            out.morningOut = leave.first();
        } else if (leave.size() >= 2) {
            QList<QTime> gap;   // punches of the lunch break among them
            for (const QTime& t : leave)
                if (t > s.morningEnd)
                    gap << t;
            if (gap.isEmpty()) {
                out.morningOut = leave.last();
            } else if (gap.size() >= 2) {
                out.morningOut = gap.first();
            } else {
                // One punch in the break: it ends the morning when the
                // afternoon has an arrival of its own and it lies no
                // nearer the afternoon's start than the morning's end.
                const QTime g = gap.first();
                const bool afternoonArrives = std::any_of(times.begin(), times.end(), [&](const QTime& t) {
                    return t >= b && t < s.afternoonEnd;
                });
                const bool nearerMorning = std::abs(s.morningEnd.secsTo(g)) <= std::abs(g.secsTo(b));
                if (afternoonArrives && nearerMorning)
                    out.morningOut = g;
                else
                    out.morningOut = leave.at(leave.size() - 2);
            }
        }
    }

    // The afternoon: punches after the morning ends that the morning has
    // not taken.
    QList<QTime> rest;
    for (const QTime& t : times)
        if (t > s.morningEnd && t != out.morningOut && t != out.morningIn)
            rest << t;
    if (rest.isEmpty())
        return out;
    const QTime f = rest.first();
    if (f <= b) {
        out.afternoonIn = f;
        if (times.last() > b)
            out.afternoonOut = times.last();
    } else if (f < s.afternoonEnd) {
        out.afternoonIn = f;
        if (rest.last() != f)
            out.afternoonOut = rest.last();
    } else {
        out.afternoonOut = f;
    }
    return out;
}

DayCounts countDay(const DayPunches& p, const SessionTimes& s, const QDate& day)
{
    DayCounts c;
    const bool working = isWorkingDay(day);
    const int morningLength = minutesBetween(s.morningStart, s.morningEnd);
    const int afternoonLength = minutesBetween(s.afternoonStart, s.afternoonEnd);

    if (p.morningIn && p.morningOut)
        c.hundredthsWorked = hundredthsOf(minutesBetween(*p.morningIn, *p.morningOut));
    if (p.afternoonIn && p.afternoonOut)
        c.hundredthsWorked += hundredthsOf(minutesBetween(*p.afternoonIn, *p.afternoonOut));

    if (p.morningIn)
        c.late = std::max(0, minutesBetween(s.morningStart, *p.morningIn));
    if (p.morningOut)
        c.leftEarly = std::max(0, minutesBetween(*p.morningOut, s.morningEnd));
    if (p.afternoonIn)
        c.late += std::max(0, minutesBetween(s.afternoonStart, *p.afternoonIn));
    if (p.afternoonOut)
        c.leftEarly += std::max(0, minutesBetween(*p.afternoonOut, s.afternoonEnd));

    if (working) {
        if (!p.morningIn || !p.morningOut)
            c.absent += morningLength;
        if (!p.afternoonIn || !p.afternoonOut)
            c.absent += afternoonLength;
    }
    return c;
}

}  // namespace Attendance
