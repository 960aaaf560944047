#pragma once
#include <QString>

class QPushButton;
class QRect;
class QWidget;

namespace Buttons {

// A named button that is never the dialog's default: Enter in a box moves
// on or belongs to the box, and must not press a button. Without a place
// it waits for a layout.
QPushButton* make(QWidget* parent, const QString& name, const QString& text);
QPushButton* make(QWidget* parent, const QString& name, const QString& text, const QRect& at);

}  // namespace Buttons
