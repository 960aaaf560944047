#pragma once
#include <QSqlDatabase>
#include <QString>
#include <QVariant>

#include <optional>

// The person behind a physical card number, as the monitoring windows
// show them. Fields without a value are Null.
struct PassHolder {
    QString card;  // 卡号
    QVariant name;
    QVariant department;
    QVariant position;
    QVariant photo;
};

namespace PassHolders {

// The holder of the card that `physical` (ten digits) names in `faka`,
// whichever controller issued it; nothing when no card or no person has
// that number, or the database refuses.
std::optional<PassHolder> find(QSqlDatabase db, const QString& physical);

}  // namespace PassHolders
