#include "link/LineWaits.h"

#include <algorithm>

namespace LineWaits {
namespace {

// Every port lives on the user-interface thread.
std::optional<std::chrono::milliseconds>& current()
{
    static std::optional<std::chrono::milliseconds> value;
    return value;
}

}  // namespace

std::optional<std::chrono::milliseconds> bound()
{
    return current();
}

void setBound(std::optional<std::chrono::milliseconds> bound)
{
    current() = bound;
}

std::chrono::milliseconds pause(std::chrono::milliseconds length)
{
    return current() ? std::min(length, *current()) : length;
}

}  // namespace LineWaits
