#pragma once
#include "doorsim/Simulator.h"

#include <QMetaObject>
#include <QThread>

#include <functional>

// The simulator on a thread of its own, so that it keeps answering while
// the side under test blocks (a pause that does not yield, a benchmark
// that measures the line and not the event loop). Everything that touches
// the simulator goes through call(), which runs on the simulator's thread
// and waits for it.
class SimulatorThread {
public:
    SimulatorThread();
    ~SimulatorThread();
    SimulatorThread(const SimulatorThread&) = delete;
    SimulatorThread& operator=(const SimulatorThread&) = delete;

    bool start(QString* error = nullptr);
    QString slavePath();
    bool makeLink(const QString& folder, int portNo, QString* error = nullptr);
    // A control command, as Simulator::command().
    QString command(const QString& line);
    void call(const std::function<void(Simulator&)>& f);

private:
    QThread thread_;
    Simulator* sim_ = nullptr;
};
