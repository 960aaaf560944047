#include "db/NumberText.h"

#include <QRegularExpression>

namespace NumberText {

bool allDigits(QStringView text)
{
    if (text.isEmpty())
        return false;
    for (QChar c : text) {
        if (c < u'0' || c > u'9')
            return false;
    }
    return true;
}

std::optional<int> wholeNumber(QStringView text, int low, int high)
{
    text = text.trimmed();
    if (!allDigits(text))
        return std::nullopt;
    // Leading zeros spell nothing; what remains must fit before it is read.
    while (text.size() > 1 && text.front() == u'0')
        text = text.mid(1);
    if (text.size() > 9)
        return std::nullopt;
    const int n = text.toInt();
    if (n < low || n > high)
        return std::nullopt;
    return n;
}

std::optional<int> address(QStringView text)
{
    return wholeNumber(text, 0, kHighestAddress);
}

bool isAddress(int address)
{
    return address >= 0 && address <= kHighestAddress;
}

bool isCardNumber(QStringView text)
{
    return text.size() == 6 && allDigits(text);
}

std::optional<QString> paddedPhysical(QStringView text)
{
    if (text.size() > 10 || !allDigits(text))
        return std::nullopt;
    return text.toString().rightJustified(10, QLatin1Char('0'));
}

double leading(const QString& text)
{
    static const QRegularExpression re(QStringLiteral("^[+-]?(\\d+\\.?\\d*|\\.\\d+)"));
    const QRegularExpressionMatch m = re.match(text.trimmed());
    if (!m.hasMatch())
        return 0;
    return m.captured(0).toDouble();
}

}  // namespace NumberText
