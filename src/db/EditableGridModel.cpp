#include "db/EditableGridModel.h"

#include "db/Database.h"
#include "db/StoredText.h"

#include <QRegularExpression>
#include <QSqlQuery>
#include <QSqlRecord>

namespace GridText {

GridCell refused(const QString& why)
{
    return {QVariant(), why, {}};
}

GridCell stored(const QVariant& v)
{
    return {v, QString(), {}};
}

QDate dateOf(const QString& text)
{
    static const QRegularExpression form(QStringLiteral("^[0-9]{4}-[0-9]{1,2}-[0-9]{1,2}$"));
    return form.match(text).hasMatch() ? QDate::fromString(text, QStringLiteral("yyyy-M-d")) : QDate();
}

QTime timeOf(const QString& text)
{
    static const QRegularExpression form(QStringLiteral("^[0-9]{1,2}:[0-9]{2}(:[0-9]{2})?$"));
    if (!form.match(text).hasMatch())
        return QTime();
    return QTime::fromString(text, text.count(QLatin1Char(':')) == 2 ? QStringLiteral("H:mm:ss")
                                                                       : QStringLiteral("H:mm"));
}

}  // namespace GridText

EditableGridModel::EditableGridModel(QSqlDatabase db, QStringList captions, QSet<int> editable, Writer writer,
                                     QObject* parent)
    : QueryGridModel(std::move(captions), parent), db_(std::move(db)), editable_(std::move(editable)),
      writer_(std::move(writer))
{
    const QString file = db_.databaseName();
    if (!file.isEmpty() && file != QLatin1String(":memory:")) {
        readerName_ = QStringLiteral("editable grid %1").arg(quintptr(this), 0, 16);
        reader_ = QSqlDatabase::cloneDatabase(db_, readerName_);
        if (!reader_.open() || !Database::applySettings(reader_)) {
            reader_.close();
            reader_ = QSqlDatabase();
            QSqlDatabase::removeDatabase(readerName_);
            readerName_.clear();
        }
    }
    if (!reader_.isValid())
        reader_ = db_;
}

EditableGridModel::~EditableGridModel()
{
    clear();
    reader_ = QSqlDatabase();
    if (!readerName_.isEmpty())
        QSqlDatabase::removeDatabase(readerName_);
}

QSet<int> EditableGridModel::everyColumn(const QStringList& captions)
{
    QSet<int> all;
    for (int c = 0; c < captions.size(); ++c)
        all << c;
    return all;
}

bool EditableGridModel::run(const std::function<QSqlQuery(QSqlDatabase reader)>& select, QString* error)
{
    corrected_.clear();
    return show(select(reader_), error);
}

QList<QVariantList> EditableGridModel::shownRows()
{
    fetchAll();
    QList<QVariantList> rows;
    rows.reserve(rowCount());
    for (int r = 0; r < rowCount(); ++r) {
        QVariantList row;
        for (int c = 0; c < columnCount(); ++c)
            row << data(index(r, c));
        rows << row;
    }
    return rows;
}

Qt::ItemFlags EditableGridModel::flags(const QModelIndex& index) const
{
    Qt::ItemFlags f = QueryGridModel::flags(index);
    if (index.isValid() && editable_.contains(index.column()))
        f |= Qt::ItemIsEditable;
    return f;
}

QVariant EditableGridModel::data(const QModelIndex& item, int role) const
{
    if (!item.isValid() || (role != Qt::DisplayRole && role != Qt::EditRole))
        return QueryGridModel::data(item, role);
    const auto it = corrected_.constFind(key(item.row(), item.column()));
    const QVariant v = it != corrected_.constEnd() ? *it : QueryGridModel::data(item, role);
    // The editor gets plain text, whatever the field's type.
    return role == Qt::EditRole ? QVariant(v.isNull() ? QString() : v.toString()) : v;
}

bool EditableGridModel::setData(const QModelIndex& index, const QVariant& value, int role)
{
    if (!index.isValid() || role != Qt::EditRole || !editable_.contains(index.column()))
        return false;
    const QString text = value.toString();
    if (text == data(index, Qt::EditRole).toString())
        return true;
    // Whatever the column, a cell's text takes the rule of every stored box.
    if (!StoredText::fits(text)) {
        emit editRefused(StoredText::refusal());
        return false;
    }
    const qint64 rowId = record(index.row()).value(columnCount()).toLongLong();
    const GridCell cell = writer_(db_, rowId, index.column(), text);
    if (!cell.ok()) {
        emit editRefused(cell.refusal);
        return false;
    }
    corrected_.insert(key(index.row(), index.column()), cell.stored);
    for (auto it = cell.alongside.constBegin(); it != cell.alongside.constEnd(); ++it)
        corrected_.insert(key(index.row(), it.key()), it.value());
    const int first = cell.alongside.isEmpty() ? index.column() : 0;
    const int last = cell.alongside.isEmpty() ? index.column() : columnCount() - 1;
    emit dataChanged(index.siblingAtColumn(first), index.siblingAtColumn(last), {Qt::DisplayRole, Qt::EditRole});
    return true;
}
