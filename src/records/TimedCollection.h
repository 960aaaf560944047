#pragma once
#include "link/LinePort.h"
#include "records/RecordCollect.h"
#include "records/SpoolFile.h"

#include <QList>
#include <QSqlDatabase>
#include <QString>

#include <functional>

// The daily collection of one controller: its records are read, appended
// to seda.dat and the file is imported into `data`. The controller keeps
// its records; nothing here clears a memory.
namespace TimedCollection {

enum class DoorOutcome {
    Stored,      // records read, and the spool file imported
    None,        // the controller holds no record
    Failed,      // no answer, a wrong address byte
    BrokeOff,    // the answer stopped: the whole records before it read, spooled and imported
    NotStored,   // records read and spooled, but the import failed: they wait in seda.dat
    PortFailed,  // the port would not open
    SpoolFailed, // the records could not be written to seda.dat
};

struct DoorResult {
    int address = 0;
    DoorOutcome outcome = DoorOutcome::Failed;
    CollectEnd end = CollectEnd::SendFailed;
    OpenStatus open = OpenStatus::Opened;
    int announced = 0;  // records the controller said it holds
    int collected = 0;  // records read from the controller
    int mended = 0;     // of them, with a date that had to be moved
    SpoolFile::ImportOutcome import;
    QString error;
};

struct Context {
    QSqlDatabase db;
    LineParams params;  // the port's parameters; its settings also give the line's speed
    std::function<void(int, int)> recordStarted;
};

// Opens the port when it is closed, collects `address`, spools and
// imports. The port stays open; after an answer that went wrong the line
// quiets down before the next controller is asked, so that no late byte
// reaches its exchange.
DoorResult CollectDoor(LinePort& comm, int address, const Context& context);

// One controller's outcome in the main window's status bar, with the
// reason of a failure: "3号失败(没有按时应答)".
QString outcomeText(const DoorResult& result);
// The line of the main window's status bar for one run, the controllers'
// outcomes joined by `separator`.
QString summary(const QList<DoorResult>& results, const QString& separator = QStringLiteral("，"));

}  // namespace TimedCollection
