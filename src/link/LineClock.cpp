#include "link/LineClock.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>

#include <algorithm>
#include <limits>

using namespace std::chrono;

namespace {

// A wait of the event loop or of a port is given in whole milliseconds: the
// whole ones left (the rest of a wait shorter than that is spun out).
int sliceOf(LineClock::Time left)
{
    return static_cast<int>(std::clamp<qint64>(left.count() / 1000, 0, std::numeric_limits<int>::max()));
}

}  // namespace

class SteadyLineClock : public LineClock {
public:
    Time time() const override
    {
        static const QElapsedTimer start = [] {
            QElapsedTimer t;
            t.start();
            return t;
        }();
        return Time(start.nsecsElapsed() / 1000);
    }

    void yieldFor(Time left) override
    {
        if (sliceOf(left) == 0) {
            QCoreApplication::processEvents(QEventLoop::AllEvents);
            return;
        }
        // Wakes the event loop when the time is up, so the wait sleeps in
        // the event loop instead of spinning.
        QTimer wake;
        wake.setSingleShot(true);
        wake.setTimerType(Qt::PreciseTimer);
        wake.start(sliceOf(left));
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
    }

    void blockFor(Time left, const std::function<void(int)>& portWait) override
    {
        if (portWait)
            portWait(sliceOf(left));
        else
            QThread::usleep(static_cast<unsigned long>(std::max<qint64>(0, left.count())));
    }

protected:
    // To the nearest millisecond: a timer that fires a little early finds
    // its moment not yet come and is started again for the rest, so that a
    // simulated device's bytes leave on time rather than up to a
    // millisecond late each.
    void arm(LineTimer& timer) override
    {
        timer.real_.start(static_cast<int>(std::max<qint64>(0, ((timer.at_ - time()).count() + 500) / 1000)));
    }
    void disarm(LineTimer& timer) override { timer.real_.stop(); }
};

namespace {

SteadyLineClock& steady()
{
    static SteadyLineClock clock;
    return clock;
}

// The line's clock is set by a test before its ports and its simulator run,
// on the thread they run on.
LineClock*& installed()
{
    static LineClock* clock = nullptr;
    return clock;
}

}  // namespace

LineClock& LineClock::line()
{
    LineClock* c = installed();
    return c ? *c : steady();
}

void LineClock::install(LineClock* clock)
{
    installed() = clock;
}

void LineClock::pause(Time length)
{
    LineClock& clock = line();
    const Time end = clock.time() + length;
    for (Time t = clock.time(); t < end; t = clock.time())
        clock.blockFor(end - t);
}

// ---- LineTimer ----

LineTimer::LineTimer(std::function<void()> onTime, QObject* parent)
    : QObject(parent), onTime_(std::move(onTime)), real_(this)
{
    real_.setSingleShot(true);
    real_.setTimerType(Qt::PreciseTimer);
    connect(&real_, &QTimer::timeout, this, [this] {
        if (armedOn_ == &steady())
            fire();
    });
}

LineTimer::~LineTimer()
{
    stop();
}

void LineTimer::startAt(LineClock::Time at)
{
    stop();
    at_ = at;
    armedOn_ = &LineClock::line();
    armedOn_->arm(*this);
}

void LineTimer::stop()
{
    if (armedOn_)
        armedOn_->disarm(*this);
    armedOn_ = nullptr;
}

void LineTimer::fire()
{
    armedOn_ = nullptr;
    onTime_();
}

// ---- DrivenLineClock ----

DrivenLineClock::DrivenLineClock() : dueNow_(this), before_(installed())
{
    dueNow_.setSingleShot(true);
    connect(&dueNow_, &QTimer::timeout, this, [this] { fireDue(); });
    install(this);
}

DrivenLineClock::~DrivenLineClock()
{
    for (auto& [key, timer] : due_)
        timer->armedOn_ = nullptr;
    due_.clear();
    install(before_);
}

DrivenLineClock* DrivenLineClock::current()
{
    return dynamic_cast<DrivenLineClock*>(installed());
}

void DrivenLineClock::arm(LineTimer& timer)
{
    timer.order_ = ++order_;
    due_.emplace(std::pair(timer.at_, timer.order_), &timer);
    if (timer.at_ <= now_)
        dueNow_.start(0);
}

void DrivenLineClock::disarm(LineTimer& timer)
{
    due_.erase(std::pair(timer.at_, timer.order_));
}

void DrivenLineClock::fireDue(bool blocked)
{
    for (auto it = due_.begin(); it != due_.end() && it->first.first <= now_;) {
        if (blocked && !it->second->device_) {
            ++it;
            continue;
        }
        LineTimer* timer = it->second;
        due_.erase(it);
        timer->fire();
        // Firing may have started or stopped other timers.
        it = due_.begin();
    }
}

bool DrivenLineClock::step(Time target, bool blocked)
{
    const auto next =
        std::find_if(due_.begin(), due_.end(), [blocked](const auto& d) { return !blocked || d.second->device_; });
    if (next != due_.end() && next->first.first <= target) {
        now_ = std::max(now_, next->first.first);
        fireDue(blocked);
        return true;
    }
    now_ = std::max(now_, target);
    return false;
}

void DrivenLineClock::yieldFor(Time left)
{
    step(now_ + left);
    QCoreApplication::processEvents();
}

void DrivenLineClock::blockFor(Time left, const std::function<void(int)>&)
{
    step(now_ + left, true);
    // What the block held back fires once the event loop runs.
    if (!due_.empty() && due_.begin()->first.first <= now_)
        dueNow_.start(0);
}

void DrivenLineClock::advance(Time length)
{
    const Time end = now_ + length;
    do {
        step(end);
        QCoreApplication::processEvents();
    } while (now_ < end);
}

bool DrivenLineClock::advanceUntil(const std::function<bool()>& done, Time limit)
{
    const Time end = now_ + limit;
    for (;;) {
        QCoreApplication::processEvents();
        if (done())
            return true;
        if (now_ >= end)
            return false;
        step(end);
    }
}
