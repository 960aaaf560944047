#pragma once
#include "link/LinePort.h"
#include "records/RecordStream.h"

#include <chrono>
#include <functional>
#include <optional>

// How one collector waits for a controller's answer to CollectRecords
// and how it clamps what cannot be a date.
struct CollectPlan {
    ClampRule clamps = ClampRule::ByHand;
    // For the first address byte, from the moment the frame left.
    std::chrono::milliseconds firstEcho{1000};
    // For the two count bytes, from the first address byte; nothing: the
    // count shares the first address byte's deadline.
    std::optional<std::chrono::milliseconds> count = std::chrono::milliseconds(3000);
    // Per record: its leading address byte, then its ten bytes.
    std::chrono::milliseconds recordEcho{1000};
    std::chrono::milliseconds recordBody{3000};
    // When set: one deadline for every record, from the end of the count,
    // given the number announced; each record part is still awaited no
    // longer than its per-record wait.
    std::function<std::chrono::milliseconds(quint16 announced)> allRecords;

    // The manual collection: 1 s for the address, 3 s for the count, and
    // per record 1 s for its address and 3 s for its bytes.
    static CollectPlan byHand();
    // The timed collection: 3 s for address and count together, then all
    // records within 2 s plus twice the time the line needs for them at
    // the baud rate of `commSettings` (a controller with many records is
    // slow by nature, not faulty), each of them within the manual waits.
    static CollectPlan timed(const QString& commSettings);
    // The longest of the waits above: after an answer that went wrong, the
    // line is quiet this long before the next frame.
    std::chrono::milliseconds lateWait() const;
    // The line time of `bytes` bytes under `commSettings` ("9600,n,8,1").
    static std::chrono::milliseconds lineTime(qint64 bytes, const QString& commSettings);
};

enum class CollectEnd {
    Complete,           // every announced record arrived
    NoRecords,          // the controller holds none
    SendFailed,         // the port was closed, busy or refused the frame
    NoEcho,             // no first address byte in time
    WrongEcho,          // the first byte was another address
    NoCount,            // the count did not arrive in time
    RecordEchoMissing,  // a record's address byte did not come
    RecordEchoWrong,    // a record's address byte was another address
    RecordIncomplete,   // a record's ten bytes did not all come
    Overrun,            // bytes followed the whole answer: it was not this controller's alone (one that answers twice)
    Disturbed,          // bytes kept coming on the line, before the frame or after a wrong address byte
};

struct CollectResult {
    CollectEnd end = CollectEnd::SendFailed;
    bool countKnown = false;
    quint16 announced = 0;
    QList<CollectedRecord> records;  // the whole records before the end, in order

    bool complete() const { return end == CollectEnd::Complete || end == CollectEnd::NoRecords; }
};

// Sends CollectRecords to `address` on an open port and reads the answer
// by `plan`. `recordStarted` hears the number (from 1) of each record
// before it is awaited, and the number announced. The records read before any failure are returned;
// the caller decides whether to keep them. Nothing is read past the end
// of the answer; an answer that went wrong, or that more bytes follow,
// leaves the line to quiet down before the next frame (each record
// carries the address, so a whole answer keeps its records).
CollectResult CollectRecords(LinePort& comm, int address, const CollectPlan& plan,
                             const std::function<void(int, int)>& recordStarted = {});
