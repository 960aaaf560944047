#include "db/Clock.h"

namespace {
enum class Mode { System, Frozen };
Mode mode = Mode::System;
QDateTime frozenAt;
}  // namespace

namespace Clock {

QDateTime now()
{
    switch (mode) {
    case Mode::Frozen:
        return frozenAt;
    case Mode::System:
        break;
    }
    return QDateTime::currentDateTime();
}

void freeze(const QDateTime& at)
{
    mode = Mode::Frozen;
    frozenAt = at;
}

void reset()
{
    mode = Mode::System;
}

}  // namespace Clock
