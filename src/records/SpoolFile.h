#pragma once
#include "records/RecordImport.h"
#include "records/RecordStream.h"

#include <QByteArray>
#include <QList>
#include <QSqlDatabase>
#include <QString>

// seda.dat: the timed collection's records on their way into `data`, one
// line a record:
//   "123456    ",#2004-12-05#,#08:05:00#,"1     ",1 CR LF
// the card in ten characters and the controller address in six, both
// padded with blanks, between double quotes; the day and the time of day
// between number signs; the channel code. The file outlives a run that
// could not store it, and the next run imports it.
namespace SpoolFile {

QString path(const QString& programFolder);        // seda.dat
QString rejectPath(const QString& programFolder);  // seda.rej: lines that could not be read

QByteArray line(const CollectedRecord& record);

struct Parsed {
    QList<CollectedRecord> records;
    QList<QByteArray> damaged;  // whole lines as they were, without their ending
};

// Every line that is a whole record, in file order; every other
// non-empty line in `damaged`. A last line without its CR LF was cut
// while being written and counts as damaged.
Parsed parse(QByteArrayView content);

// Appends the records' lines and forces them to disk.
bool append(const QString& file, const QList<CollectedRecord>& records, QString* error = nullptr);

struct ImportOutcome {
    enum class Status {
        NoFile,        // nothing to import
        Imported,      // stored and the file removed
        ReadFailed,    // the file could not be read: kept
        StoreFailed,   // the database refused: nothing stored, the file kept
        RejectFailed,  // stored, but the damaged lines could not be set aside: the file kept
        RemoveFailed,  // stored, but the file could not be removed
    };
    Status status = Status::NoFile;
    int lines = 0;    // records read from the file
    RecordImport::Result stored;
    int damaged = 0;  // lines set aside in seda.rej
    QString error;

    bool ok() const { return status == Status::NoFile || status == Status::Imported; }
};

// Imports seda.dat of `programFolder` into `data` in one transaction and
// removes it once that committed; damaged lines go to seda.rej first. On
// any failure the file stays for the next run.
ImportOutcome ImportRecords(QSqlDatabase db, const QString& programFolder);

}  // namespace SpoolFile
