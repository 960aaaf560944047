#include "doors/ControllerStatus.h"

#include "db/ProgramFolder.h"
#include "doors/LockKind.h"
#include "link/Bcd.h"
#include "link/YearByte.h"

#include <QFile>
#include <QSaveFile>

#include <cmath>

namespace {

quint8 byteAt(QByteArrayView b, int i)
{
    return static_cast<quint8>(b[i]);
}

std::optional<int> fullYear(int twoDigits)
{
    if (twoDigits < 0 || twoDigits > 99)
        return std::nullopt;
    return YearByte::fullYear(twoDigits);
}

}  // namespace

double StatusReply::lock1Seconds() const
{
    return DelayUnits::toSeconds(lock1Count);
}

double StatusReply::lock2Seconds() const
{
    return DelayUnits::toSeconds(lock2Count);
}

std::optional<StatusReply> StatusReply::decode(QByteArrayView b)
{
    if (b.size() < kSize)
        return std::nullopt;
    StatusReply s;
    s.address = byteAt(b, 0);
    s.recordCount = TwoByteCount::decode(byteAt(b, 1), byteAt(b, 2));
    s.lock1Count = byteAt(b, 3);
    s.lock2Count = byteAt(b, 4);
    if (const std::optional<int> year = fullYear(Bcd::decode(byteAt(b, 5))))
        s.date = QDate(*year, Bcd::decode(byteAt(b, 6)), Bcd::decode(byteAt(b, 7)));
    s.time = QTime(Bcd::decode(byteAt(b, 8)), Bcd::decode(byteAt(b, 9)), Bcd::decode(byteAt(b, 10)));
    s.weekday = Bcd::decode(byteAt(b, 11));
    s.version = QString::number(Bcd::decode(byteAt(b, 12))) + QLatin1Char('.') +
                QString::number(Bcd::decode(byteAt(b, 13)));
    if (byteAt(b, 14) != 0)
        s.version += QString::number(Bcd::decode(byteAt(b, 14)));
    return s;
}

namespace SysInf {

QString fileName()
{
    return QLatin1String(ProgramFolder::kStatus);
}

QString path()
{
    return ProgramFolder::file(fileName());
}

QString number(double value)
{
    // Fifteen significant digits, and no 0 in front of the point.
    QString digits = QString::number(std::abs(value), 'g', 15);
    if (digits.startsWith(QLatin1String("0.")))
        digits.remove(0, 1);
    return (value < 0 ? QStringLiteral("-") : QStringLiteral(" ")) + digits + QLatin1Char(' ');
}

QStringList items(const StatusReply& s)
{
    return {
        number(s.recordCount),
        number(s.lock1Seconds()),
        number(s.lock2Seconds()),
        s.date.isValid() ? s.date.toString(QStringLiteral("yyyy-M-d")) : QString(),
        (s.time.isValid() ? s.time : QTime(0, 0)).toString(QStringLiteral("H:mm:ss")),
        number(s.weekday),
        s.version,
    };
}

QByteArray line(const StatusReply& s)
{
    return items(s).join(QLatin1Char(',')).toUtf8() + "\r\n";
}

bool write(const StatusReply& s, QString* error)
{
    QSaveFile f(path());
    if (f.open(QIODevice::WriteOnly) && f.write(line(s)) >= 0 && f.commit())
        return true;
    if (error)
        *error = f.errorString();
    return false;
}

std::optional<QStringList> parse(const QByteArray& content)
{
    const QString text = QString::fromUtf8(content);
    QStringList fields;
    int from = 0;
    for (int i = 0; i < 6; ++i) {
        const int comma = text.indexOf(QLatin1Char(','), from);
        if (comma < 0)
            return std::nullopt;
        fields << text.mid(from, comma - from);
        from = comma + 1;
    }
    QString last = text.mid(from);
    while (last.endsWith(QLatin1Char('\n')) || last.endsWith(QLatin1Char('\r')))
        last.chop(1);
    fields << last;
    return fields;
}

std::optional<QStringList> read()
{
    QFile f(path());
    if (!f.open(QIODevice::ReadOnly))
        return std::nullopt;
    return parse(f.readAll());
}

namespace {

const char* const kWeekdays[] = {"Sunday", "Monday", "Tuesday", "Wednesday", "Thursday", "Friday", "Saturday"};

// The name of a weekday code, counted from 0 for Sunday or from 1 for Monday;
// any other code is shown as it was read, blanks and all.
QString weekdayName(const QString& item, bool sundayFirst)
{
    bool ok = false;
    const QString code = item.trimmed();
    const int n = code.toInt(&ok);
    if (!ok || code != QString::number(n))
        return item;
    if (sundayFirst && n >= 0 && n <= 6)
        return QLatin1String(kWeekdays[n]);
    if (!sundayFirst && n >= 1 && n <= 7)
        return QLatin1String(kWeekdays[n % 7]);
    return item;
}

QString itemAt(const QStringList& items, int i)
{
    return i < items.size() ? items.at(i) : QString();
}

}  // namespace

QStringList lockWindowLines(const QString& addressText, const QStringList& items)
{
    return {
        QStringLiteral(" 地  址:") + addressText,
        QStringLiteral(" 打卡记录数:") + itemAt(items, 0),
        QStringLiteral(" 锁一延时:") + itemAt(items, 1) + QStringLiteral("秒"),
        QStringLiteral(" 锁二延时:") + itemAt(items, 2) + QStringLiteral("秒"),
        QStringLiteral(" 日期:") + itemAt(items, 3),
        QStringLiteral(" 时间:") + itemAt(items, 4),
        QStringLiteral(" 星期:") + weekdayName(itemAt(items, 5), true),
        QStringLiteral(" 版本号:") + itemAt(items, 6),
    };
}

QStringList hardwareWindowLines(int address, const QStringList& items)
{
    return {
        QStringLiteral(" 地址：  ") + QString::number(address),
        QStringLiteral(" 打卡记录数：") + itemAt(items, 0),
        QStringLiteral(" 锁一延时：") + itemAt(items, 1),
        QStringLiteral(" 锁二延时：") + itemAt(items, 2),
        QStringLiteral(" 日    期：") + itemAt(items, 3),
        QStringLiteral(" 时    间：") + itemAt(items, 4),
        QStringLiteral(" 星    期：") + weekdayName(itemAt(items, 5), false),
        QStringLiteral(" 版 本 号：") + itemAt(items, 6),
    };
}

}  // namespace SysInf
