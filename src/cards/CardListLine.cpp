#include "cards/CardListLine.h"

namespace {

CardLineResult resultOf(CardOutcome o)
{
    switch (o) {
    case CardOutcome::Acknowledged: return CardLineResult::Acknowledged;
    case CardOutcome::Refused: return CardLineResult::Refused;
    case CardOutcome::PortNotOpen: return CardLineResult::PortNotOpen;
    case CardOutcome::NotAnswered: return CardLineResult::NoAnswer;
    case CardOutcome::WrongEcho: return CardLineResult::WrongAnswer;
    }
    return CardLineResult::NoAnswer;
}

CardLineResult resultOf(ExchangeStatus status)
{
    switch (status) {
    case ExchangeStatus::Ok: return CardLineResult::Acknowledged;
    case ExchangeStatus::TimedOut: return CardLineResult::NoAnswer;
    case ExchangeStatus::WrongAddress: return CardLineResult::WrongAnswer;
    default: return CardLineResult::PortNotOpen;
    }
}

// A run over many cards keeps the line open from card to card: opening a
// port costs more than a card's frame and echo, and a run must take about
// the time its bytes need on the line.
CardLineResult exchangeOnOpenPort(LinePort& port, const LineParams& params, const std::optional<QByteArray>& frame)
{
    if (!frame)
        return CardLineResult::Refused;
    if (!port.open(params).ok())
        return CardLineResult::PortNotOpen;
    return resultOf(port.exchange(*frame, ExchangeOptions::echo()).status);
}

}  // namespace

namespace CardListLine {

CardLineResult add(LinePort& port, const LineParams& params, int address, QString& physical, const QString& card,
                   const CardLimits& limits, CardPacing pacing)
{
    if (pacing == CardPacing::None) {
        if (const std::optional<QString> padded = CardNumbers::paddedPhysical(physical.trimmed()))
            physical = *padded;
        return exchangeOnOpenPort(port, params, CardFrames::addCard(address, physical, card.trimmed(), limits));
    }
    const CardResult r = addtodoor(port, address, physical.trimmed(), card.trimmed(), limits, CardSendOptions::paced(params));
    if (!r.physical.isEmpty())
        physical = r.physical;
    return resultOf(r.outcome);
}

CardLineResult remove(LinePort& port, const LineParams& params, int address, const QString& card)
{
    return exchangeOnOpenPort(port, params, CardFrames::deleteCard(address, card.trimmed()));
}

}  // namespace CardListLine
