#include "ui/ControllerDates.h"

#include "link/YearByte.h"

#include <QCalendarWidget>
#include <QDateEdit>
#include <QEvent>
#include <QSignalBlocker>

namespace ControllerDates {

namespace {

// The picker sets its calendar's range to its own just before the
// calendar shows: the window's bound goes on after that.
class CalendarBound : public QObject {
public:
    using QObject::QObject;
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Show) {
            auto* calendar = static_cast<QCalendarWidget*>(watched);
            // Opening the calendar picks nothing: the picker keeps its date.
            const QSignalBlocker quiet(calendar);
            calendar->setDateRange(YearByte::first(), YearByte::last());
        }
        return false;
    }
};

}  // namespace

void bound(QDateEdit* picker)
{
    // The picker has a calendar only once its popup is turned on.
    QCalendarWidget* calendar = picker->calendarWidget();
    if (!calendar)
        return;
    calendar->installEventFilter(new CalendarBound(calendar));
}

QString outsideText()
{
    return QStringLiteral("日期只能在%1到%2之间（控制器只记年份的后两位）")
        .arg(YearByte::first().toString(Qt::ISODate), YearByte::last().toString(Qt::ISODate));
}

}  // namespace ControllerDates
