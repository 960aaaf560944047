#pragma once
// An operator's click into a date or time picker: on the character at
// `at` of its text, inside the part (hour, month) that holds it.

#include <QDateTimeEdit>
#include <QLineEdit>
#include <QTest>

namespace PickerInput {

inline void clickAt(QDateTimeEdit* picker, int at)
{
    auto* edit = picker->findChild<QLineEdit*>();
    if (!edit)
        qFatal("picker without its line edit");
    const int y = edit->height() / 2;
    int x = 0;
    while (x < edit->width() && edit->cursorPositionAt(QPoint(x, y)) <= at)
        ++x;
    QTest::mouseClick(edit, Qt::LeftButton, {}, QPoint(x - 1, y));
}

}  // namespace PickerInput
