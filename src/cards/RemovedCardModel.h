#pragma once
#include "cards/CardGridModel.h"
#include "cards/RemovedCardQuery.h"

#include <QHash>
#include <QSqlDatabase>

// The removed-card grid. Cells may be corrected in place (the history is
// only a record: nothing goes to a controller); each value is checked for
// its column and written to its row by the row's identity. Rows can be
// neither added nor deleted.
//
// The rows are read on a connection of the grid's own to the same file.
// A lazily read statement is still open while the operator edits; on one
// connection, an edit that moves a row within the order being read would
// meet that row a second time further down. The grid's own connection
// reads the database as it was when the query ran, and the corrections
// already shown are kept beside it.
class RemovedCardModel : public CardGridModel {
    Q_OBJECT
public:
    // Corrections are written through `db`.
    explicit RemovedCardModel(QSqlDatabase db, QObject* parent = nullptr);
    ~RemovedCardModel() override;

    // Shows the rows of the filter; false with the database's message when
    // it refused the statement (the grid is then empty).
    bool run(const RemovedCardQuery::Filter& filter, QString* error = nullptr);

    Qt::ItemFlags flags(const QModelIndex& index) const override;
    QVariant data(const QModelIndex& item, int role = Qt::DisplayRole) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;

signals:
    // A correction was not stored; `message` says why.
    void editRefused(const QString& message);

private:
    static qint64 key(int row, int column) { return qint64(row) * 64 + column; }

    QSqlDatabase db_;
    QSqlDatabase reader_;
    QString readerName_;
    QHash<qint64, QVariant> corrected_;
};
