#pragma once
#include "doors/ControllerLine.h"

#include <QString>

#include <optional>

// A command the controller answered, but after its wait or from a wrong
// address, or one whose answer was lost in a disturbed line: it may have
// been carried out, although nothing confirmed it. A controller that stays
// silent is no doubt of this kind. Every window that sends a controller a
// command tells such an answer in these words.
enum class LineDoubt { WrongAddress, Late, Disturbed };

namespace LineDoubts {

std::optional<LineDoubt> of(LineOutcome outcome);

// "3号门回答的地址不对" / "3号门的应答迟到了" / "3号门线路上有干扰"
QString cause(LineDoubt doubt, int address);
// The cause, that `command` ("开锁命令") may or may not have been carried
// out, and to check before trying again.
QString message(LineDoubt doubt, int address, const QString& command);

}  // namespace LineDoubts
