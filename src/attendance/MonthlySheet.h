#pragma once
#include "attendance/PunchSelection.h"
#include "attendance/WorkTimes.h"

#include <QColor>
#include <QDate>
#include <QList>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QString>
#include <QStringList>

#include <optional>

// One person's month of attendance as a sheet: days 1 to 16 in the left
// grid, 17 to 31 in the right one, punches that pass the tolerance
// thresholds coloured, and the remarks' mark lines.
namespace MonthlySheet {

// Where a day of the month stands: grid 0 (left) or 1 (right), row 1-16.
struct Place {
    int grid = 0;
    int row = 0;
    bool operator==(const Place&) const = default;
};
Place placeOf(int day);
// The day shown in a row of a grid, or 0 for a row that holds none.
int dayAt(int grid, int row, int daysInMonth);

// "星期日" … "星期六".
QString weekdayName(const QDate& day);
// Weekend shading: the weekday cell's colour, and the other cells'.
std::optional<QColor> weekdayShade(const QDate& day);
std::optional<QColor> dayShade(const QDate& day);

// The punch columns 2-5 of a grid and their thresholds: an arrival later
// than its threshold is blue, a leave earlier than its threshold red. No
// colour without stored work times. A missing punch counts as 00:00: a
// missing arrival is never coloured, a missing leave is red.
std::optional<QColor> punchColour(int grid, int column, const std::optional<QTime>& punch,
                                  const std::optional<WorkTimeRow>& workTimes);

// A punch as the sheet shows it: "08:31:05", and "00:00" for a missing
// one, apart from a real punch at midnight ("00:00:00").
QString punchText(const std::optional<QTime>& punch);

struct Day {
    QDate date;
    DayPunches punches;
};
enum class By { Card, Name };
struct Month {
    QList<Day> days;   // in date order
    QString error;     // the database's message when the query failed
};
// The attendance rows of one person (card number or name, trimmed) in
// one month.
Month month(QSqlDatabase db, By by, const QString& who, int year, int month);

// Cards that have door-open records, and names with attendance rows, as
// executed statements for lazily loading lists, each read along an index
// so that its first rows come at once.
QSqlQuery cards(QSqlDatabase db);
QSqlQuery names(QSqlDatabase db);

enum class Mark { Late, LeftEarly, Leave, Absent, Overtime };
QString caption(Mark m);
// What a mark adds to the remarks: the heading line of the person when
// one is pending, then "2004-3-5号迟到  ".
QString markText(const QString& pendingHeading, int year, int month, int day, Mark m);

}  // namespace MonthlySheet
