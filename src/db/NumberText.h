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

}  // namespace NumberText
