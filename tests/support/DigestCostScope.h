#pragma once
// A cost of new password digests for as long as the scope lasts; the one
// before comes back at its end.

#include "db/Password.h"

#include <optional>

class DigestCostScope {
public:
    // The least Argon2id allows for one lane: each digest takes well under
    // a millisecond, against a tenth of a second or more for the program's
    // own.
    static constexpr Password::Cost kCheap{8, 1, 1};

    static DigestCostScope cheap() { return DigestCostScope(kCheap); }

    explicit DigestCostScope(std::optional<Password::Cost> cost) : before_(Password::cost())
    {
        Password::setCost(cost);
    }
    ~DigestCostScope() { Password::setCost(before_); }
    DigestCostScope(const DigestCostScope&) = delete;
    DigestCostScope& operator=(const DigestCostScope&) = delete;

private:
    Password::Cost before_;
};
