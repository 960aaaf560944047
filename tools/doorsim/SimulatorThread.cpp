#include "doorsim/SimulatorThread.h"

SimulatorThread::SimulatorThread()
{
    thread_.start();
    sim_ = new Simulator;
    sim_->moveToThread(&thread_);
}

SimulatorThread::~SimulatorThread()
{
    // The simulator is deleted on its own thread, where its notifiers live.
    QMetaObject::invokeMethod(sim_, [this] { delete sim_; }, Qt::BlockingQueuedConnection);
    thread_.quit();
    thread_.wait();
}

void SimulatorThread::call(const std::function<void(Simulator&)>& f)
{
    QMetaObject::invokeMethod(sim_, [&] { f(*sim_); }, Qt::BlockingQueuedConnection);
}

bool SimulatorThread::start(QString* error)
{
    bool ok = false;
    call([&](Simulator& s) { ok = s.start(error); });
    return ok;
}

QString SimulatorThread::slavePath()
{
    QString path;
    call([&](Simulator& s) { path = s.slavePath(); });
    return path;
}

bool SimulatorThread::makeLink(const QString& folder, int portNo, QString* error)
{
    bool ok = false;
    call([&](Simulator& s) { ok = s.makeLink(folder, portNo, error); });
    return ok;
}

QString SimulatorThread::command(const QString& line)
{
    QString answer;
    call([&](Simulator& s) { answer = s.command(line); });
    return answer;
}
