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

// How much larger than the font the windows were drawn for (12-pixel
// Chinese, 7-pixel digits) the window's font is; never below 1.
double fontScale(const QWidget* window);
// Enlarges a window drawn in fixed rectangles, and every rectangle in it,
// by fontScale, so that a large font finds its captions room. Call it once
// the window's controls are placed, before ResizeInit.
void scaleForFont(QWidget* window);

// Makes a shown window no larger than the free area of its screen (as far as
// its layout lets it shrink) and moves it so that its frame lies on that
// area: a window drawn for a large screen can still be worked on a small one.
// A window that keeps its controls proportional scales them down with it.
void fitToScreen(QWidget* window);
// fitToScreen for every window of the application as it is shown, while
// `owner` lives; the owner itself is left as it places itself.
void fitShownWindows(QWidget* owner);

}  // namespace Resize
