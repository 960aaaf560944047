#pragma once

class QWidget;

// The windows the menu tools open. A tool whose window is not part of the
// program yet has no factory and stays switched off.
namespace ToolWindows {

bool has(int toolId);
// A new window for the tool, or nullptr.
QWidget* create(int toolId, QWidget* parent);

}  // namespace ToolWindows
