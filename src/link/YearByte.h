#pragma once
#include <QDate>
#include <QtGlobal>

#include <optional>

// A controller keeps a year as its last two digits, one packed-BCD byte,
// in its clock, its card limits and its records. The byte means a year of
// one century only, the same way going out and coming back: 00 is 2000 and
// 99 is 2099. In that century every fourth year is a leap year, which is
// all a two-digit calendar can know. A date outside it cannot be sent.
namespace YearByte {

inline constexpr int kFirstYear = 2000;
inline constexpr int kLastYear = 2099;

inline QDate first() { return QDate(kFirstYear, 1, 1); }
inline QDate last() { return QDate(kLastYear, 12, 31); }

bool holds(const QDate& date);

// The year byte of a date; nothing outside the century.
std::optional<quint8> encode(const QDate& date);

// The full year of a decoded two-digit year 0..99.
int fullYear(int twoDigits);

}  // namespace YearByte
