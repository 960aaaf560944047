#include "records/PollCommands.h"

#include "link/CommandFrame.h"

namespace PollLocks {
QByteArray frame(quint8 address)
{
    return CommandFrame::build(address, CommandCode::PollLocks);
}
}  // namespace PollLocks

namespace ReadPassRecord {
QByteArray frame(quint8 address)
{
    return CommandFrame::build(address, CommandCode::ReadPassRecord);
}
}  // namespace ReadPassRecord

namespace AckPassRecord {
QByteArray frame(quint8 address)
{
    return CommandFrame::build(address, CommandCode::AckPassRecord);
}
}  // namespace AckPassRecord

PollReply PollReply::decode(QByteArrayView bytes, quint8 polled)
{
    PollReply r;
    if (bytes.size() != 2 || static_cast<quint8>(bytes[0]) != polled)
        return r;
    switch (static_cast<quint8>(bytes[1])) {
    case 0x22: r.lock1 = LockState::Closed; r.lock2 = LockState::Closed; break;
    case 0x24: r.lock1 = LockState::Open; r.lock2 = LockState::Closed; break;
    case 0x42: r.lock1 = LockState::Closed; r.lock2 = LockState::Open; break;
    case 0x44: r.lock1 = LockState::Open; r.lock2 = LockState::Open; break;
    default: break;
    }
    return r;
}

std::optional<PassRecord> PassRecord::decode(QByteArrayView bytes, quint8 asked)
{
    if (bytes.size() != kSize || static_cast<quint8>(bytes[0]) != asked || static_cast<quint8>(bytes[2]) != 0x04)
        return std::nullopt;
    PassRecord p;
    p.address = asked;
    // Each byte as two hex digits: for BCD bytes these are the decimal
    // digits faka holds; a half above 9 gives a letter that matches no card.
    p.physical = QString::fromLatin1(QByteArray(bytes.sliced(3, 5).data(), 5).toHex().toUpper());
    p.channel = static_cast<quint8>(bytes[8]);
    return p;
}

namespace PassChannel {

QString words(int code)
{
    switch (code) {
    case 1: return QStringLiteral("锁一进");
    case 2: return QStringLiteral("锁一出");
    case 3: return QStringLiteral("锁二进");
    case 4: return QStringLiteral("锁二出");
    default: return {};
    }
}

int lockOf(int code)
{
    return code == 1 || code == 2 ? 1 : code == 3 || code == 4 ? 2 : 0;
}

bool isIn(int code)
{
    return code == 1 || code == 3;
}

QString passLabel(int address, int code)
{
    const int lock = lockOf(code);
    if (lock == 0)
        return {};
    return QStringLiteral("%1-%2%3").arg(address).arg(lock).arg(isIn(code) ? QStringLiteral("进") : QStringLiteral("出"));
}

}  // namespace PassChannel
