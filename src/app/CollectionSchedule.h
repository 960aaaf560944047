#pragma once
#include <QDateTime>
#include <QString>

// Decides, at each tick of the main window's collection timer, whether the
// automatic collection starts. The timer ticks every 50 seconds, so one or
// two ticks fall into the scheduled minute; the collection runs once in it.
//
// While another window holds the line the collection cannot use it: the
// run is tried again at the following ticks, for ten minutes from the
// scheduled one, and then given up. A progress window that holds the
// event loop (a backup, a compaction) can keep every tick out of the
// scheduled minute: the first tick after it, within those ten minutes,
// opens the run; a later one says the day's run was missed.
class CollectionSchedule {
public:
    static constexpr int kTickMs = 50 * 1000;
    static constexpr int kRetryMinutes = 10;

    enum class Decision {
        Nothing,
        Open,     // open the automatic collection now
        Waiting,  // due, but the line is held: tried again at the next tick
        GiveUp,   // the line stayed held for ten minutes: this day's run is off
        Missed,   // no tick came for more than ten minutes from the scheduled minute: this day's run is off
    };

    // The time of day, to the minute, equals `collectTime` (or a run waits
    // for the line); no collection window is open; and none was opened
    // for this scheduled minute already.
    Decision decide(const QDateTime& now, const QString& collectTime, bool windowOpen, bool lineHeld);

    // True when this tick opens the automatic collection, the line being free.
    bool tick(const QDateTime& now, const QString& collectTime, bool windowOpen)
    {
        return decide(now, collectTime, windowOpen, false) == Decision::Open;
    }

    // The scheduled minute the last decision concerned.
    QDateTime scheduledMinute() const { return scheduled_; }

private:
    // The scheduled minute that the ticks before `now` skipped over; null
    // when none was.
    QDateTime skippedMinute(const QDateTime& now, const QString& collectTime) const;

    QDateTime lastTick_;
    QDateTime handled_;   // the scheduled minute already opened or given up
    QDateTime pending_;   // the scheduled minute waiting for the line
    QDateTime scheduled_;
};
