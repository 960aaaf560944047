#pragma once
#include "records/RecordStream.h"

#include <QList>
#include <QSqlDatabase>
#include <QString>

// Stores collected records in `data`.
//
// A record counts as stored already when `data` holds a row of the same
// card, day, time, channel and controller: the controller's memory keeps
// its records until it is cleared, so every collection delivers them
// again. The same pass at another controller is another pass.
namespace RecordImport {

struct Result {
    bool ok = false;
    int stored = 0;      // new rows
    int duplicates = 0;  // records `data` held already
    QString error;       // the database's message when not ok

    // Records of the run that are now in `data`.
    int present() const { return stored + duplicates; }
};

// Every record, in order, in one transaction: all of them are in `data`
// afterwards, or none of this call's rows (then ok is false).
Result store(QSqlDatabase db, const QList<CollectedRecord>& records);

}  // namespace RecordImport
