#include "attendance/AttendanceGridModel.h"

namespace {

constexpr int kHours = 7;

}  // namespace

AttendanceGridModel::AttendanceGridModel(QSqlDatabase db, QObject* parent)
    : EditableGridModel(std::move(db), AttendanceQuery::captions(), everyColumn(AttendanceQuery::captions()),
                        &AttendanceQuery::writeCell, parent)
{
}

bool AttendanceGridModel::run(const AttendanceQuery::Filter& filter, QString* error)
{
    return EditableGridModel::run([&](QSqlDatabase reader) { return AttendanceQuery::gridQuery(reader, filter); },
                                  error);
}

QVariant AttendanceGridModel::data(const QModelIndex& item, int role) const
{
    const QVariant v = EditableGridModel::data(item, role);
    if (item.column() == kHours && (role == Qt::DisplayRole || role == Qt::EditRole) && !v.isNull() &&
        !v.toString().isEmpty())
        return QString::number(v.toDouble(), 'f', 2);
    return v;
}
