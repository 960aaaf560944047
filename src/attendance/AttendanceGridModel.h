#pragma once
#include "attendance/AttendanceQuery.h"

#include <QSqlQueryModel>

// The attendance rows of a query, editable cell by cell. Each change is
// checked for its column and written to `datakq` by the row's key; a
// refused change is told to the operator and the cell keeps its value.
class AttendanceGridModel : public QSqlQueryModel {
    Q_OBJECT
public:
    AttendanceGridModel(QSqlDatabase db, QWidget* window);

    // Runs the statement and shows its rows.
    void run(const AttendanceQuery::Statement& s);

    Qt::ItemFlags flags(const QModelIndex& index) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;

private:
    void refresh();

    QSqlDatabase db_;
    QWidget* window_;
    AttendanceQuery::Statement shown_;
};
