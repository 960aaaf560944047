#pragma once
#include "db/EditableGridModel.h"
#include "cards/RemovedCardQuery.h"

// The removed-card grid. Every cell may be corrected in place (the
// history is only a record: nothing goes to a controller).
class RemovedCardModel : public EditableGridModel {
    Q_OBJECT
public:
    // Corrections are written through `db`.
    explicit RemovedCardModel(QSqlDatabase db, QObject* parent = nullptr);

    // Shows the rows of the filter; false with the database's message when
    // it refused the statement (the grid is then empty).
    bool run(const RemovedCardQuery::Filter& filter, QString* error = nullptr);
};
