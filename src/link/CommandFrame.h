#pragma once
#include <QByteArray>
#include <QByteArrayView>
#include <QTime>

#include <optional>

// The command codes in use on the controller line (third byte of a frame).
enum class CommandCode : quint8 {
    AckPassRecord = 0x02,
    StatusQuery = 0x04,
    ClearRecords = 0x06,
    SetTime = 0x08,
    SetDate = 0x09,
    AddCard = 0x0A,
    ReadCard = 0x0B,
    ClearLists = 0x0C,
    DeleteCard = 0x0D,
    SetLockDelay1 = 0x0E,
    OpenLock1 = 0x10,
    CollectRecords = 0x11,
    ReadPassRecord = 0x1B,
    SetLockDelay2 = 0x1E,
    PollLocks = 0x1F,
    OpenLock2 = 0x20,
};

// A frame from the PC to a device: the device address, a length byte that
// counts the bytes after the address (itself included), the command code
// and its parameters. No start byte, no checksum, no end mark.
namespace CommandFrame {

// The length byte every known command travels with: 0x02 without
// parameters, 0x05 with three, 0x15 for AddCard. 0 for an unknown code.
quint8 lengthOf(quint8 command);

QByteArray build(quint8 address, CommandCode command, QByteArrayView parameters = {});
QByteArray build(quint8 address, quint8 command, QByteArrayView parameters = {});

struct Parsed {
    quint8 address = 0;
    quint8 command = 0;
    QByteArray parameters;
};

// Reads one whole frame from the start of `bytes`: nothing when fewer
// bytes are there than its length byte announces or the length byte is 0
// or 1. `consumed` receives the frame's size.
std::optional<Parsed> parse(QByteArrayView bytes, qsizetype* consumed = nullptr);

}  // namespace CommandFrame

// The acknowledgement of a device: one byte, its own address. It is also
// the first byte of every longer reply.
namespace AddressEcho {

inline bool acknowledges(QByteArrayView reply, quint8 address)
{
    return !reply.isEmpty() && static_cast<quint8>(reply.front()) == address;
}

}  // namespace AddressEcho

// SetTime: address, 0x05, 0x08, hour, minute, second (packed BCD). The
// device answers with its AddressEcho and takes that time of day.
namespace SetTime {

QByteArray frame(quint8 address, const QTime& time);

}  // namespace SetTime
