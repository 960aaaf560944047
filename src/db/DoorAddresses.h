#pragma once
#include <QList>
#include <QSqlDatabase>
#include <QStringList>

// The controllers' addresses as `doors` holds them, lowest first: what
// every window that lists, polls or sends to the controllers goes by.
namespace DoorAddresses {

QList<int> list(QSqlDatabase db);
// The same as text, for an address pick list.
QStringList texts(QSqlDatabase db);

}  // namespace DoorAddresses
