#include "link/YearByte.h"

#include "link/Bcd.h"

namespace YearByte {

bool holds(const QDate& date)
{
    return date.isValid() && date.year() >= kFirstYear && date.year() <= kLastYear;
}

std::optional<quint8> encode(const QDate& date)
{
    if (!holds(date))
        return std::nullopt;
    return Bcd::encode(date.year() - kFirstYear);
}

int fullYear(int twoDigits)
{
    return kFirstYear + twoDigits;
}

}  // namespace YearByte
