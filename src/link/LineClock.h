#pragma once
#include <QObject>
#include <QTimer>

#include <chrono>
#include <functional>
#include <map>

class LineTimer;

// The one clock of the controller line: every wait of a port reads it, and
// so does a simulated controller's delay. In the program it is the
// monotonic clock and a wait sleeps in the event loop or in the port.
//
// A test may put a DrivenLineClock in its place. On that one time passes
// only when a wait of the line lets it pass (straight to the next thing due
// on the line, or to the wait's end) or when the test advances it: a
// three-second time-out costs no real time, and what happens on the line
// happens in the order of its times, however busy the machine is.
class LineClock {
public:
    using Time = std::chrono::microseconds;  // since an arbitrary start

    virtual ~LineClock() = default;

    // The clock in use on this process's line.
    static LineClock& line();
    static Time now() { return line().time(); }
    // Lets `length` pass with nothing else of the program running (a pause
    // before or after a frame).
    static void pause(Time length);

    virtual Time time() const = 0;
    // Lets at most `left` pass with the event loop running; returns sooner
    // once something happened (an event, a timer of the line).
    virtual void yieldFor(Time left) = 0;
    // Lets at most `left` pass with nothing else of the program running; a
    // driven clock returns sooner once a timer of the line fired. The
    // monotonic clock sleeps in `portWait` (a port's wait for bytes, given
    // whole milliseconds) when there is one.
    virtual void blockFor(Time left, const std::function<void(int)>& portWait = {}) = 0;

protected:
    friend class LineTimer;
    virtual void arm(LineTimer& timer) = 0;
    virtual void disarm(LineTimer& timer) = 0;
    static void install(LineClock* clock);  // nullptr: the monotonic clock
};

// A single shot at a moment of the line's clock: a simulated device's
// replies, or a window's time on the line (a poll, a clear-after delay).
// It fires on the event loop of its thread, or, on a driven clock, when
// time reaches it.
class LineTimer : public QObject {
    Q_OBJECT
public:
    explicit LineTimer(std::function<void()> onTime, QObject* parent = nullptr);
    ~LineTimer() override;

    void startAt(LineClock::Time at);
    void startIn(LineClock::Time after) { startAt(LineClock::now() + after); }
    void stop();
    bool isActive() const { return armedOn_ != nullptr; }
    // A device at the other end of the line keeps its time while the
    // program waits without running its event loop (a pause, a blocking
    // wait for bytes); the program's own timers fire only once the event
    // loop runs again, late, as in the program. Only a driven clock can
    // tell them apart: on the monotonic clock a timer waits for the event
    // loop of its thread.
    void setDeviceSide() { device_ = true; }
    LineClock::Time at() const { return at_; }

private:
    friend class SteadyLineClock;
    friend class DrivenLineClock;
    void fire();

    std::function<void()> onTime_;
    QTimer real_;
    LineClock* armedOn_ = nullptr;
    LineClock::Time at_{0};
    quint64 order_ = 0;  // timers due at the same moment fire in the order they were started
    bool device_ = false;
};

// A clock a test drives: it starts at zero and is the line's clock for as
// long as it lives.
class DrivenLineClock : public QObject, public LineClock {
    Q_OBJECT
public:
    DrivenLineClock();
    ~DrivenLineClock() override;
    DrivenLineClock(const DrivenLineClock&) = delete;
    DrivenLineClock& operator=(const DrivenLineClock&) = delete;

    // The driven clock in use, if any.
    static DrivenLineClock* current();

    Time time() const override { return now_; }
    void yieldFor(Time left) override;
    // Lets `length` pass, with the event loop running at every moment
    // something was due on the line.
    void advance(Time length);
    // Advances until `done` holds, for at most `limit`; true when it held.
    bool advanceUntil(const std::function<bool()>& done, Time limit);

    void blockFor(Time left, const std::function<void(int)>& portWait = {}) override;

protected:
    void arm(LineTimer& timer) override;
    void disarm(LineTimer& timer) override;

private:
    // Moves towards `target`, stopping at the first moment a timer is due
    // there (only a device's when the program is blocked); true when
    // timers fired.
    bool step(Time target, bool blocked = false);
    void fireDue(bool blocked = false);

    Time now_{0};
    quint64 order_ = 0;
    std::map<std::pair<Time, quint64>, LineTimer*> due_;
    // Fires what is due now from the event loop, so that a reply due at once
    // reaches a window that only runs its event loop.
    QTimer dueNow_;
    LineClock* before_ = nullptr;
};
