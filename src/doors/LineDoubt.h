#pragma once
#include "doors/ControllerLine.h"

#include <QString>

#include <optional>

// A command the controller answered, but after its wait or from a wrong
// address: it heard the command and may have carried it out, although
// nothing confirmed it. A controller that stays silent is no doubt of
// this kind. Every window that sends a controller a command tells such
// an answer in these words.
enum class LineDoubt { WrongAddress, Late };

namespace LineDoubts {

std::optional<LineDoubt> of(LineOutcome outcome);

// "3号门回答的地址不对" / "3号门的应答迟到了"
QString cause(LineDoubt doubt, int address);
// The cause, that `command` ("开锁命令") may or may not have been carried
// out, and to check before trying again.
QString message(LineDoubt doubt, int address, const QString& command);

}  // namespace LineDoubts
