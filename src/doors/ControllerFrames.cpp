#include "doors/ControllerFrames.h"

#include "link/Bcd.h"
#include "link/CommandFrame.h"
#include "link/YearByte.h"

namespace ControllerFrames {

QByteArray statusQuery(quint8 address)
{
    return CommandFrame::build(address, CommandCode::StatusQuery);
}

QByteArray setLockDelay(quint8 address, int lock, quint8 count)
{
    const char params[] = {static_cast<char>(count), 0, 0};
    return CommandFrame::build(address, lock == 1 ? CommandCode::SetLockDelay1 : CommandCode::SetLockDelay2,
                               QByteArrayView(params, 3));
}

QByteArray clearRecords(quint8 address)
{
    return CommandFrame::build(address, CommandCode::ClearRecords);
}

QByteArray clearLists(quint8 address)
{
    return CommandFrame::build(address, CommandCode::ClearLists);
}

std::optional<QByteArray> setDate(quint8 address, const QDate& date)
{
    const std::optional<quint8> year = YearByte::encode(date);
    if (!year)
        return std::nullopt;
    const int weekday = date.dayOfWeek() % 7;  // Qt counts Monday 1 to Sunday 7
    const char params[] = {
        static_cast<char>(*year),
        static_cast<char>(weekday * 32 + Bcd::encode(date.month())),
        static_cast<char>(Bcd::encode(date.day())),
    };
    return CommandFrame::build(address, CommandCode::SetDate, QByteArrayView(params, 3));
}

QByteArray openLock(quint8 address, int lock)
{
    return CommandFrame::build(address, lock == 1 ? CommandCode::OpenLock1 : CommandCode::OpenLock2);
}

}  // namespace ControllerFrames
