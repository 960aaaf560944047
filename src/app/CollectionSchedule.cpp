#include "app/CollectionSchedule.h"

#include "admin/CollectSchedule.h"

QDateTime CollectionSchedule::skippedMinute(const QDateTime& now, const QString& collectTime) const
{
    const QTime at = QTime::fromString(collectTime, QStringLiteral("HH:mm"));
    if (!at.isValid() || !lastTick_.isValid())
        return {};
    QDateTime minute(now.date(), at);
    if (minute > now)
        minute = minute.addDays(-1);
    if (lastTick_ >= minute || now < minute.addSecs(60) || handled_ == minute)
        return {};
    return minute;
}

CollectionSchedule::Decision CollectionSchedule::decide(const QDateTime& now, const QString& collectTime,
                                                        bool windowOpen, bool lineHeld)
{
    const QDateTime skipped = skippedMinute(now, collectTime);
    lastTick_ = now;
    if (skipped.isValid() && !pending_.isValid()) {
        scheduled_ = skipped;
        if (now >= skipped.addSecs(kRetryMinutes * 60)) {
            handled_ = skipped;
            return Decision::Missed;
        }
        pending_ = skipped;
    }
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
