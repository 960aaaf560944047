#pragma once
#include "link/LineClock.h"
#include "records/PassLine.h"

#include <QList>
#include <QObject>

#include <chrono>
#include <optional>

class LinePort;

// Asks the controllers in turn, at most one each tick, for the pass they
// hold. The controller asked stays the one asked until its answer is in
// or its wait is over, however many ticks that spans: its first byte may
// come any time within the wait, the rest within 0.1 s after it (or the
// rest of the wait, when longer). Exactly one record from it is
// acknowledged and reported; anything else is dropped unacknowledged, so
// the controller offers its pass again on its next turn, and the next
// controller is asked only once the line is quiet. Nothing waits in the
// event loop: the port's receive signal carries the reply. The ticks and
// the waits are times on the line's clock, as the port's own waits are.
class PassScanner : public QObject {
    Q_OBJECT
public:
    // How long a controller asked is waited for.
    static constexpr std::chrono::milliseconds kAnswerWait{500};
    static constexpr std::chrono::milliseconds kRestWait{100};

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
    void giveUp();

    LinePort& port_;
    QList<int> addresses_;
    std::chrono::milliseconds tick_;
    LineTimer timer_;
    qsizetype next_ = 0;
    int asked_ = -1;  // -1: no answer is awaited
    LineClock::Time askedAt_{0};
    std::optional<LineClock::Time> firstByteAt_;  // until the first byte of the answer came: none
};
