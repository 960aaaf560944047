#pragma once
#include "db/QueryGridModel.h"

#include <QHash>
#include <QSet>
#include <QSqlDatabase>
#include <QVariant>

#include <QDate>
#include <QTime>

#include <functional>
#include <optional>

// A value typed into a cell of an editable grid: the value to store, or
// why it is refused.
struct GridCell {
    QVariant stored;
    QString refusal;
    // Other columns of the row that the writer changed with it, by column.
    QHash<int, QVariant> alongside;
    bool ok() const { return refusal.isEmpty(); }
};

// What the writers of editable grids read a typed cell with.
namespace GridText {
GridCell refused(const QString& why);
GridCell stored(const QVariant& v);
// "2024-3-1" or "2024-03-01"; invalid otherwise.
QDate dateOf(const QString& text);
// "8:30", "08:30" or "08:30:00"; invalid otherwise.
QTime timeOf(const QString& text);
}  // namespace GridText

// A grid whose cells may be corrected in place. Each row carries its
// identity (`rowid`) as one more column after the captions; a change is
// checked for its column and written to that row by the writer, and a
// refused one is told through editRefused(). Rows can be neither added
// nor deleted.
//
// The rows are read on a connection of the grid's own to the same file.
// A lazily read statement is still open while the operator edits; on one
// connection, an edit that moves a row within the order being read would
// meet that row a second time further down. The grid's own connection
// reads the database as it was when the query ran, and the corrections
// already shown are kept beside it.
class EditableGridModel : public QueryGridModel {
    Q_OBJECT
public:
    using Writer = std::function<GridCell(QSqlDatabase db, qint64 rowId, int column, const QString& text)>;

    // Corrections of the `editable` columns are written through `db`.
    EditableGridModel(QSqlDatabase db, QStringList captions, QSet<int> editable, Writer writer,
                      QObject* parent = nullptr);
    ~EditableGridModel() override;

    // Every column of `captions`, for a grid whose cells may all be corrected.
    static QSet<int> everyColumn(const QStringList& captions);

    // Shows the rows that `select` reads on the grid's own connection; false
    // with the database's message when it refused the statement.
    bool run(const std::function<QSqlQuery(QSqlDatabase reader)>& select, QString* error = nullptr);

    // Every row of the last query as the grid shows it, corrections
    // included, in the grid's order: what a print of the grid holds.
    QList<QVariantList> shownRows();

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
    QSet<int> editable_;
    Writer writer_;
    QHash<qint64, QVariant> corrected_;
};
