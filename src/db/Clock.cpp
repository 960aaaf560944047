#include "db/Clock.h"

namespace {
enum class Mode { System, Offset, Frozen };
Mode mode = Mode::System;
qint64 offsetMs = 0;
QDateTime frozenAt;
}  // namespace

namespace Clock {

QDateTime now()
{
    switch (mode) {
    case Mode::Offset:
        return QDateTime::currentDateTime().addMSecs(offsetMs);
    case Mode::Frozen:
        return frozenAt;
    case Mode::System:
        break;
    }
    return QDateTime::currentDateTime();
}

void setNow(const QDateTime& at)
{
    mode = Mode::Offset;
    offsetMs = QDateTime::currentDateTime().msecsTo(at);
}

void freeze(const QDateTime& at)
{
    mode = Mode::Frozen;
    frozenAt = at;
}

void reset()
{
    mode = Mode::System;
    offsetMs = 0;
}

}  // namespace Clock
