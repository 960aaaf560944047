#pragma once
#include "db/StoredText.h"


class QComboBox;
class QDateTimeEdit;
class QLineEdit;

// What an operator types is what a box holds, by every path a character
// can take: keys, pastes (Ctrl+V, the context menu, drag and drop) and an
// input method's commit.
//
//   QComboBox* address = new QComboBox(this);
//   TypedInput::typedOnly(address);          // editable, never completes
//   TypedInput::digitsOnly(address);         // and digits only
//
// No box cuts what arrives: a change the box cannot take (a letter, a
// paste with anything but digits, text beyond a stored column's length)
// is refused whole with a bell and the box keeps what it held. Digits
// beyond what the value can be stay visible, so the window's own check
// refuses them with its message instead of a shortened number being
// used.
//
// Key conventions (Enter moves on, a bell for a refused key) stay with
// InputFilters; these only decide what text can end up in the box.
namespace TypedInput {

// Makes `box` editable without Qt's completion, which would silently turn
// a typed "1" into a listed "10", and without adding what is typed to the
// list. activated() then means a pick from the list (mouse, arrow keys,
// Enter on an entry's text), never an edit that merely ends on an entry's
// text. Call it instead of setEditable(true): setEditable creates a fresh
// line edit and completer each time it switches the box to editable.
void typedOnly(QComboBox* box);

// The box takes the digits 0-9 only, as many as arrive. A key, paste or
// input method's commit holding anything else is refused whole; full-width
// digits become plain ones. An editable combo box is also made
// typedOnly().
void digitsOnly(QLineEdit* box);
void digitsOnly(QComboBox* box);
// The same for a number with a fraction: digits and at most one point.
void decimalOnly(QLineEdit* box);

// The longest text a stored text column holds.
inline constexpr int kStoredTextLength = StoredText::kLength;

// The box takes at most `length` characters and no control character
// (StoredText::fits): a key or paste that would make it longer or hold
// one is refused whole. Unlike QLineEdit::setMaxLength, a paste is never
// cut to fit.
void atMost(QLineEdit* box, int length);
void atMost(QComboBox* box, int length);
// A box whose text is stored: at most kStoredTextLength characters.
void storedText(QLineEdit* box);
void storedText(QComboBox* box);

// A click into a date or time picker selects the part it lands on (the
// hour, the month), so the digits typed next replace it: without this a
// click leaves the caret inside a full part and every digit is refused,
// though the same keys work after Tab. A picker that shows its blank
// "no date" text starts from today at the first click or digit.
void clickSelectsSection(QDateTimeEdit* picker);

}  // namespace TypedInput
