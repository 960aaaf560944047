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

}  // namespace

namespace CardListLine {

CardLineResult add(LinePort& port, const LineParams& params, int address, QString& physical, const QString& card,
                   const CardLimits& limits, CardPacing pacing)
{
    const CardSendOptions options =
        pacing == CardPacing::AroundSend ? CardSendOptions::paced(params) : CardSendOptions::quiet(params);
    const CardResult r = addtodoor(port, address, physical.trimmed(), card.trimmed(), limits, options);
    if (!r.physical.isEmpty())
        physical = r.physical;
    return resultOf(r.outcome);
}

CardLineResult remove(LinePort& port, const LineParams& params, int address, const QString& card)
{
    return resultOf(delfromdoor(port, address, card.trimmed(), CardSendOptions::quiet(params)).outcome);
}

}  // namespace CardListLine
