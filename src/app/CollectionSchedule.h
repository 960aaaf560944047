#pragma once
#include <QDateTime>
#include <QString>

// Decides, at each tick of the main window's collection timer, whether the
// automatic collection starts. The timer ticks every 50 seconds, so one or
// two ticks fall into the scheduled minute; the collection runs once in it.
class CollectionSchedule {
public:
    static constexpr int kTickMs = 50 * 1000;

    // True when this tick opens the automatic collection: the time of day,
    // to the minute, equals `collectTime`, no collection window is open,
    // and none was opened in this minute already.
    bool tick(const QDateTime& now, const QString& collectTime, bool windowOpen);

private:
    QDateTime lastOpened_;
};
