#pragma once
#include <QSqlQuery>

class QComboBox;
class QWidget;

// The filter boxes of the card query windows.
namespace CardQueryBoxes {

// An editable box listing the rows of `choices` (one column), read as the
// list scrolls, so a long history opens at once. It never completes a
// typed text: what the operator typed is what the query uses. Starts with
// nothing chosen and an empty text.
QComboBox* choices(QWidget* parent, const char* name, QSqlQuery&& choices);

// Lets only up to `digits` decimal digits into an editable box, by every
// path (keys, pastes, input methods).
void digitsOnly(QComboBox* box, int digits);

}  // namespace CardQueryBoxes
