#include "link/SerialFormat.h"

#include <QStringList>

#include <algorithm>
#include <array>

namespace {

constexpr std::array<qint32, 18> kBaudRates{110,   300,   600,   1200,  2400,   4800,   9600,   14400,  19200,
                                            28800, 38400, 56000, 57600, 115200, 128000, 230400, 256000, 460800};

}  // namespace

bool SerialFormat::isKnownBaudRate(qint32 baud)
{
    return std::find(kBaudRates.begin(), kBaudRates.end(), baud) != kBaudRates.end();
}

std::optional<SerialFormat> SerialFormat::parse(const QString& text)
{
    const QStringList parts = text.split(QLatin1Char(','));
    if (parts.size() != 4)
        return std::nullopt;
    SerialFormat f;

    bool ok = false;
    const QString baud = parts.at(0).trimmed();
    f.baud = baud.toInt(&ok);
    if (!ok || baud.startsWith(QLatin1Char('+')) || !isKnownBaudRate(f.baud))
        return std::nullopt;

    const QString parity = parts.at(1).trimmed().toLower();
    if (parity == QLatin1String("n"))
        f.parity = Parity::None;
    else if (parity == QLatin1String("e"))
        f.parity = Parity::Even;
    else if (parity == QLatin1String("o"))
        f.parity = Parity::Odd;
    else if (parity == QLatin1String("m"))
        f.parity = Parity::Mark;
    else if (parity == QLatin1String("s"))
        f.parity = Parity::Space;
    else
        return std::nullopt;

    const QString data = parts.at(2).trimmed();
    if (data.size() != 1 || data.at(0) < u'5' || data.at(0) > u'8')
        return std::nullopt;
    f.dataBits = data.at(0).unicode() - u'0';

    const QString stop = parts.at(3).trimmed();
    if (stop == QLatin1String("1"))
        f.stopBits = StopBits::One;
    else if (stop == QLatin1String("1.5"))
        f.stopBits = StopBits::OneAndHalf;
    else if (stop == QLatin1String("2"))
        f.stopBits = StopBits::Two;
    else
        return std::nullopt;
    return f;
}

QString SerialFormat::text() const
{
    static const char* parities[] = {"n", "e", "o", "m", "s"};
    static const char* stops[] = {"1", "1.5", "2"};
    return QStringLiteral("%1,%2,%3,%4")
        .arg(baud)
        .arg(QLatin1String(parities[static_cast<int>(parity)]))
        .arg(dataBits)
        .arg(QLatin1String(stops[static_cast<int>(stopBits)]));
}

double SerialFormat::bitsPerByte() const
{
    double bits = 1 + dataBits + (parity == Parity::None ? 0 : 1);
    switch (stopBits) {
    case StopBits::One: bits += 1; break;
    case StopBits::OneAndHalf: bits += 1.5; break;
    case StopBits::Two: bits += 2; break;
    }
    return bits;
}
