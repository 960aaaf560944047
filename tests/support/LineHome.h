#pragma once
// A program folder with the delivered database, a controller simulator
// reached through the folder's com<N> link (on a pseudo-terminal, or with
// Wire::Memory in memory on a clock the test drives), the session pointing
// at that port, and a prompter that records every box. With Waits::Short a
// silent controller gives up its wait after LineWaitScope::kShort; replies
// that come later than that need the line's own waits (the default).

#include "support/Controls.h"
#include "support/LineWaitScope.h"
#include "session/Session.h"
#include "doorsim/MemoryLine.h"  // and the simulator
#include "doorsim/PseudoTerminal.h"
#include "support/ScriptedPrompter.h"
#include "support/TestHome.h"

#include <QByteArray>
#include <QFile>
#include <QSocketNotifier>
#include <QList>
#include <QTest>

#include <functional>

// Records like its base and lets a test act the moment a box is shown,
// as an operator reading it would.
class HookedPrompter : public ScriptedPrompter {
public:
    std::function<void(const Message&)> onShow;

    Answer show(QWidget* parent, const Message& message) override
    {
        if (onShow)
            onShow(message);
        return ScriptedPrompter::show(parent, message);
    }
};

struct LineHome {
    static constexpr int kPort = 3;
    enum class Waits { Line, Short };
    enum class Wire { Terminal, Memory };

    LineWaitScope waits;
    TestHome home;
    Simulator sim;
    std::optional<MemoryLine> wire;
    HookedPrompter prompts;

    explicit LineHome(Wire on, Waits w = Waits::Line) : LineHome(w, on) {}
    explicit LineHome(Waits w = Waits::Line, Wire on = Wire::Terminal)
        : waits(w == Waits::Short ? std::optional(LineWaitScope::kShort) : std::nullopt)
    {
        QString why;
        if (on == Wire::Memory)
            wire.emplace(sim, home.path(), kPort);
        else if (!sim.start(&why) || !sim.makeLink(home.path(), kPort, &why))
            qFatal("simulator: %s", qPrintable(why));
        Session::PortNo = kPort;
        Session::CommSettings = QStringLiteral("9600,n,8,1");
        Session::InBufSize = 2048;
        Session::OutBufSize = 512;
    }

    // Lets the line's time pass, for late replies, until `done` holds or `ms` are up.
    static bool settle(int ms = 100, const std::function<bool()>& done = [] { return false; })
    {
        DrivenLineClock* c = DrivenLineClock::current();
        return c ? c->advanceUntil(done, std::chrono::milliseconds(ms)) : QTest::qWaitFor(done, ms);
    }
};


inline QList<QByteArray> hexes(std::initializer_list<const char*> list)
{
    QList<QByteArray> out;
    for (const char* h : list)
        out << hex(h);
    return out;
}

// A device end of our own on a pseudo-terminal, answering every frame with
// the bytes it is given, all in one write.
class RawPeer : public QObject {
public:
    QByteArray answer;
    QList<QByteArray> received;

    bool start(const QString& folder, int portNo)
    {
        if (!pty_.open())
            return false;
        notifier_ = new QSocketNotifier(pty_.masterFd(), QSocketNotifier::Read, this);
        connect(notifier_, &QSocketNotifier::activated, this, [this] {
            const QByteArray in = pty_.readAvailable();
            if (in.isEmpty())
                return;
            received << in;
            pty_.writeSome(answer);
        });
        return QFile::link(pty_.slavePath(), folder + QStringLiteral("/com%1").arg(portNo));
    }

private:
    PseudoTerminal pty_;
    QSocketNotifier* notifier_ = nullptr;
};
