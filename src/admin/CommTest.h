#pragma once
#include "link/LinePort.h"

#include <QString>
#include <QTime>

// The communication test of the serial-settings window: SetTime with the
// PC's time of day to one controller, and its AddressEcho.
namespace CommTest {

enum class AddressCheck { Ok, Empty, NotAnAddress };
// The address box: empty once its blanks are removed, or not a whole
// number 0..99.
AddressCheck checkAddress(const QString& text, quint8* address);

enum class PortProblem { None, BadPortNumber, BadSettings, HeldByAnotherWindow, NotOpened };
// Opens the window's port from the texts of its own boxes (so that
// settings can be tried before they are applied), unless it is open
// already: then it keeps the parameters of its first opening.
PortProblem openFromBoxes(LinePort& port, const QString& portText, const QString& settingsText,
                          const QString& inBufText, const QString& outBufText, const QString& programFolder);

enum class Outcome { Success, WrongReply, NoReply, Disturbed };
// Sends SetTime(address, now) and waits: a pause of one second, then up
// to two seconds for the echo. Disturbed: bytes kept coming on the line,
// before the frame or through the quiet after a wrong answer.
Outcome run(LinePort& port, quint8 address, const QTime& now);

}  // namespace CommTest
