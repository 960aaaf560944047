#include "app/CollectionSchedule.h"

bool CollectionSchedule::tick(const QDateTime& now, const QString& collectTime, bool windowOpen)
{
    if (windowOpen)
        return false;
    if (now.time().toString(QStringLiteral("HH:mm")) != collectTime)
        return false;
    const QDateTime minute(now.date(), QTime(now.time().hour(), now.time().minute()));
    if (lastOpened_ == minute)
        return false;
    lastOpened_ = minute;
    return true;
}
