#include "cards/RemovedCardModel.h"

namespace {

QSet<int> everyColumn()
{
    QSet<int> all;
    for (int c = 0; c < RemovedCardQuery::gridCaptions().size(); ++c)
        all << c;
    return all;
}

}  // namespace

RemovedCardModel::RemovedCardModel(QSqlDatabase db, QObject* parent)
    : EditableGridModel(std::move(db), RemovedCardQuery::gridCaptions(), everyColumn(), &RemovedCardQuery::writeCell,
                        parent)
{
}

bool RemovedCardModel::run(const RemovedCardQuery::Filter& filter, QString* error)
{
    return EditableGridModel::run([&](QSqlDatabase reader) { return RemovedCardQuery::gridQuery(reader, filter); },
                                  error);
}
