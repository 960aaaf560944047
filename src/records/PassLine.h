#pragma once
#include "records/PollCommands.h"

#include <chrono>
#include <optional>

class LinePort;

// What the receive buffer holds after a ReadPassRecord.
struct PassTake {
    bool complete = false;            // the answer is over: nine bytes or more came, and were read
    bool clean = false;               // exactly one record from the controller asked (a pass or none)
    std::optional<PassRecord> pass;   // a pass, already acknowledged
};

// Takes the answer to a ReadPassRecord sent to `asked` once nine bytes
// are in. Only exactly one record from `asked` is an answer: a pass is
// then acknowledged with AckPassRecord. More bytes than one record, or a
// record of another address, mean that the bytes are not that
// controller's alone: nothing of them is taken or acknowledged, the line
// quiets down for `wait` before the next frame, and the controller offers
// its pass again on its next turn. Fewer bytes are left where they are.
PassTake takePassRecord(LinePort& port, quint8 asked, std::chrono::milliseconds wait);
