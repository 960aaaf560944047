#include "db/QueryGridModel.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>

QueryGridModel::QueryGridModel(QStringList captions, QObject* parent)
    : QSqlQueryModel(parent), captions_(std::move(captions))
{
}

bool QueryGridModel::show(QSqlQuery&& query, QString* error)
{
    if (!query.isActive()) {
        const QString message = query.lastError().text();
        clear();
        if (error)
            *error = message;
        return false;
    }
    setQuery(std::move(query));
    if (lastError().isValid()) {
        const QString message = lastError().text();
        clear();
        if (error)
            *error = message;
        return false;
    }
    return true;
}

int QueryGridModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(captions_.size());
}

QVariant QueryGridModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole)
        return captions_.value(section);
    return QSqlQueryModel::headerData(section, orientation, role);
}

QVariant QueryGridModel::data(const QModelIndex& item, int role) const
{
    // The statement may hold fewer columns than the captions (an empty grid
    // after a refusal) or more (hidden ones such as the row identity).
    if (!item.isValid() || item.column() >= record().count())
        return QVariant();
    return QSqlQueryModel::data(item, role);
}

void QueryGridModel::fetchAll()
{
    while (canFetchMore())
        fetchMore();
}
