#pragma once
#include <QSqlQuery>

#include <functional>

class QComboBox;
class QWidget;

// The filter boxes of the query windows.
namespace ChoiceBoxes {

// An editable box listing the rows of the statement `choices` executes
// (one column). The statement runs when the box is first used (it takes
// the focus or opens its list), not when the window opens: a list of
// distinct values may have to read every issued or removed card before
// its first entry. Its rows are then read as the list scrolls, so a
// statement that gives its first rows at once (along an index) opens the
// list at once however many rows follow. The box
// never completes a typed text: what the operator typed is what the query
// uses. Starts with nothing chosen and an empty text.
QComboBox* choices(QWidget* parent, const char* name, std::function<QSqlQuery()> choices);

}  // namespace ChoiceBoxes
