#pragma once
#include <QString>

namespace NumberText {

// The number at the start of `text` with blanks removed at both ends
// (0 when it does not start with one), as the old program's Val() read a
// box. Services that take a number from a box's text use this, so that
// they read it the way the windows do.
double leading(const QString& text);

}  // namespace NumberText
