#include "db/LockWait.h"

#include <atomic>

namespace {

// Read by connections opened on other threads as well.
std::atomic<qint64> lengthMs{LockWait::kLength.count()};

}  // namespace

namespace LockWait {

std::chrono::milliseconds length()
{
    return std::chrono::milliseconds(lengthMs.load());
}

void setLength(std::optional<std::chrono::milliseconds> length)
{
    lengthMs.store(length.value_or(kLength).count());
}

QString connectOptions()
{
    return QStringLiteral("QSQLITE_BUSY_TIMEOUT=%1").arg(length().count());
}

}  // namespace LockWait
