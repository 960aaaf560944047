#pragma once
#include "attendance/AttendanceQuery.h"
#include "db/EditableGridModel.h"

// The attendance rows of a query, every cell correctable in place. Hours
// show and are edited with two decimals, not in the locale's form.
class AttendanceGridModel : public EditableGridModel {
    Q_OBJECT
public:
    // Corrections are written through `db`.
    explicit AttendanceGridModel(QSqlDatabase db, QObject* parent = nullptr);

    // Shows the rows of the filter; false with the database's message when
    // it refused the statement (the grid is then empty).
    bool run(const AttendanceQuery::Filter& filter, QString* error = nullptr);

    QVariant data(const QModelIndex& item, int role = Qt::DisplayRole) const override;
};
