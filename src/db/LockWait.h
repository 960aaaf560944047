#pragma once
#include <QString>

#include <chrono>
#include <optional>

// How long a connection of ours waits for a lock that another connection
// or program holds before it gives up, for the whole process. The program
// never sets one: every wait lasts kLength, time enough for another
// program's short write to end. A test that holds the database on purpose
// sets a short one, so that the refusal it expects comes in a fraction of
// a second.
namespace LockWait {

inline constexpr std::chrono::milliseconds kLength{5000};

std::chrono::milliseconds length();
// None: kLength.
void setLength(std::optional<std::chrono::milliseconds> length);

// The connect options of a SQLite connection that waits length().
QString connectOptions();

}  // namespace LockWait
