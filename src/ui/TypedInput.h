#pragma once

class QComboBox;
class QDateTimeEdit;
class QLineEdit;

// What an operator types is what a box holds, by every path a character
// can take: keys, pastes (Ctrl+V, the context menu, drag and drop) and an
// input method's commit.
//
//   QComboBox* address = new QComboBox(this);
//   TypedInput::typedOnly(address);          // editable, never completes
//   TypedInput::digitsOnly(address, 2);      // and at most two digits
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

// The box takes the digits 0-9 only, at most `maxDigits` of them (0: no
// limit). Anything else in a paste or an input method's commit is dropped
// and the digits kept, cut to the limit; full-width digits become plain
// ones. An editable combo box is also made typedOnly().
void digitsOnly(QLineEdit* box, int maxDigits = 0);
void digitsOnly(QComboBox* box, int maxDigits = 0);

// A click into a date or time picker selects the part it lands on (the
// hour, the month), so the digits typed next replace it: without this a
// click leaves the caret inside a full part and every digit is refused,
// though the same keys work after Tab. A picker that shows its blank
// "no date" text starts from today at the first click or digit.
void clickSelectsSection(QDateTimeEdit* picker);

}  // namespace TypedInput
