#pragma once
#include "cards/CardCommands.h"
#include "link/LinePort.h"

#include <QDate>
#include <QString>
#include <QTime>

// How one card command on the controller line ended, as the list windows
// tell it apart: a card that cannot be put into bytes at all is never
// offered a retry, a silent controller is.
enum class CardLineResult {
    Acknowledged,
    Refused,      // not sent: a number that is not decimal, or a limit that does not fit
    PortNotOpen,
    NoAnswer,
    WrongAnswer,
    LateAnswer,   // the echo came after the wait: the controller heard the command
    Disturbed,    // bytes kept coming on the line
};

// Pauses around an AddCard: the extension waits 100 ms before writing and
// 100 ms after its echo, without yielding, as its controllers need.
enum class CardPacing { None, AroundSend };

namespace CardListLine {

// The card commands as the list windows call them: no message of their
// own on a port that will not open. Without pacing the port stays open
// for the next card (the window closes it when its run ends); the paced
// extension closes it after each card, as its controllers expect.
// Writes one card into the controller at `address` (AddCard) on `port`.
// `physical` is padded in place with leading "0" to ten digits.
CardLineResult add(LinePort& port, const LineParams& params, int address, QString& physical, const QString& card,
                   const CardLimits& limits, CardPacing pacing = CardPacing::None);

// Takes one card out of the controller at `address` (DeleteCard).
CardLineResult remove(LinePort& port, const LineParams& params, int address, const QString& card);

}  // namespace CardListLine
