#pragma once

class QWidget;

// The windows the menu tools open (the `open` of each row in Tools). A tool
// whose window is not part of the program yet has none and stays switched
// off.
namespace ToolWindows {

bool has(int toolId);
// A new window for the tool, or nullptr.
QWidget* create(int toolId, QWidget* parent);

}  // namespace ToolWindows
