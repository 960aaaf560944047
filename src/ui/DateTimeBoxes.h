#pragma once
#include <QString>

class QDateEdit;
class QDateTimeEdit;
class QTimeEdit;
class QWidget;

// The date and time pickers of every window. What the operator types is
// what the picker shows: Qt's own picker drops a digit that would make its
// part impossible and lets the next digits fall into the next part
// (24:00 becomes 20:00), and pulls a day past the month's end back to it
// (2025-02-31 becomes 2025-02-03 or 02-28). These keep the typed text
// instead, even when it names no day or no time of day, and the window's
// check before it sends or stores refuses such a picker by its name.
//
//   DTP1 = DateTimeBoxes::date(Frame1);
//   ...
//   if (DateTimeBoxes::refused(Frame1))   // the operator has been told
//       return;
//
// A digit fills its part to its full width before the next part takes the
// digits, so "2400" typed from the hour shows 24:00, never 20:00. The
// calendar, the arrow keys and a click into a part work as before.
namespace DateTimeBoxes {

// A "yyyy-MM-dd" picker with its calendar.
QDateEdit* date(QWidget* parent);
// A time picker showing `format` ("HH:mm", "HH:mm:ss", "H:mm:ss").
QTimeEdit* time(QWidget* parent, const QString& format);

// Whether `picker` holds exactly what it shows (a blank "no date" text
// counts as its lowest date). A part still being typed ("2025-02-3") is
// first taken as the picker takes it when the operator leaves it.
bool holdsItsText(QDateTimeEdit* picker);

// True when a picker in `scope` (or `scope` itself) shows no day
// or time of day it holds: the operator is told which one, by its name,
// and it gets the focus. A window calls it before it sends or stores.
bool refused(QWidget* scope);

// The part of `picker` under its caret becomes selected, found from the
// text shown (Qt's own idea of the parts goes astray once the text names
// no date). False when the text is not laid out as the picker's format.
bool selectPartAtCaret(QDateTimeEdit* picker);

}  // namespace DateTimeBoxes
