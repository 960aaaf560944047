#pragma once
#include <QString>

#include <optional>

// The kinds of lock a controller drives. `doors` keeps the kind as one
// character; Null there means the controller has no such lock.
enum class LockKind { Glass, Wood, Iron };

namespace LockKinds {

QString character(LockKind kind);  // "玻", "木", "铁"
std::optional<LockKind> fromCharacter(const QString& character);

// What the delay box receives when the operator picks the kind or leaves
// the delay empty.
QString defaultDelay(LockKind kind);  // "0.5" for iron, "5" otherwise
// The longest open delay the lock settings accept for the kind, in seconds.
double maxDelay(LockKind kind);       // 2 for iron, 25 otherwise

}  // namespace LockKinds

// The numeric value of a typed delay: its leading decimal number, 0 when
// it has none.
double delayValue(const QString& text);

enum class DelayCheck { InRange, Empty, OutOfRange };
// Whether a typed delay fits the lock's kind; the text is trimmed first.
DelayCheck checkDelay(LockKind kind, const QString& text);

// A controller keeps a lock's open time as one byte counting 1/14 s.
namespace DelayUnits {

inline constexpr int kPerSecond = 14;
inline constexpr int kMaxCount = 255;

// The seconds times 14, rounded to the nearest whole number with a half
// going to the even neighbour. Nothing for a negative delay or one whose
// count does not fit in the byte (18.25 s and more): such a value must
// never be sent, since the controller would take it modulo 256.
std::optional<quint8> toCount(double seconds);
double toSeconds(quint8 count);

// The longest delay as the operator reads it in messages.
QString largestDelayText();  // "18.2"

}  // namespace DelayUnits
