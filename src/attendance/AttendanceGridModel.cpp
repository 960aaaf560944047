#include "attendance/AttendanceGridModel.h"

#include "ui/Prompter.h"
#include "db/NameKey.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QTimer>
#include <QWidget>

AttendanceGridModel::AttendanceGridModel(QSqlDatabase db, QWidget* window)
    : QSqlQueryModel(window), db_(db), window_(window)
{
}

void AttendanceGridModel::run(const AttendanceQuery::Statement& s)
{
    shown_ = s;
    refresh();
}

void AttendanceGridModel::refresh()
{
    NameKey::fill(db_, QStringLiteral("datakq"));
    QSqlQuery q(db_);
    q.prepare(shown_.sql);
    for (int i = 0; i < shown_.values.size(); ++i)
        q.bindValue(i, shown_.values.at(i));
    q.exec();
    setQuery(std::move(q));
    while (canFetchMore())
        fetchMore();
    const QStringList captions = AttendanceQuery::captions();
    for (int i = 0; i < captions.size(); ++i)
        setHeaderData(i, Qt::Horizontal, captions.at(i));
}

Qt::ItemFlags AttendanceGridModel::flags(const QModelIndex& index) const
{
    return QSqlQueryModel::flags(index) | Qt::ItemIsEditable;
}

QVariant AttendanceGridModel::data(const QModelIndex& index, int role) const
{
    const bool editing = role == Qt::EditRole;
    const QVariant v = QSqlQueryModel::data(index, editing ? Qt::DisplayRole : role);
    // Hours show two decimals, not the locale's form.
    if (role == Qt::DisplayRole && index.column() == 7 && !v.isNull())
        return QString::number(v.toDouble(), 'f', 2);
    // Every cell is edited as text: the column's own check decides.
    if (editing)
        return v.isNull() ? QString() : index.column() == 7 ? QString::number(v.toDouble(), 'f', 2) : v.toString();
    return v;
}

bool AttendanceGridModel::setData(const QModelIndex& index, const QVariant& value, int role)
{
    if (role != Qt::EditRole || !index.isValid())
        return false;
    const QString before = data(index).toString();
    const QString text = value.toString();
    if (text == before)
        return false;
    const QString card = QSqlQueryModel::data(this->index(index.row(), 1)).toString();
    const QString day = QSqlQueryModel::data(this->index(index.row(), 2)).toString();
    const AttendanceQuery::EditResult r = AttendanceQuery::change(db_, card, day, index.column(), text);
    // The view is still closing its editor: the message and the fresh
    // rows wait until it has.
    QTimer::singleShot(0, this, [this, r]() {
        if (!r.ok())
            Prompt::exclaim(window_, r.message());
        else
            refresh();
    });
    return r.ok();
}
