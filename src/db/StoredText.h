#pragma once
#include <QString>

// What a text column can be given, by a box or by a grid's cell alike.
namespace StoredText {

// The longest text a stored text column holds.
inline constexpr int kLength = 255;

// At most kLength characters and no control character: none of C0 or C1
// (NUL, line breaks, escape), no line or paragraph separator and no
// direction control, which would turn the text around wherever it is shown
// or printed next to other text.
bool fits(const QString& text);

// Why a cell's text was not stored.
QString refusal();

}  // namespace StoredText
