#include "cards/RemovedCardModel.h"

RemovedCardModel::RemovedCardModel(QSqlDatabase db, QObject* parent)
    : EditableGridModel(std::move(db), RemovedCardQuery::gridCaptions(),
                        everyColumn(RemovedCardQuery::gridCaptions()), &RemovedCardQuery::writeCell, parent)
{
}

bool RemovedCardModel::run(const RemovedCardQuery::Filter& filter, QString* error)
{
    return EditableGridModel::run([&](QSqlDatabase reader) { return RemovedCardQuery::gridQuery(reader, filter); },
                                  error);
}
