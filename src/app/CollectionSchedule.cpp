#include "app/CollectionSchedule.h"

#include "admin/CollectSchedule.h"

bool CollectionSchedule::tick(const QDateTime& now, const QString& collectTime, bool windowOpen)
{
    if (windowOpen)
        return false;
    if (!CollectSchedule::isDue(now.time(), collectTime))
        return false;
    const QDateTime minute(now.date(), QTime(now.time().hour(), now.time().minute()));
    if (lastOpened_ == minute)
        return false;
    lastOpened_ = minute;
    return true;
}
