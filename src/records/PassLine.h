#pragma once
#include "records/PollCommands.h"

#include <optional>

class LinePort;

// What the receive buffer holds after a ReadPassRecord.
struct PassTake {
    bool complete = false;            // all nine bytes came; the buffer was read
    std::optional<PassRecord> pass;   // a pass, already acknowledged
};

// Takes the answer to a ReadPassRecord sent to `asked` once all nine bytes
// are in: a pass is acknowledged with AckPassRecord, whose write empties
// the receive buffer first. Fewer bytes are left where they are and nothing is sent, so a
// record cut short is never acknowledged and the controller offers it
// again on its next turn.
PassTake takePassRecord(LinePort& port, quint8 asked);
