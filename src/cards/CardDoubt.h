#pragma once
#include "doors/LineDoubt.h"

#include <QString>

#include <optional>

struct CardResult;

// A card command the controller answered, but from a wrong address or
// after its wait: what it holds is in doubt until its list is sent again.
using CardDoubt = LineDoubt;

// What a command whose echo did not confirm it did to the controller's
// list, if it did anything.
enum class CardChange { Added, Removed };

namespace CardDoubts {

std::optional<CardDoubt> of(const CardResult& result);

// "3号门回答的地址不对" / "3号门的应答迟到了"
QString cause(CardDoubt doubt, int address);
// What the operator does about a controller whose list may differ from
// faka: send it its cards again.
QString remedy();
// The whole message: which controller, that it may (no longer) hold the
// card while faka keeps what was confirmed, and the remedy.
QString message(CardDoubt doubt, CardChange change, int address, const QString& card);

}  // namespace CardDoubts
