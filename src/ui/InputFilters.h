#pragma once
#include <QObject>

class QWidget;
class QLineEdit;
class QComboBox;

// The input conventions of the program's windows.
namespace InputFilters {

// Only the digits 0-9 and Backspace reach the box; with `beep`, every
// other key sounds the bell. Enter is discarded unless `enterMovesOn`,
// in which case it moves the focus to the next control.
void digitsOnly(QWidget* box, bool beep = false, bool enterMovesOn = false, bool allowBackspace = true);

// Enter in the box is swallowed and moves the focus on, as Tab would.
void enterMovesOn(QWidget* box);

// A list the operator picks from (mouse, arrow keys) or types an entry of
// whole: what was typed chooses the entry equal to it and nothing else, so
// no window acts on an entry that merely starts like the typed text.
// Ctrl shortcuts stay usable.
void pickOnly(QComboBox* box);


}  // namespace InputFilters
