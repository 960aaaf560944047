#pragma once
#include <QSqlQueryModel>
#include <QStringList>

// A grid over one executed statement. Rows are read from the statement as
// the view scrolls (fetchMore), so a query of any size shows its first
// page at once. The captions are the grid's own: a statement the database
// refused leaves an empty grid that still shows its headings.
class QueryGridModel : public QSqlQueryModel {
    Q_OBJECT
public:
    explicit QueryGridModel(QStringList captions, QObject* parent = nullptr);

    // Shows the rows of `query`, which has been executed. When it did not
    // run, the grid becomes empty and `error` gets the database's message.
    bool show(QSqlQuery&& query, QString* error = nullptr);

    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    QVariant data(const QModelIndex& item, int role = Qt::DisplayRole) const override;

    const QStringList& captions() const { return captions_; }

    // Reads every row still unread; for callers that must see all of them.
    void fetchAll();

private:
    QStringList captions_;
};
