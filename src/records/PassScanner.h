#pragma once
#include "records/PassLine.h"

#include <QList>
#include <QObject>
#include <QTimer>

#include <chrono>

class LinePort;

// Asks the controllers in turn, one each tick, for the pass they hold.
// Exactly one record from the asked controller, within its tick, is
// acknowledged and reported; a record still short when the next tick
// comes, or more bytes than one record, is dropped unacknowledged, so the
// controller offers it again on its next turn, and the next controller is
// asked only once the line is quiet. Nothing waits: the port's receive
// signal carries the reply.
class PassScanner : public QObject {
    Q_OBJECT
public:
    PassScanner(LinePort& port, QList<int> addresses, std::chrono::milliseconds tick = std::chrono::milliseconds(100),
                QObject* parent = nullptr);

    void start();
    void stop();
    const QList<int>& addresses() const { return addresses_; }

signals:
    void passTaken(const PassRecord& pass);

private:
    void tick();
    void onBytes();

    LinePort& port_;
    QList<int> addresses_;
    QTimer timer_;
    qsizetype next_ = 0;
    int asked_ = -1;  // -1: no answer is awaited
    QuietLine quiet_;
};
