#pragma once
#include <QIcon>

#include "records/PollCommands.h"

// The pictures of the lock-status list: a closed padlock, an open one and
// a question mark for a lock whose state is not known.
namespace LockIcons {

QIcon of(LockState state);

}  // namespace LockIcons
