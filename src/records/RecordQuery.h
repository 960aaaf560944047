#pragma once
#include "db/EditableGridModel.h"
#include "reports/ReportStaging.h"

#include <QDate>
#include <QSqlDatabase>
#include <QString>
#include <QStringList>
#include <QTime>
#include <QVariantList>

#include <optional>
#include <variant>

// The operator's choices in the door-open record query, as typed.
struct RecordQueryInput {
    bool byDate = false;
    QDate firstDay, lastDay;
    bool byTime = false;
    QTime firstTime, lastTime;
    bool byAddress = false;
    QString address;
    bool byCard = false;
    QString card;
    bool byName = false;
    QString name;
    int order = -1;  // position in orderItems(), -1 for none
};

// A checked query: every value ready to bind.
struct RecordFilter {
    std::optional<std::pair<QDate, QDate>> days;
    std::optional<std::pair<QTime, QTime>> times;
    std::optional<int> address;
    std::optional<QString> card;
    std::optional<QString> name;
    int order = -1;
};

struct RecordStatement {
    QString sql;
    QVariantList values;
};

// The door-open records of `data` with their holder's name, department and
// position. A record whose card belongs to nobody in `people` is never
// listed: the query joins the two.
namespace RecordQuery {

// "1 按日期" .. "6 按姓名".
QStringList orderItems();

// The input checked in the order the filters are built; an empty (or, for
// the address, not 0 to 99) field of a checked filter gives the message
// that asks for it: "请选择地址", "请选择卡号" or "请选择姓名".
std::variant<RecordFilter, QString> check(const RecordQueryInput& input);

// The grid's statement: 姓名, 部门, 职务, 卡号, 日期, 时间, 地址, flagIO, flag,
// and the record's identity `rowid` last, for `db`'s records as they are
// now (what the filters keep there decides how it reads them).
RecordStatement statement(QSqlDatabase db, const RecordFilter& filter);

// The grid's captions, and the columns that are the record's own (the
// holder's name, department and position come from people).
QStringList gridCaptions();
QSet<int> recordColumns();
// A value typed into the grid's column `column` of the record with that
// identity: checked for the column and written, unless the record would
// then be the same pass as another one.
GridCell writeCell(QSqlDatabase db, qint64 rowId, int column, const QString& text);

// The pick lists, each read along an index so that its first rows come at
// once: addresses and card numbers that occur in `data`, names of
// `people` that are not blank.
QSqlQuery addresses(QSqlDatabase db);
QSqlQuery cards(QSqlDatabase db);
QSqlQuery names(QSqlDatabase db);

// Stages the rows `grid` shows (its statement's and corrections) in its
// order in dataPT for the report drda2.rpt, the direction in words.
ReportOutcome stage(QSqlDatabase db, EditableGridModel& grid);
ReportStaging report(QSqlDatabase db);

}  // namespace RecordQuery
