#pragma once
#include <QIcon>
#include <QString>

// The small pictures of the status lists.
namespace StatusIcons {

// Picture n (1 to 8) of the lock settings window's status lines.
QIcon line(int n);

// The hardware-information window's pictures by key: "opened", "closed",
// "info", "ok", "info1", "failed".
QIcon node(const QString& key);

}  // namespace StatusIcons
