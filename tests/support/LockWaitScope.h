#pragma once
// A short wait for database locks for as long as the scope lasts; the
// program's own comes back at its end. For a test that holds the database
// on purpose and expects the refusal.

#include "db/LockWait.h"

#include <chrono>

class LockWaitScope {
public:
    // Long beside a lock the test does not hold itself, short beside the
    // program's own wait.
    static constexpr std::chrono::milliseconds kShort{200};

    LockWaitScope() : before_(LockWait::length()) { LockWait::setLength(kShort); }
    ~LockWaitScope() { LockWait::setLength(before_); }
    LockWaitScope(const LockWaitScope&) = delete;
    LockWaitScope& operator=(const LockWaitScope&) = delete;

private:
    std::chrono::milliseconds before_;
};
