#include "cards/RemovedCardModel.h"

#include <QSqlQuery>
#include <QSqlRecord>

RemovedCardModel::RemovedCardModel(QSqlDatabase db, QObject* parent)
    : CardGridModel(RemovedCardQuery::gridCaptions(), parent), db_(std::move(db))
{
    const QString file = db_.databaseName();
    if (!file.isEmpty() && file != QLatin1String(":memory:")) {
        readerName_ = QStringLiteral("removed-card grid %1").arg(quintptr(this), 0, 16);
        reader_ = QSqlDatabase::cloneDatabase(db_, readerName_);
        if (!reader_.open()) {
            reader_ = QSqlDatabase();
            QSqlDatabase::removeDatabase(readerName_);
            readerName_.clear();
        }
    }
    if (!reader_.isValid())
        reader_ = db_;
}

RemovedCardModel::~RemovedCardModel()
{
    clear();
    reader_ = QSqlDatabase();
    if (!readerName_.isEmpty())
        QSqlDatabase::removeDatabase(readerName_);
}

bool RemovedCardModel::run(const RemovedCardQuery::Filter& filter, QString* error)
{
    corrected_.clear();
    return show(RemovedCardQuery::gridQuery(reader_, filter), error);
}

Qt::ItemFlags RemovedCardModel::flags(const QModelIndex& index) const
{
    Qt::ItemFlags f = CardGridModel::flags(index);
    if (index.isValid())
        f |= Qt::ItemIsEditable;
    return f;
}

QVariant RemovedCardModel::data(const QModelIndex& item, int role) const
{
    if (!item.isValid() || (role != Qt::DisplayRole && role != Qt::EditRole))
        return CardGridModel::data(item, role);
    const auto it = corrected_.constFind(key(item.row(), item.column()));
    const QVariant v = it != corrected_.constEnd() ? *it : CardGridModel::data(item, role);
    // The editor gets plain text, whatever the field's type.
    return role == Qt::EditRole ? QVariant(v.isNull() ? QString() : v.toString()) : v;
}

bool RemovedCardModel::setData(const QModelIndex& index, const QVariant& value, int role)
{
    if (!index.isValid() || role != Qt::EditRole)
        return false;
    const QString text = value.toString();
    if (text == data(index, Qt::EditRole).toString())
        return true;
    const qint64 rowId = record(index.row()).value(columnCount()).toLongLong();
    const RemovedCardQuery::Cell cell = RemovedCardQuery::writeCell(db_, rowId, index.column(), text);
    if (!cell.ok()) {
        emit editRefused(cell.refusal);
        return false;
    }
    corrected_.insert(key(index.row(), index.column()), cell.stored);
    emit dataChanged(index, index, {Qt::DisplayRole, Qt::EditRole});
    return true;
}
