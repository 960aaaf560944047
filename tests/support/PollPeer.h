#pragma once
// A controller of our own making on a pseudo-terminal, for replies the
// simulator never gives: each command byte gets the bytes it is set to
// answer (nothing when none are set).

#include "doorsim/PseudoTerminal.h"
#include "link/CommandFrame.h"

#include <QFile>
#include <QHash>
#include <QList>
#include <QObject>
#include <QSocketNotifier>

class PollPeer : public QObject {
public:
    QHash<quint8, QByteArray> answers;  // by command code
    QList<QByteArray> frames;           // every frame received, whole

    bool start(const QString& folder, int portNo)
    {
        if (!pty_.open())
            return false;
        auto* n = new QSocketNotifier(pty_.masterFd(), QSocketNotifier::Read, this);
        connect(n, &QSocketNotifier::activated, this, [this] {
            in_ += pty_.readAvailable();
            qsizetype used = 0;
            while (const auto f = CommandFrame::parse(in_, &used)) {
                frames << in_.first(used);
                in_.remove(0, used);
                const QByteArray a = answers.value(f->command);
                if (!a.isEmpty())
                    pty_.writeSome(a);
            }
        });
        return QFile::link(pty_.slavePath(), folder + QStringLiteral("/com%1").arg(portNo));
    }

    int count(quint8 command) const
    {
        int n = 0;
        for (const QByteArray& f : frames)
            n += f.size() > 2 && static_cast<quint8>(f.at(2)) == command;
        return n;
    }

private:
    PseudoTerminal pty_;
    QByteArray in_;
};
