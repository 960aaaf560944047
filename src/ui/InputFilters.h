#pragma once
#include <QObject>

class QWidget;
class QLineEdit;

// The input conventions of the program's windows.
namespace InputFilters {

// Only the digits 0-9 and Backspace reach the box; with `beep`, every
// other key sounds the bell. Enter is discarded unless `enterMovesOn`,
// in which case it moves the focus to the next control.
void digitsOnly(QWidget* box, bool beep = false, bool enterMovesOn = false, bool allowBackspace = true);

// Enter in the box is swallowed and moves the focus on, as Tab would.
void enterMovesOn(QWidget* box);

// A list the operator picks from only (arrow keys, mouse): a typed
// character would otherwise jump to the first item starting with it and
// act on an item never chosen. Ctrl shortcuts stay usable.
void pickOnly(QWidget* box);


}  // namespace InputFilters
