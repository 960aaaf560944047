#pragma once
// The bound on line waits for as long as the scope lasts; the one before
// comes back at its end.

#include "link/LineWaits.h"

#include <chrono>
#include <optional>

class LineWaitScope {
public:
    // Long enough for any reply of the simulator on a loaded machine, short
    // beside the line's own time-outs of two and three seconds.
    static constexpr std::chrono::milliseconds kShort{200};

    // A silent controller gives up its wait after kShort.
    static LineWaitScope shortWaits() { return LineWaitScope(kShort); }
    // The line's own time-outs, for a test of a time-out itself or of a
    // reply that comes late or in pieces.
    static LineWaitScope realWaits() { return LineWaitScope(std::nullopt); }

    explicit LineWaitScope(std::optional<std::chrono::milliseconds> bound) : before_(LineWaits::bound())
    {
        LineWaits::setBound(bound);
    }
    ~LineWaitScope() { LineWaits::setBound(before_); }
    LineWaitScope(const LineWaitScope&) = delete;
    LineWaitScope& operator=(const LineWaitScope&) = delete;

private:
    std::optional<std::chrono::milliseconds> before_;
};
