#pragma once
#include "link/LineClock.h"
#include "records/PassLine.h"

#include <QDateTime>
#include <QList>
#include <QObject>
#include <QSqlDatabase>
#include <QString>
#include <QVariant>

#include <chrono>

class LinePort;
struct DoorRow;

// One lock of one controller as the lock-status monitor lists it, with
// the last pass read through it.
struct MonitorEntry {
    int address = 0;
    int lock = 1;  // 1 or 2
    QString text;  // "7-1", or "5-1*" and the lock's description
    LockState state = LockState::Unknown;
    QString card;
    QString name;
    QString department;
    QString position;
    QString direction;  // "进门" or "出门"
    QDateTime passedAt;

    bool hasPass() const { return !card.isEmpty(); }
};

// Watches the locks of every controller: each tick polls the next
// controller with PollLocks; when it reports a lock open, its pending pass
// is read with ReadPassRecord, acknowledged and its holder looked up.
//
// Everything runs from the timer and the port's receive signal; nothing
// waits in a loop, so the window stays responsive however many
// controllers there are. A controller is polled again only after every
// other one was. The ticks and the wait for a pass are times on the
// line's clock, as the port's own waits are.
class LockMonitor : public QObject {
    Q_OBJECT
public:
    struct Timing {
        std::chrono::milliseconds tick{100};
        std::chrono::milliseconds passWait{3000};
    };

    LockMonitor(LinePort& port, QSqlDatabase db, QObject* parent = nullptr);
    LockMonitor(LinePort& port, QSqlDatabase db, Timing timing, QObject* parent = nullptr);

    // The controllers in polling order and their lock entries: lock 1 and
    // lock 2 of a row each get one when their kind is not Null. A row
    // without locks is still polled.
    void load(const QList<DoorRow>& rows);
    static QString entryText(int address, int lock, const QVariant& description);

    void start();
    void stop();
    bool running() const { return timer_.isActive(); }

    const QList<MonitorEntry>& entries() const { return entries_; }

signals:
    void entryChanged(int index);

private:
    enum class Phase { Idle, AwaitPoll, AwaitPass };

    void tick();
    void onBytes();
    void finishPoll(const QByteArray& bytes);
    void passTimedOut();
    void showPass(const PassRecord& pass);
    void setState(int address, int lock, LockState state);
    int entryOf(int address, int lock) const;

    LinePort& port_;
    QSqlDatabase db_;
    Timing timing_;
    LineTimer timer_;
    LineTimer passTimer_;
    QList<int> order_;
    QList<MonitorEntry> entries_;
    qsizetype next_ = 0;
    int polled_ = -1;
    Phase phase_ = Phase::Idle;
};
