#include "db/DoorAddresses.h"

#include <QSqlQuery>
#include <QVariant>

namespace DoorAddresses {

QList<int> list(QSqlDatabase db)
{
    QList<int> out;
    QSqlQuery q(db);
    q.setForwardOnly(true);
    if (q.exec(QStringLiteral("SELECT DISTINCT 地址 FROM doors ORDER BY 地址"))) {
        while (q.next())
            out << q.value(0).toInt();
    }
    return out;
}

QStringList texts(QSqlDatabase db)
{
    QStringList out;
    for (int address : list(db))
        out << QString::number(address);
    return out;
}

}  // namespace DoorAddresses
