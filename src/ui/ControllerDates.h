#pragma once
#include <QString>

class QDateEdit;

// The date pickers whose date goes to a controller, and the words for a
// date it cannot keep.
namespace ControllerDates {

// The calendar offers only the days a controller keeps. What is typed is
// kept as typed, so a day outside them is refused in words by the check
// before sending, never turned into another day behind the operator's back
// (a bound on the picker itself drops the refused digits and lets the
// next ones fall into the month and the day).
void bound(QDateEdit* picker);

// "日期只能在2000-01-01到2099-12-31之间（…）".
QString outsideText();

}  // namespace ControllerDates
