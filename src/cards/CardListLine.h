#pragma once
#include "link/LinePort.h"

#include <QDate>
#include <QString>
#include <QTime>

// What a controller is told about one card besides its numbers. An invalid
// date or time on either end means no such limit; weekdays 0 and 0 mean
// none; the modes are CardAccessState values 0 to 3.
struct CardLimits {
    QDate startDate;
    QDate endDate;
    int weekStart = 0;
    int weekEnd = 0;
    QTime startTime;
    QTime endTime;
    int lock1Mode = 0;
    int lock2Mode = 0;

    bool operator==(const CardLimits&) const = default;
};

// How one card command on the controller line ended, as the list windows
// tell it apart: a card that cannot be put into bytes at all is never
// offered a retry, a silent controller is.
enum class CardLineResult {
    Acknowledged,
    Refused,      // not sent: a number that is not decimal, or a limit that does not fit
    PortNotOpen,
    NoAnswer,
    WrongAnswer,
};

// Pauses around an AddCard: the extension waits 100 ms before writing and
// 100 ms after its echo, without yielding, as its controllers need.
enum class CardPacing { None, AroundSend };

namespace CardListLine {

// Writes one card into the controller at `address` (AddCard) on `port`,
// opening it with `params` when it is closed; the port stays open for the
// next card. `physical` is padded in place with leading "0" to ten digits.
CardLineResult add(LinePort& port, const LineParams& params, int address, QString& physical, const QString& card,
                   const CardLimits& limits, CardPacing pacing = CardPacing::None);

// Takes one card out of the controller at `address` (DeleteCard).
CardLineResult remove(LinePort& port, const LineParams& params, int address, const QString& card);

}  // namespace CardListLine
