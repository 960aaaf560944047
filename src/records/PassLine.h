#pragma once
#include "records/PollCommands.h"

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
// then acknowledged with AckPassRecord. More bytes than one record mean
// that the rest of an earlier answer ran into this one, so nothing of
// them is taken or acknowledged and the controller offers its pass again
// on its next turn. Fewer bytes are left where they are.
PassTake takePassRecord(LinePort& port, quint8 asked);

// Keeps the late bytes of an answer given up out of the next exchange. A
// poller calls dropped() when an answer was not one clean record, and for
// bytes that come while it awaits none; at its tick, mayAsk() is false
// (and throws away what came) until one tick has passed with nothing on
// the line.
class QuietLine {
public:
    void dropped(LinePort& port);
    bool mayAsk(LinePort& port);

private:
    bool noisy_ = false;
};
