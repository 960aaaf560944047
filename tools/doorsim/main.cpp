// doorsim: door controllers and the card-issuing reader on a
// pseudo-terminal, for trying the door program without the hardware.

#include "doorsim/Simulator.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFile>
#include <QJsonDocument>
#include <QSocketNotifier>
#include <QTextStream>

#include <csignal>
#include <cstdio>
#include <sys/socket.h>
#include <unistd.h>

namespace {

int signalPipe[2] = {-1, -1};

void onSignal(int)
{
    const char c = 1;
    [[maybe_unused]] const ssize_t n = ::write(signalPipe[1], &c, 1);
}

void out(const QString& text)
{
    if (text.isEmpty())
        return;
    std::fputs(text.toLocal8Bit().constData(), stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
}

void err(const QString& text)
{
    std::fputs(text.toLocal8Bit().constData(), stderr);
    std::fputc('\n', stderr);
    std::fflush(stderr);
}

// "1,2,5-8" to the addresses it names.
std::optional<QList<int>> addressList(const QString& text)
{
    QList<int> list;
    if (text.trimmed() == QLatin1String("none"))
        return list;
    for (const QString& part : text.split(QLatin1Char(','), Qt::SkipEmptyParts)) {
        const QStringList range = part.split(QLatin1Char('-'));
        bool ok1 = false, ok2 = true;
        const int from = range.at(0).trimmed().toInt(&ok1);
        const int to = range.size() == 2 ? range.at(1).trimmed().toInt(&ok2) : from;
        if (!ok1 || !ok2 || range.size() > 2 || from < 0 || to > 99 || from > to)
            return std::nullopt;
        for (int a = from; a <= to; ++a)
            list << a;
    }
    return list;
}

}  // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("doorsim"));

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Door controllers and the card-issuing reader on a pseudo-terminal.\n"
        "\n"
        "The door program opens the terminal as its serial port. With --link DIR the\n"
        "simulator makes DIR/com<N> a link to it; the door program, started with\n"
        "--home DIR and port number N (the default 1), then talks to the simulator.\n"
        "\n"
        "While it runs it reads control commands from its standard input, one a line:\n"
        "\n") + Simulator::commandHelp());
    parser.addHelpOption();
    const QCommandLineOption controllersOpt({QStringLiteral("c"), QStringLiteral("controllers")},
                                            QStringLiteral("Controller addresses, e.g. 1,2,5-8 (default 1); none for a line with the card reader alone."),
                                            QStringLiteral("list"));
    const QCommandLineOption readerOpt({QStringLiteral("r"), QStringLiteral("reader")},
                                       QStringLiteral("Address of the card reader (default 1)."), QStringLiteral("addr"));
    const QCommandLineOption noReaderOpt(QStringLiteral("no-reader"), QStringLiteral("No card reader on this line."));
    const QCommandLineOption stateOpt({QStringLiteral("s"), QStringLiteral("state")},
                                      QStringLiteral("Load the state (JSON, as \"dump\" writes it) at start."),
                                      QStringLiteral("file"));
    const QCommandLineOption saveOpt(QStringLiteral("save"), QStringLiteral("Write the state to this file on exit."),
                                     QStringLiteral("file"));
    const QCommandLineOption linkOpt({QStringLiteral("l"), QStringLiteral("link")},
                                     QStringLiteral("Make DIR/com<N> a link to the terminal (the door program's folder)."),
                                     QStringLiteral("dir"));
    const QCommandLineOption portOpt({QStringLiteral("p"), QStringLiteral("port")},
                                     QStringLiteral("The N of the link com<N> (default 1)."), QStringLiteral("n"), QStringLiteral("1"));
    const QCommandLineOption commandsOpt(QStringLiteral("commands"),
                                         QStringLiteral("Run the control commands of this file at start."),
                                         QStringLiteral("file"));
    const QCommandLineOption baudOpt(QStringLiteral("baud"), QStringLiteral("Line speed for paced replies (default 9600)."),
                                     QStringLiteral("n"), QStringLiteral("9600"));
    const QCommandLineOption pacedOpt(QStringLiteral("paced"),
                                      QStringLiteral("Send every reply at the line speed, 10 bits a byte, as a real line does."));
    const QCommandLineOption quietOpt({QStringLiteral("q"), QStringLiteral("quiet")},
                                      QStringLiteral("Do not show the frames on the error output."));
    parser.addOptions({controllersOpt, readerOpt, noReaderOpt, stateOpt, saveOpt, linkOpt, portOpt, commandsOpt, baudOpt,
                       pacedOpt, quietOpt});
    parser.process(app);

    Simulator sim;
    if (parser.isSet(stateOpt)) {
        const QString answer = sim.command(QStringLiteral("load ") + parser.value(stateOpt));
        if (answer != QLatin1String("ok")) {
            err(answer);
            return 2;
        }
    }
    if (parser.isSet(controllersOpt) || !parser.isSet(stateOpt)) {
        const auto list = addressList(parser.value(controllersOpt).isEmpty() ? QStringLiteral("1") : parser.value(controllersOpt));
        if (!list) {
            err(QStringLiteral("--controllers: addresses 0..99, e.g. 1,2,5-8"));
            return 2;
        }
        for (int a : *list)
            sim.addController(static_cast<quint8>(a));
    }
    if (parser.isSet(noReaderOpt)) {
        sim.removeReader();
    } else if (parser.isSet(readerOpt) || !sim.reader()) {
        bool ok = false;
        const int a = parser.isSet(readerOpt) ? parser.value(readerOpt).toInt(&ok) : 1;
        if (parser.isSet(readerOpt) && (!ok || a < 0 || a > 255)) {
            err(QStringLiteral("--reader: an address 0..255"));
            return 2;
        }
        sim.setReader(static_cast<quint8>(a));
    }
    bool baudOk = false;
    const int baud = parser.value(baudOpt).toInt(&baudOk);
    if (!baudOk || baud <= 0) {
        err(QStringLiteral("--baud: a positive number"));
        return 2;
    }
    sim.setBaud(baud);
    if (parser.isSet(pacedOpt))
        sim.command(QStringLiteral("pace all on"));

    QString why;
    if (!sim.start(&why)) {
        err(QStringLiteral("cannot open a pseudo-terminal: ") + why);
        return 1;
    }
    out(QStringLiteral("doorsim: line at %1").arg(sim.slavePath()));
    if (parser.isSet(linkOpt)) {
        bool ok = false;
        const int port = parser.value(portOpt).toInt(&ok);
        if (!ok || port < 1) {
            err(QStringLiteral("--port: a number from 1"));
            return 2;
        }
        if (!sim.makeLink(parser.value(linkOpt), port, &why)) {
            err(why);
            return 1;
        }
        out(QStringLiteral("doorsim: %1/com%2 -> %3").arg(parser.value(linkOpt)).arg(port).arg(sim.slavePath()));
    }
    QStringList devices;
    for (quint8 a : sim.addresses())
        devices << QString::number(a);
    out(QStringLiteral("doorsim: controllers %1; reader %2")
            .arg(devices.isEmpty() ? QStringLiteral("none") : devices.join(QLatin1Char(',')),
                 sim.reader() ? QString::number(sim.reader()->address) : QStringLiteral("none")));

    if (!parser.isSet(quietOpt))
        QObject::connect(&sim, &Simulator::log, [](const QString& line) { err(line); });
    QObject::connect(&sim, &Simulator::quitRequested, &app, &QCoreApplication::quit, Qt::QueuedConnection);

    if (parser.isSet(commandsOpt)) {
        QFile f(parser.value(commandsOpt));
        if (!f.open(QIODevice::ReadOnly | QIODevice::Text)) {
            err(QStringLiteral("cannot read ") + f.fileName());
            return 2;
        }
        QTextStream in(&f);
        while (!in.atEnd())
            out(sim.command(in.readLine()));
    }

    // Commands typed while it runs.
    QByteArray typed;
    QSocketNotifier input(STDIN_FILENO, QSocketNotifier::Read);
    QObject::connect(&input, &QSocketNotifier::activated, [&] {
        char buf[1024];
        const ssize_t n = ::read(STDIN_FILENO, buf, sizeof buf);
        if (n <= 0) {
            // The input has ended (started in the background): keep running.
            input.setEnabled(false);
            return;
        }
        typed.append(buf, n);
        qsizetype nl;
        while ((nl = typed.indexOf('\n')) >= 0) {
            const QString line = QString::fromLocal8Bit(typed.left(nl));
            typed.remove(0, nl + 1);
            out(sim.command(line));
        }
    });

    // Ctrl-C and kill end it tidily, so that the link goes away.
    if (::socketpair(AF_UNIX, SOCK_STREAM, 0, signalPipe) == 0) {
        std::signal(SIGINT, onSignal);
        std::signal(SIGTERM, onSignal);
        std::signal(SIGHUP, onSignal);
    }
    QSocketNotifier stopRequests(signalPipe[0], QSocketNotifier::Read);
    QObject::connect(&stopRequests, &QSocketNotifier::activated, &app, &QCoreApplication::quit);

    const int rc = app.exec();
    if (parser.isSet(saveOpt))
        out(sim.command(QStringLiteral("dump ") + parser.value(saveOpt)));
    sim.stop();
    return rc;
}
