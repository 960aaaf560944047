#pragma once
#include <QByteArray>
#include <QDate>

#include <optional>

// The frames of the controller commands this subsystem sends. The address
// travels as the plain number 0..99.
namespace ControllerFrames {

// address, 0x02, 0x04: the controller answers with its fifteen-byte status.
QByteArray statusQuery(quint8 address);
// address, 0x05, 0x0E (lock 1) or 0x1E (any other lock), the open time in
// 1/14 s, 0x00, 0x00.
QByteArray setLockDelay(quint8 address, int lock, quint8 count);
// address, 0x02, 0x06: the controller forgets its door-open records.
QByteArray clearRecords(quint8 address);
// address, 0x02, 0x0C: the controller forgets every card.
QByteArray clearLists(quint8 address);
// address, 0x05, 0x09, year, weekday * 32 + month, day: the year, month and
// day in packed BCD, the weekday 0 for Sunday to 6 for Saturday. Nothing
// for a date the controller's year byte cannot hold.
std::optional<QByteArray> setDate(quint8 address, const QDate& date);
// address, 0x02, 0x10 (lock 1) or 0x20 (lock 2).
QByteArray openLock(quint8 address, int lock);

}  // namespace ControllerFrames
