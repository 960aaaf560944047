#pragma once
#include <QString>

class QWidget;

// A screen reader tells the boxes of a window apart by their names.
namespace BoxNames {

// Names every text box, combo box and date or time picker of `window`
// that has no name yet: after the label whose buddy it is, else after the
// caption of the group it stands in. Call it once the window's controls
// and buddies are made. A combo box gets its name set even beside a
// buddy: some desktops read a combo box's value as its name.
void fromLabels(QWidget* window);

// Names `box` after `caption`, a label or a check box that stands for it
// where no label is its buddy (a filter's check box before its value).
void after(QWidget* box, const QWidget* caption);

// Names one box of a pair or group that stands under one label: the
// label's words, then its own part ("使用时间限制： 开始日期").
void part(QWidget* box, const QString& label, const QString& part);

}  // namespace BoxNames
