#include "records/PassHolders.h"

#include <QSqlQuery>

namespace PassHolders {

std::optional<PassHolder> find(QSqlDatabase db, const QString& physical)
{
    QSqlQuery q(db);
    q.setForwardOnly(true);
    // A card issued on several controllers has one faka row each, all for
    // the same person: the lowest address settles which row is read.
    if (!q.prepare(QStringLiteral("SELECT people.卡号, people.姓名, people.部门, people.职务, people.照片 "
                                  "FROM faka JOIN people ON people.卡号 = faka.卡号 "
                                  "WHERE faka.物理卡号 = ? ORDER BY faka.地址 LIMIT 1")))
        return std::nullopt;
    q.addBindValue(physical);
    if (!q.exec() || !q.next())
        return std::nullopt;
    PassHolder h;
    h.card = q.value(0).toString();
    h.name = q.value(1);
    h.department = q.value(2);
    h.position = q.value(3);
    h.photo = q.value(4);
    return h;
}

}  // namespace PassHolders
