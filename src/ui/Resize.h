#pragma once
#include <QSize>

class QWidget;

// Proportional resizing of a window's controls. ResizeInit records every
// control's place and size (in the control's "Tag" property, as four
// numbers each followed by a blank) and the window's inner size as that
// window's base size; ResizeForm puts every control back at its recorded
// place scaled by the ratio of the current inner size to the base size.
// The base size is kept per window, so a modeless window left open keeps
// scaling against its own size when another window records its layout.
namespace Resize {

void ResizeInit(QWidget* window);
void ResizeForm(QWidget* window);

// ResizeInit now, and ResizeForm on every later resize of the window.
void keepProportional(QWidget* window);

QSize baseSize(QWidget* window);

}  // namespace Resize
