#include "cards/CardListLine.h"

#include "link/Bcd.h"
#include "link/CommandFrame.h"

#include <QThread>

#include <optional>

namespace {

bool allDigits(const QString& s)
{
    for (QChar c : s) {
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return false;
    }
    return true;
}

CardLineResult resultOf(ExchangeStatus status)
{
    switch (status) {
    case ExchangeStatus::Ok: return CardLineResult::Acknowledged;
    case ExchangeStatus::PortNotOpen:
    case ExchangeStatus::WriteFailed:
    case ExchangeStatus::Busy: return CardLineResult::PortNotOpen;
    case ExchangeStatus::TimedOut: return CardLineResult::NoAnswer;
    case ExchangeStatus::WrongAddress: return CardLineResult::WrongAnswer;
    }
    return CardLineResult::NoAnswer;
}

// The AddCard parameters (bytes 3 to 21), or nothing when the card cannot
// be put into them.
std::optional<QByteArray> addCardParameters(const QString& physical, const QString& card, const CardLimits& l)
{
    if (physical.size() != 10 || !allDigits(physical) || card.size() < 6 || !allDigits(card.left(6)))
        return std::nullopt;
    if (l.lock1Mode < 0 || l.lock1Mode > 3 || l.lock2Mode < 0 || l.lock2Mode > 3 || l.weekStart < 0 || l.weekStart > 15
        || l.weekEnd < 0 || l.weekEnd > 15)
        return std::nullopt;
    QByteArray p = *Bcd::fromDigits(physical) + *Bcd::fromDigits(card.left(6));
    QByteArray d(6, '\0');
    if (l.startDate.isValid() && l.endDate.isValid()) {
        d[0] = static_cast<char>(Bcd::encode(l.startDate.year() % 100));
        d[1] = static_cast<char>(Bcd::encode(l.endDate.year() % 100));
        d[2] = static_cast<char>(Bcd::encode(l.startDate.month()));
        d[3] = static_cast<char>(Bcd::encode(l.endDate.month()));
        d[4] = static_cast<char>(Bcd::encode(l.startDate.day()));
        d[5] = static_cast<char>(Bcd::encode(l.endDate.day()));
    }
    d[2] = static_cast<char>(static_cast<quint8>(d[2]) + l.lock1Mode * 32);
    d[3] = static_cast<char>(static_cast<quint8>(d[3]) + l.lock2Mode * 32);
    QByteArray t(4, '\0');
    const QTime midnight(0, 0);
    if (l.startTime.isValid() && l.endTime.isValid() && l.startTime != midnight && l.endTime != midnight) {
        t[0] = static_cast<char>(Bcd::encode(l.startTime.hour()));
        t[1] = static_cast<char>(Bcd::encode(l.endTime.hour()));
        t[2] = static_cast<char>(Bcd::encode(l.startTime.minute()));
        t[3] = static_cast<char>(Bcd::encode(l.endTime.minute()));
    }
    p += d + t;
    p += static_cast<char>(l.weekStart * 16 + l.weekEnd);
    return p;
}

}  // namespace

namespace CardListLine {

CardLineResult add(LinePort& port, const LineParams& params, int address, QString& physical, const QString& card,
                   const CardLimits& limits, CardPacing pacing)
{
    physical = physical.trimmed();
    while (physical.size() < 10)
        physical.prepend(QLatin1Char('0'));
    if (address < 0 || address > 99)
        return CardLineResult::Refused;
    const std::optional<QByteArray> parameters = addCardParameters(physical, card.trimmed(), limits);
    if (!parameters)
        return CardLineResult::Refused;
    if (!port.open(params).ok())
        return CardLineResult::PortNotOpen;
    if (pacing == CardPacing::AroundSend)
        QThread::msleep(100);
    const ExchangeResult r =
        port.exchange(CommandFrame::build(static_cast<quint8>(address), CommandCode::AddCard, *parameters));
    if (r.ok() && pacing == CardPacing::AroundSend)
        QThread::msleep(100);
    return resultOf(r.status);
}

CardLineResult remove(LinePort& port, const LineParams& params, int address, const QString& card)
{
    const QString digits = card.trimmed();
    if (address < 0 || address > 99 || digits.size() < 6 || !allDigits(digits.left(6)))
        return CardLineResult::Refused;
    if (!port.open(params).ok())
        return CardLineResult::PortNotOpen;
    const ExchangeResult r = port.exchange(
        CommandFrame::build(static_cast<quint8>(address), CommandCode::DeleteCard, *Bcd::fromDigits(digits.left(6))));
    return resultOf(r.status);
}

}  // namespace CardListLine
