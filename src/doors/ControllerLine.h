#pragma once
#include "doors/ControllerStatus.h"
#include "link/LinePort.h"

#include <QDate>
#include <QTime>

#include <chrono>

#include <functional>
#include <optional>

// The controller commands of the lock windows, each one exchange on the
// calling window's own port. Every exchange empties the receive buffer
// before it writes, and after one that went wrong waits for a quiet line,
// so a byte left over from an earlier command can never pass for this
// one's answer. None of them shows anything: the window reports the
// outcome in its own words.

enum class LineOutcome {
    Ok,
    PortNotOpen,   // the port is closed or could not be opened
    PortFailed,    // the port refused the write
    Busy,          // the port is waiting in another exchange
    NoAnswer,      // nothing (or too little) within the time-out
    WrongAnswer,   // the reply came from another address, or more bytes came than it holds
    Late,          // the echo came after the time-out: the controller heard the command
    Disturbed,     // bytes kept coming on the line: no answer could be told from them
    DelayTooLong,  // the open time does not fit in the controller's byte; nothing was sent
    DateOutsideYears,  // the controller's year byte cannot hold the date; nothing was sent
};

LineOutcome outcomeOf(ExchangeStatus status);

// What the operator is told of a controller whose line is disturbed, in
// every window: "3号门线路上有干扰"; the reason alone: "线路上有干扰".
QString disturbedLine(int address);
QString disturbedReason();

struct ReadSysResult {
    LineOutcome outcome = LineOutcome::NoAnswer;
    std::optional<StatusReply> status;
    bool ok() const { return outcome == LineOutcome::Ok; }
};

// Asks the controller for its status (opening the port with `params` when
// it is closed, and leaving it open), waits up to 3 seconds for fifteen
// bytes and, when they come from that address, replaces SysInf.ini with
// the status. Any other outcome leaves the file as it was. Should the file
// not be written, the old one is removed rather than left to pass for
// this controller's status.
ReadSysResult ReadSys(LinePort& comm, int address, const LineParams& params);
// The same question on an open port, leaving SysInf.ini alone.
ReadSysResult ReadStatus(LinePort& comm, int address);

// Sets how long lock 1 (lock == 1) or lock 2 (any other value) stays open,
// on an open port, and waits up to 2 seconds for the echo. A delay the
// controller cannot hold is refused before anything is sent.
LineOutcome DelayTime(LinePort& comm, int address, int lock, double seconds);

// The controller forgets its door-open records; its echo is awaited for
// `timeout` (the lock windows wait 2 s, the collection after a read 3 s).
LineOutcome ClearRecords(LinePort& comm, int address,
                         std::chrono::milliseconds timeout = std::chrono::milliseconds(2000));
// The controller forgets every card; its echo is awaited for `timeout`.
LineOutcome ClearLists(LinePort& comm, int address,
                       std::chrono::milliseconds timeout = std::chrono::milliseconds(2000));

// Initialising a controller: ClearRecords, then, only once that was
// acknowledged, ClearLists. `progress` hears of each step as it starts
// and ends.
enum class ClearStep { ClearingRecords, RecordsCleared, ClearingLists, ListsCleared };
LineOutcome ClearController(LinePort& comm, int address, const std::function<void(ClearStep)>& progress = {});

// The controller's calendar date (SetDate) or time of day (SetTime); the
// echo is awaited 2 s. A date its year byte cannot hold is refused before
// anything is sent.
LineOutcome SendDate(LinePort& comm, int address, const QDate& date);
LineOutcome SendTime(LinePort& comm, int address, const QTime& time);

// Opens lock 1 (lock == 1) or lock 2 for its delay. The controller is
// given one second before its echo is awaited, up to 2 seconds more.
LineOutcome OpenLock(LinePort& comm, int address, int lock);
