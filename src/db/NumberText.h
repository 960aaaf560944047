#pragma once
#include <QString>
#include <QStringView>

#include <optional>

// The numbers an operator types or a table holds as text, read the same
// way by every window and service: only the ASCII digits 0-9 make a
// number (no sign, no decimal point, no blanks inside), and a leading zero
// reads as the number it spells ("012" is 12). A text with more digits
// than the value can have is refused, never shortened into another value.
namespace NumberText {

// The highest controller and reader address on the line.
inline constexpr int kHighestAddress = 99;

// True for one or more ASCII digits and nothing else.
bool allDigits(QStringView text);

// A whole number from `low` to `high`; blanks around it are ignored.
std::optional<int> wholeNumber(QStringView text, int low, int high);

// A controller (or reader) address, 0 to 99; blanks around it are ignored.
std::optional<int> address(QStringView text);
bool isAddress(int address);

// A card number: exactly six digits, as stored and sent.
bool isCardNumber(QStringView text);

// A physical card number of one to ten digits with "0" put in front up to
// ten characters, the form the controllers and `faka` hold.
std::optional<QString> paddedPhysical(QStringView text);

// The number at the start of `text` with blanks removed at both ends
// (0 when it does not start with one), as the old program's Val() read a
// box. Services that take a number from a box's text use this, so that
// they read it the way the windows do.
double leading(const QString& text);

}  // namespace NumberText
