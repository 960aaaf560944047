#pragma once
#include <QByteArray>
#include <QString>

// The device end of a pseudo-terminal: the program under test opens the
// other end (slavePath()) as if it were a serial port.
class PseudoTerminal {
public:
    PseudoTerminal() = default;
    ~PseudoTerminal();
    PseudoTerminal(const PseudoTerminal&) = delete;
    PseudoTerminal& operator=(const PseudoTerminal&) = delete;

    bool open(QString* error = nullptr);
    void close();
    bool isOpen() const { return master_ >= 0; }

    int masterFd() const { return master_; }
    QString slavePath() const { return slavePath_; }

    // What the port end has written; empty when nothing waits.
    QByteArray readAvailable();
    // Writes as much of `bytes` as the terminal takes now; returns how
    // many bytes it took (0 when it is full), -1 on an error.
    qint64 writeSome(const QByteArray& bytes);

private:
    int master_ = -1;
    // Our own descriptor on the port end. Without it the device end reads
    // a hang-up every time the program closes its port, and bytes written
    // meanwhile would be lost.
    int slave_ = -1;
    QString slavePath_;
};
