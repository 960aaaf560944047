#include "link/Bcd.h"

namespace Bcd {

quint8 encode(int value)
{
    int v = value % 100;
    if (v < 0)
        v += 100;
    return static_cast<quint8>((v / 10) * 16 + v % 10);
}

int decode(quint8 byte)
{
    return (byte / 16) * 10 + byte % 16;
}

std::optional<QByteArray> fromDigits(QStringView digits)
{
    if (digits.size() % 2 != 0)
        return std::nullopt;
    QByteArray out;
    out.reserve(digits.size() / 2);
    for (qsizetype i = 0; i < digits.size(); i += 2) {
        const QChar hi = digits.at(i), lo = digits.at(i + 1);
        if (hi < u'0' || hi > u'9' || lo < u'0' || lo > u'9')
            return std::nullopt;
        out.append(static_cast<char>((hi.unicode() - u'0') * 16 + (lo.unicode() - u'0')));
    }
    return out;
}

QString toDigits(QByteArrayView bytes)
{
    QString out;
    out.reserve(bytes.size() * 2);
    for (char c : bytes) {
        const int v = decode(static_cast<quint8>(c));
        if (v < 10)
            out += QLatin1Char('0');
        out += QString::number(v);
    }
    return out;
}

}  // namespace Bcd

namespace TwoByteCount {

QByteArray encode(quint16 count)
{
    QByteArray out(2, '\0');
    out[0] = static_cast<char>(count >> 8);
    out[1] = static_cast<char>(count & 0xFF);
    return out;
}

quint16 decode(quint8 high, quint8 low)
{
    return static_cast<quint16>(high * 256 + low);
}

}  // namespace TwoByteCount
