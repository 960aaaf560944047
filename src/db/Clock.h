#pragma once
#include <QDateTime>

// The wall clock of the program. Tests set it so that default dates, the
// collection schedule and the time sent to a controller can be checked.
// Waits on the serial line do not use it: they use a monotonic timer.
namespace Clock {

QDateTime now();
inline QDate today() { return now().date(); }

// From now on now() returns `at` until changed.
void freeze(const QDateTime& at);
// Back to the system clock.
void reset();

}  // namespace Clock
