#include "db/DateText.h"

namespace DateText {

QString fromDate(const QDate& d)
{
    return d.isValid() ? d.toString(QStringLiteral("yyyy-MM-dd")) : QString();
}

QString fromTime(const QTime& t)
{
    return t.isValid() ? t.toString(QStringLiteral("HH:mm:ss")) : QString();
}

QDate toDate(const QVariant& stored)
{
    if (stored.isNull())
        return {};
    const QString s = stored.toString().trimmed();
    QDate d = QDate::fromString(s.left(10), QStringLiteral("yyyy-MM-dd"));
    return d;
}

QTime toTime(const QVariant& stored)
{
    if (stored.isNull())
        return {};
    QString s = stored.toString().trimmed();
    // A full date-time keeps its time part.
    if (s.size() > 10 && s.at(10) == QLatin1Char(' '))
        s = s.mid(11);
    QTime t = QTime::fromString(s, QStringLiteral("HH:mm:ss"));
    if (!t.isValid())
        t = QTime::fromString(s, QStringLiteral("H:mm:ss"));
    if (!t.isValid())
        t = QTime::fromString(s, QStringLiteral("HH:mm"));
    return t;
}

QVariant bindDate(const QDate& d)
{
    return d.isValid() ? QVariant(fromDate(d)) : QVariant(QMetaType(QMetaType::QString));
}

QVariant bindTime(const QTime& t)
{
    return t.isValid() ? QVariant(fromTime(t)) : QVariant(QMetaType(QMetaType::QString));
}

bool toBool(const QVariant& stored)
{
    if (stored.isNull())
        return false;
    bool ok = false;
    const int v = stored.toInt(&ok);
    if (ok)
        return v != 0;
    const QString s = stored.toString().trimmed().toLower();
    return s == QLatin1String("true") || s == QLatin1String("yes");
}

}  // namespace DateText
