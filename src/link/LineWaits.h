#pragma once
#include <chrono>
#include <optional>

// A bound on how long the line is waited on, for the whole process. The
// program never sets one: every wait lasts its command's own time-out and
// every pause its full length. A test that drives windows against
// controllers that stay silent sets a short bound, so that a silent
// controller costs it a fraction of a second instead of the seconds a real
// line is given; a reply that keeps coming is still waited for to its
// command's time-out.
namespace LineWaits {

// With a bound, a wait of LinePort for bytes gives up once nothing has come
// in for that long (counted from its start or from the last byte that
// came), the quiet the line keeps after an exchange that went wrong lasts
// at most that long, and an exchange's one-second pause after the write
// lasts at most that long. None: the waits and the pause as the commands
// give them.
std::optional<std::chrono::milliseconds> bound();
void setBound(std::optional<std::chrono::milliseconds> bound);

// A pause of `length`, shortened to the bound when there is one.
std::chrono::milliseconds pause(std::chrono::milliseconds length);

}  // namespace LineWaits
