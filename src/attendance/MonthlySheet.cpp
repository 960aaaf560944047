#include "attendance/MonthlySheet.h"

#include "db/BoundQuery.h"
#include "db/DateText.h"
#include "db/NameKey.h"

#include <QSqlError>
#include <QSqlQuery>

namespace MonthlySheet {

namespace {

constexpr int kLeftRows = 16;

// A missing punch is stored as no value; a punch at midnight is a punch.
std::optional<QTime> punch(const QVariant& v)
{
    const QTime t = DateText::toTime(v);
    return t.isValid() ? std::optional<QTime>(t) : std::nullopt;
}

}  // namespace

Place placeOf(int day)
{
    return day <= kLeftRows ? Place{0, day} : Place{1, day - kLeftRows};
}

int dayAt(int grid, int row, int daysInMonth)
{
    const int day = grid == 0 ? row : row + kLeftRows;
    return (row >= 1 && row <= kLeftRows && day <= daysInMonth) ? day : 0;
}

QString weekdayName(const QDate& day)
{
    static const char* names[] = {"星期一", "星期二", "星期三", "星期四", "星期五", "星期六", "星期日"};
    return QString::fromUtf8(names[day.dayOfWeek() - 1]);
}

std::optional<QColor> weekdayShade(const QDate& day)
{
    if (day.dayOfWeek() == Qt::Sunday)
        return QColor(150, 200, 150);
    if (day.dayOfWeek() == Qt::Saturday)
        return QColor(200, 160, 180);
    return std::nullopt;
}

std::optional<QColor> dayShade(const QDate& day)
{
    if (day.dayOfWeek() == Qt::Sunday || day.dayOfWeek() == Qt::Saturday)
        return QColor(230, 230, 230);
    return std::nullopt;
}

std::optional<QColor> punchColour(int grid, int column, const std::optional<QTime>& t,
                                  const std::optional<WorkTimeRow>& w)
{
    if (!w)
        return std::nullopt;
    // A missing punch counts as midnight: never late, always early, so a
    // missed leave stands out in red.
    const QTime at = t.value_or(QTime(0, 0));
    const QColor blue(0, 0, 255);
    // The right grid's morning leave has always been a shade darker.
    const QColor red = grid == 1 && column == 3 ? QColor(235, 0, 0) : QColor(255, 0, 0);
    switch (column) {
    case 2: return w->lateMorning.isValid() && at > w->lateMorning ? std::optional<QColor>(blue) : std::nullopt;
    case 3: return w->earlyMorning.isValid() && at < w->earlyMorning ? std::optional<QColor>(red) : std::nullopt;
    case 4: return w->lateAfternoon.isValid() && at > w->lateAfternoon ? std::optional<QColor>(blue) : std::nullopt;
    case 5: return w->earlyAfternoon.isValid() && at < w->earlyAfternoon ? std::optional<QColor>(red) : std::nullopt;
    }
    return std::nullopt;
}

QString punchText(const std::optional<QTime>& t)
{
    return t ? t->toString(QStringLiteral("HH:mm:ss")) : QStringLiteral("00:00");
}

Month month(QSqlDatabase db, By by, const QString& who, int year, int month)
{
    Month out;
    const QDate first(year, month, 1);
    QSqlQuery q(db);
    q.setForwardOnly(true);
    q.prepare(QStringLiteral("SELECT 日期, 时间1, 时间2, 时间3, 时间4 FROM datakq WHERE %1 = ? AND 日期 BETWEEN ? AND ? "
                             "ORDER BY 日期, 卡号")
                  .arg(by == By::Card ? QStringLiteral("卡号") : QStringLiteral("姓名")));
    q.addBindValue(who.trimmed());
    q.addBindValue(DateText::fromDate(first));
    q.addBindValue(DateText::fromDate(first.addMonths(1).addDays(-1)));
    if (!q.exec()) {
        out.error = q.lastError().text();
        return out;
    }
    while (q.next()) {
        const QDate d = DateText::toDate(q.value(0));
        if (!d.isValid())
            continue;
        out.days << Day{d, {punch(q.value(1)), punch(q.value(2)), punch(q.value(3)), punch(q.value(4))}};
    }
    if (q.lastError().isValid())
        out.error = q.lastError().text();
    return out;
}

QSqlQuery cards(QSqlDatabase db)
{
    return BoundQuery::scrollable(db, QStringLiteral("SELECT DISTINCT 卡号 FROM data WHERE 卡号 IS NOT NULL ORDER BY 卡号"), {});
}

QSqlQuery names(QSqlDatabase db)
{
    NameKey::fill(db, QStringLiteral("datakq"));
    return BoundQuery::scrollable(
        db, QStringLiteral("SELECT DISTINCT 姓名 FROM datakq WHERE trim(姓名) <> '' ORDER BY name_key"), {});
}

QString caption(Mark m)
{
    switch (m) {
    case Mark::Late: return QStringLiteral("迟到");
    case Mark::LeftEarly: return QStringLiteral("早退");
    case Mark::Leave: return QStringLiteral("请假");
    case Mark::Absent: return QStringLiteral("旷工");
    case Mark::Overtime: return QStringLiteral("加班");
    }
    return QString();
}

QString markText(const QString& pendingHeading, int year, int month, int day, Mark m)
{
    QString out;
    if (!pendingHeading.isEmpty())
        out = QLatin1Char('\n') + pendingHeading + QLatin1Char('\n');
    return out + QStringLiteral("%1-%2-%3号%4  ").arg(year).arg(month).arg(day).arg(caption(m));
}

}  // namespace MonthlySheet
