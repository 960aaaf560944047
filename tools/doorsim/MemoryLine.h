#pragma once
#include "doorsim/Simulator.h"
#include "link/LineClock.h"

#include <QByteArray>
#include <QObject>
#include <QString>

class MemoryPort;

// The simulator and the program's ports joined in memory instead of on a
// pseudo-terminal, on a line clock of its own that the test drives
// (DrivenLineClock): a reply's delay, its pieces and its pace are times on
// that clock, so a late echo costs no real time and bytes arrive in the
// order of their times. While the line lives every port the program makes
// is such a port: it opens the device that `folder`/com<portNo> names, and
// no other.
class MemoryLine : public QObject {
    Q_OBJECT
public:
    MemoryLine(Simulator& sim, const QString& folder, int portNo);
    ~MemoryLine() override;
    MemoryLine(const MemoryLine&) = delete;
    MemoryLine& operator=(const MemoryLine&) = delete;

    QString device() const { return device_; }
    DrivenLineClock& clock() { return clock_; }

private:
    friend class MemoryPort;
    void arrive();

    DrivenLineClock clock_;
    Simulator& sim_;
    QString link_;
    QString device_;
    QByteArray received_;  // at the port's end, not yet read
    QByteArray onTheWay_;  // sent by the simulator, arriving next
    LineTimer arrival_;
    MemoryPort* open_ = nullptr;
};
