#pragma once
#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <optional>

// The live monitoring's conversation with a controller: PollLocks asks
// for the two lock states, ReadPassRecord for the pass that waits, and
// AckPassRecord tells the controller that pass was taken, so that the
// next ReadPassRecord reports the next one.
namespace PollLocks {
QByteArray frame(quint8 address);
}
namespace ReadPassRecord {
QByteArray frame(quint8 address);
}
namespace AckPassRecord {
QByteArray frame(quint8 address);
}

enum class LockState { Closed, Open, Unknown };

// The answer to PollLocks: the address, then one byte with lock 1 in the
// low half and lock 2 in the high half (2 closed, 4 open).
struct PollReply {
    LockState lock1 = LockState::Unknown;
    LockState lock2 = LockState::Unknown;

    bool anyOpen() const { return lock1 == LockState::Open || lock2 == LockState::Open; }
    LockState lock(int n) const { return n == 1 ? lock1 : lock2; }

    // Only the four combinations of 2 and 4 count; any other byte, other
    // than two bytes or another address leave both locks unknown: more
    // bytes are another answer run into this one.
    static PollReply decode(QByteArrayView bytes, quint8 polled);
};

// A pass the controller held for us: address, length byte, reply code
// (0x04 when a pass follows), the physical card number as five BCD bytes
// and the channel.
struct PassRecord {
    static constexpr qsizetype kSize = 9;

    quint8 address = 0;
    QString physical;  // ten characters, as faka.物理卡号 holds it
    int channel = 0;   // 1 lock 1 in, 2 lock 1 out, 3 lock 2 in, 4 lock 2 out

    // A pass only from exactly nine bytes, from the controller that was
    // asked and with reply code 4; anything else is no pass (and must not
    // be acknowledged): more bytes are another answer run into this one.
    static std::optional<PassRecord> decode(QByteArrayView bytes, quint8 asked);
};

// The direction of a door-open record (`flag`) in words.
namespace PassChannel {

// "锁一进", "锁一出", "锁二进", "锁二出"; empty for any other code.
QString words(int code);
// The lock a channel belongs to (1 or 2), 0 for an unknown code.
int lockOf(int code);
bool isIn(int code);
// "12-2进" for address 12 and channel 3; empty for an unknown channel.
QString passLabel(int address, int code);

}  // namespace PassChannel
