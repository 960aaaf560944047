#include "cards/CardDoubt.h"

#include "cards/CardCommands.h"

namespace CardDoubts {

std::optional<CardDoubt> of(const CardResult& result)
{
    if (result.outcome == CardOutcome::WrongEcho)
        return CardDoubt::WrongAddress;
    if (result.outcome == CardOutcome::Disturbed)
        return CardDoubt::Disturbed;
    if (result.lateEcho)
        return CardDoubt::Late;
    return std::nullopt;
}

QString cause(CardDoubt doubt, int address)
{
    return LineDoubts::cause(doubt, address);
}

QString remedy()
{
    return QStringLiteral("请用“发卡信息重整”重新发送该门的卡，使门禁控制器与数据库一致");
}

QString message(CardDoubt doubt, CardChange change, int address, const QString& card)
{
    const QString held = change == CardChange::Added
                             ? QStringLiteral("卡号 %1 可能已经写入该门禁控制器，也可能没有，发卡记录中没有写入。")
                             : QStringLiteral("卡号 %1 可能已从该门禁控制器删除，也可能没有，发卡记录保留。");
    return cause(doubt, address) + QStringLiteral("，") + held.arg(card) + remedy();
}

}  // namespace CardDoubts
