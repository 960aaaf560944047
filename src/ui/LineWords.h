#pragma once
#include "link/LinePort.h"

#include <QString>

// What a window says when its port would not open. One window at a time
// owns the line: a window refused it because another window of this
// program holds it says so, or the operator would take it for a broken
// line or a silent controller.
namespace LineWords {

// Whether another port object of this program holds the device of `params`.
bool heldByAnotherWindow(const LineParams& params);
// `plain`, followed by why: another window holds the line.
QString held(const QString& plain);
// `plain`, followed by why when another window holds the line.
QString portNotOpen(const LineParams& params, const QString& plain = QStringLiteral("串口通信端口没有打开"));

}  // namespace LineWords
