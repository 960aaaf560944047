#include "doors/LineDoubt.h"

namespace LineDoubts {

std::optional<LineDoubt> of(LineOutcome outcome)
{
    if (outcome == LineOutcome::WrongAnswer)
        return LineDoubt::WrongAddress;
    if (outcome == LineOutcome::Late)
        return LineDoubt::Late;
    if (outcome == LineOutcome::Disturbed)
        return LineDoubt::Disturbed;
    return std::nullopt;
}

QString cause(LineDoubt doubt, int address)
{
    if (doubt == LineDoubt::Disturbed)
        return disturbedLine(address);
    return (doubt == LineDoubt::WrongAddress ? QStringLiteral("%1号门回答的地址不对")
                                             : QStringLiteral("%1号门的应答迟到了"))
        .arg(address);
}

QString message(LineDoubt doubt, int address, const QString& command)
{
    return cause(doubt, address) + QStringLiteral("，%1可能已经执行，也可能没有，请检查后再试一次！").arg(command);
}

}  // namespace LineDoubts
