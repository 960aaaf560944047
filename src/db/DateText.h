#pragma once
#include <QDate>
#include <QString>
#include <QTime>
#include <QVariant>

// Dates are stored as "yyyy-MM-dd" text, times of day as "HH:mm:ss" text
// and Yes/No as 0/1. These are the only conversions between the stored
// form and Qt's types.
namespace DateText {

QString fromDate(const QDate& d);
QString fromTime(const QTime& t);
QDate toDate(const QVariant& stored);
QTime toTime(const QVariant& stored);

// A value to bind: the text, or Null for an invalid date or time.
QVariant bindDate(const QDate& d);
QVariant bindTime(const QTime& t);

inline int fromBool(bool b) { return b ? 1 : 0; }
// Null, empty and 0 are false; the old engine stored True as -1.
bool toBool(const QVariant& stored);

}  // namespace DateText
