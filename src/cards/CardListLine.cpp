#include "cards/CardListLine.h"

namespace {

CardLineResult resultOf(const CardResult& r)
{
    if (r.lateEcho)
        return CardLineResult::LateAnswer;
    switch (r.outcome) {
    case CardOutcome::Acknowledged: return CardLineResult::Acknowledged;
    case CardOutcome::Refused: return CardLineResult::Refused;
    case CardOutcome::PortNotOpen: return CardLineResult::PortNotOpen;
    case CardOutcome::NotAnswered: return CardLineResult::NoAnswer;
    case CardOutcome::WrongEcho: return CardLineResult::WrongAnswer;
    case CardOutcome::Disturbed: return CardLineResult::Disturbed;
    }
    return CardLineResult::NoAnswer;
}

// The list windows keep the line open for the whole run, except the paced
// extension, whose controllers expect the port closed after each card.
CardSendOptions optionsFor(const LineParams& params, CardPacing pacing)
{
    if (pacing == CardPacing::AroundSend)
        return CardSendOptions::paced(params);
    CardSendOptions o = CardSendOptions::quiet(params);
    o.keepOpen = true;
    return o;
}

}  // namespace

namespace CardListLine {

CardLineResult add(LinePort& port, const LineParams& params, int address, QString& physical, const QString& card,
                   const CardLimits& limits, CardPacing pacing)
{
    const CardResult r =
        addtodoor(port, address, physical.trimmed(), card.trimmed(), limits, optionsFor(params, pacing));
    if (!r.physical.isEmpty())
        physical = r.physical;
    return resultOf(r);
}

CardLineResult remove(LinePort& port, const LineParams& params, int address, const QString& card)
{
    return resultOf(delfromdoor(port, address, card.trimmed(), optionsFor(params, CardPacing::None)));
}

}  // namespace CardListLine
