#pragma once
#include <QString>

namespace WordProcessor {

// Opens `file` in the desktop's word processor. False when the desktop
// has none for files of its kind: a launcher that merely starts (and then
// finds nothing to open it with) is not counted as opening it.
bool open(const QString& file);

}  // namespace WordProcessor
