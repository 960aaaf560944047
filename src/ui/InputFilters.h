#pragma once
#include <QObject>

class QWidget;
class QLineEdit;
class QComboBox;

// The input conventions of the program's windows.
namespace InputFilters {

// Key conventions only: what text a box takes (digits only, a stored
// column's length) is TypedInput's. Give them the widget the keys arrive
// at (an editable combo box itself, not its line edit, holds the focus).

// Enter in the box is swallowed and moves the focus on, as Tab would.
void enterMovesOn(QWidget* box);
// Enter in the box is swallowed and does nothing: it never presses the
// window's default button.
void enterDropped(QWidget* box);
// Backspace takes nothing out of the box.
void backspaceDropped(QWidget* box);

// A list the operator picks from (mouse, arrow keys) or types an entry of
// whole: what was typed chooses the entry equal to it and nothing else, so
// no window acts on an entry that merely starts like the typed text.
// Ctrl shortcuts stay usable.
void pickOnly(QComboBox* box);


}  // namespace InputFilters
