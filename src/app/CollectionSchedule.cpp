#include "app/CollectionSchedule.h"

#include "admin/CollectSchedule.h"

CollectionSchedule::Decision CollectionSchedule::decide(const QDateTime& now, const QString& collectTime,
                                                        bool windowOpen, bool lineHeld)
{
    if (pending_.isValid()) {
        scheduled_ = pending_;
        if (now >= pending_.addSecs(kRetryMinutes * 60) || now < pending_) {
            handled_ = pending_;
            pending_ = QDateTime();
            return Decision::GiveUp;
        }
        if (windowOpen || lineHeld)
            return Decision::Waiting;
        handled_ = pending_;
        pending_ = QDateTime();
        return Decision::Open;
    }
    if (!CollectSchedule::isDue(now.time(), collectTime))
        return Decision::Nothing;
    const QDateTime minute(now.date(), QTime(now.time().hour(), now.time().minute()));
    scheduled_ = minute;
    if (handled_ == minute || windowOpen)
        return Decision::Nothing;
    if (lineHeld) {
        pending_ = minute;
        return Decision::Waiting;
    }
    handled_ = minute;
    return Decision::Open;
}
