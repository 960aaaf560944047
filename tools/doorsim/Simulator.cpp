#include "doorsim/Simulator.h"

#include "link/CommandFrame.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QSocketNotifier>

#include <cmath>
#include <filesystem>
#include <system_error>

namespace {

// The PC writes a frame in one piece. Bytes of an unfinished frame that
// wait this long for the rest are given up, so that a cut frame or a
// stray byte cannot swallow the start of the next frame.
constexpr std::chrono::milliseconds kStaleInput{50};

QString hex(const QByteArray& a)
{
    return QString::fromLatin1(a.toHex(' '));
}

bool knownLength(quint8 length)
{
    return length == 0x02 || length == 0x05 || length == 0x15;
}

std::optional<bool> onOff(const QString& word)
{
    if (word == QLatin1String("on") || word == QLatin1String("1") || word == QLatin1String("yes"))
        return true;
    if (word == QLatin1String("off") || word == QLatin1String("0") || word == QLatin1String("no"))
        return false;
    return std::nullopt;
}

std::optional<int> number(const QString& word, int low, int high)
{
    bool ok = false;
    const int v = word.toInt(&ok);
    if (!ok || v < low || v > high)
        return std::nullopt;
    return v;
}

}  // namespace

Simulator::Simulator(QObject* parent)
    : QObject(parent), outTimer_([this] { pump(); }, this), chatter_([this] { chatter(); }, this)
{
    outTimer_.setDeviceSide();
    chatter_.setDeviceSide();
}

void Simulator::setChatter(int everyMs, quint8 byte)
{
    chatterByte_ = byte;
    chatterEvery_ = std::chrono::milliseconds(std::max(0, everyMs));
    if (everyMs > 0)
        chatter_.startIn(chatterEvery_);
    else
        chatter_.stop();
}

void Simulator::chatter()
{
    const QByteArray stray(1, static_cast<char>(chatterByte_));
    if (output_)
        output_(stray);
    else if (pty_.isOpen())
        pty_.writeSome(stray);
    chatter_.startAt(chatter_.at() + chatterEvery_);
}

Simulator::~Simulator()
{
    stop();
}

bool Simulator::start(QString* error)
{
    stop();
    if (!pty_.open(error))
        return false;
    readNotifier_ = new QSocketNotifier(pty_.masterFd(), QSocketNotifier::Read, this);
    connect(readNotifier_, &QSocketNotifier::activated, this, &Simulator::onReadable);
    writeNotifier_ = new QSocketNotifier(pty_.masterFd(), QSocketNotifier::Write, this);
    writeNotifier_->setEnabled(false);
    connect(writeNotifier_, &QSocketNotifier::activated, this, [this] {
        writeNotifier_->setEnabled(false);
        pump();
    });
    return true;
}

void Simulator::stop()
{
    for (const QString& link : std::as_const(links_)) {
        if (QFileInfo(link).isSymLink())
            QFile::remove(link);
    }
    links_.clear();
    delete readNotifier_;
    delete writeNotifier_;
    readNotifier_ = writeNotifier_ = nullptr;
    outTimer_.stop();
    chatter_.stop();
    out_.clear();
    headStarted_ = false;
    in_.clear();
    pty_.close();
}

bool Simulator::makeLink(const QString& folder, int portNo, QString* error)
{
    // The simulator may start before the door program has made its folder.
    // Made here, it is for its owner only, as the door program makes it:
    // the database there holds people's personal data.
    if (!QFileInfo(folder).isDir()) {
        std::error_code ec;
        std::filesystem::create_directories(QFile::encodeName(folder).toStdString(), ec);
        if (!ec)
            std::filesystem::permissions(QFile::encodeName(folder).toStdString(), std::filesystem::perms::owner_all,
                                         ec);
        if (ec) {
            if (error)
                *error = QStringLiteral("cannot make the folder %1: %2")
                             .arg(folder, QString::fromLocal8Bit(ec.message().c_str()));
            return false;
        }
    }
    const QString link = QDir(folder).filePath(QStringLiteral("com%1").arg(portNo));
    const QFileInfo existing(link);
    if (existing.isSymLink())
        QFile::remove(link);
    else if (existing.exists()) {
        if (error)
            *error = QStringLiteral("%1 exists and is not a link").arg(link);
        return false;
    }
    QFile terminal(slavePath());
    if (!terminal.link(link)) {
        if (error)
            *error = QStringLiteral("cannot make the link %1: %2").arg(link, terminal.errorString());
        return false;
    }
    links_.append(link);
    return true;
}

Controller& Simulator::addController(quint8 address)
{
    auto it = controllers_.find(address);
    if (it == controllers_.end())
        it = controllers_.insert(address, Controller(address));
    return it.value();
}

Controller* Simulator::controller(quint8 address)
{
    auto it = controllers_.find(address);
    return it == controllers_.end() ? nullptr : &it.value();
}

void Simulator::removeController(quint8 address)
{
    controllers_.remove(address);
}

Reader& Simulator::setReader(quint8 address)
{
    if (!reader_)
        reader_.emplace();
    reader_->address = address;
    return *reader_;
}

bool Simulator::layCard(const QString& physical)
{
    if (!reader_)
        return false;
    const QString t = physical.trimmed();
    if (t.isEmpty()) {
        reader_->card.clear();
        return true;
    }
    if (t.size() > 10 || !normalisedNumber(t))
        return false;
    reader_->card = t.rightJustified(10, QLatin1Char('0'));
    return true;
}

// ---- the line ----

void Simulator::onReadable()
{
    const QByteArray bytes = pty_.readAvailable();
    if (!bytes.isEmpty())
        receive(bytes);
}

void Simulator::receive(const QByteArray& bytes)
{
    const LineClock::Time now = LineClock::now();
    if (!in_.isEmpty() && lastInput_ && now - *lastInput_ > kStaleInput) {
        emit log(QStringLiteral("<- dropped %1").arg(hex(in_)));
        in_.clear();
    }
    lastInput_ = now;
    in_.append(bytes);
    takeFrames();
}

void Simulator::takeFrames()
{
    while (in_.size() >= 2) {
        const quint8 length = static_cast<quint8>(in_.at(1));
        if (!knownLength(length)) {
            // Not the start of a frame: look for one a byte further on.
            emit log(QStringLiteral("<- skipped %1").arg(hex(in_.left(1))));
            in_.remove(0, 1);
            continue;
        }
        if (in_.size() < 1 + length)
            return;
        const QByteArray frame = in_.left(1 + length);
        in_.remove(0, 1 + length);
        dispatch(frame);
    }
}

void Simulator::dispatch(const QByteArray& frame)
{
    frames_.append(frame);
    emit frameReceived(frame);
    const auto f = CommandFrame::parse(frame);
    if (!f)
        return;
    emit log(QStringLiteral("<- %1").arg(hex(frame)));
    // A frame of the wrong length for its command is not taken.
    if (CommandFrame::lengthOf(f->command) != static_cast<quint8>(frame.at(1)))
        return;
    if (f->command == static_cast<quint8>(CommandCode::ReadCard)) {
        if (reader_ && reader_->address == f->address && !reader_->behaviour.silent && !reader_->behaviour.loses())
            queueReply(reader_->handle(f->command, f->parameters), reader_->behaviour, frame.size());
        return;
    }
    Controller* c = controller(f->address);
    if (!c || c->behaviour.silent || c->behaviour.loses())
        return;
    QByteArray reply = c->handle(f->command, f->parameters);
    Controller* next = c->behaviour.followedBy >= 0 ? controller(static_cast<quint8>(c->behaviour.followedBy)) : nullptr;
    if (!reply.isEmpty() && next && next != c)
        reply += next->handle(f->command, f->parameters);
    queueReply(reply, c->behaviour, frame.size());
}

void Simulator::queueReply(QByteArray reply, const Behaviour& b, qsizetype frameBytes)
{
    if (reply.isEmpty())
        return;
    if (b.wrongAddress)
        reply[0] = static_cast<char>((static_cast<quint8>(reply.at(0)) + 1) % 100);
    const bool strayAfter = b.strayByte >= 0 && b.strayByte <= 255 && b.strayAfterMs >= 0;
    if (b.strayByte >= 0 && b.strayByte <= 255 && !strayAfter)
        reply.prepend(static_cast<char>(b.strayByte));
    // The terminal hands the frame over at once; on a line a device has it
    // whole only after its last byte arrived, the frame's line time later.
    const qint64 delayUs = qint64(b.delayMs) * 1000 + qint64(frameBytes) * 10'000'000 / baud_;
    emit replyQueued(reply);
    emit log(QStringLiteral("-> %1").arg(reply.size() > 40 ? hex(reply.left(40)) + QStringLiteral(" ... (%1 bytes)").arg(reply.size())
                                                           : hex(reply)));
    if (b.splitAt > 0 && b.splitAt < reply.size()) {
        out_.append({reply.left(b.splitAt), delayUs, b.paced});
        out_.append({reply.mid(b.splitAt), qint64(b.splitGapMs) * 1000, b.paced});
    } else {
        out_.append({reply, delayUs, b.paced});
    }
    if (b.twice)
        out_.append({reply, 0, b.paced});
    if (strayAfter)
        out_.append({QByteArray(1, static_cast<char>(b.strayByte)), qint64(b.strayAfterMs) * 1000, false});
    if (!outTimer_.isActive() && !(writeNotifier_ && writeNotifier_->isEnabled()))
        pump();
}

void Simulator::schedule(qint64 usecs)
{
    outTimer_.startIn(LineClock::Time(std::max<qint64>(0, usecs)));
}

void Simulator::pump()
{
    while (!out_.isEmpty()) {
        const Chunk& c = out_.first();
        if (!headStarted_) {
            headStarted_ = true;
            headAt_ = LineClock::now();
            headSent_ = 0;
        }
        const qint64 sinceUs = (LineClock::now() - headAt_).count() - c.delayUs;
        if (sinceUs < 0) {
            schedule(-sinceUs);
            return;
        }
        qsizetype allowed = c.bytes.size() - headSent_;
        // In whole microseconds, so that the moment the next byte is due
        // is one at which it counts as due.
        const auto byteDueAt = [this](qint64 bytes) { return (bytes * 10'000'000 + baud_ - 1) / baud_; };
        if (c.paced) {
            const qsizetype due = std::min<qsizetype>(c.bytes.size(), sinceUs * baud_ / 10'000'000);
            allowed = due - headSent_;
            if (allowed <= 0) {
                schedule(byteDueAt(headSent_ + 1) - sinceUs);
                return;
            }
        }
        const QByteArray part = c.bytes.mid(headSent_, allowed);
        const qint64 n = output_ ? (output_(part), part.size()) : pty_.writeSome(part);
        if (n < 0) {
            out_.clear();
            headStarted_ = false;
            return;
        }
        headSent_ += n;
        if (n < allowed) {
            // The terminal is full: go on once the program has read.
            writeNotifier_->setEnabled(true);
            return;
        }
        if (headSent_ >= c.bytes.size()) {
            out_.removeFirst();
            headStarted_ = false;
            continue;
        }
        schedule(byteDueAt(headSent_ + 1) - sinceUs);
        return;
    }
}

// ---- state ----

QJsonObject Simulator::state() const
{
    QJsonArray list;
    for (const Controller& c : controllers_)
        list.append(c.toJson());
    QJsonObject o{{QStringLiteral("baud"), baud_}, {QStringLiteral("controllers"), list}};
    o.insert(QStringLiteral("reader"), reader_ ? QJsonValue(reader_->toJson()) : QJsonValue());
    return o;
}

bool Simulator::loadState(const QJsonObject& state, QString* error)
{
    QMap<quint8, Controller> loaded;
    for (const QJsonValue& v : state.value(QStringLiteral("controllers")).toArray()) {
        auto c = Controller::fromJson(v.toObject(), error);
        if (!c)
            return false;
        loaded.insert(c->address, *c);
    }
    controllers_ = loaded;
    if (state.value(QStringLiteral("reader")).isObject())
        reader_ = Reader::fromJson(state.value(QStringLiteral("reader")).toObject());
    else
        reader_.reset();
    setBaud(state.value(QStringLiteral("baud")).toInt(9600));
    return true;
}

// ---- control commands ----

QString Simulator::commandHelp()
{
    return QStringLiteral(
        "controller ADDR            add a controller (0..99)\n"
        "remove ADDR                remove a controller\n"
        "reader ADDR | reader off   the card reader at ADDR, or none\n"
        "card NUMBER | card none    lay a card (physical number) on the reader, or take it away\n"
        "pass ADDR NUMBER CHANNEL   a pass at controller ADDR: NUMBER is a 6-digit card number or a\n"
        "                           10-digit physical number, CHANNEL 1 lock 1 in, 2 lock 1 out,\n"
        "                           3 lock 2 in, 4 lock 2 out\n"
        "records ADDR COUNT         store COUNT further records (cards 000001.., one a minute)\n"
        "rawrecord ADDR HEX         store a record of 10 bytes given as hex, sent as they are\n"
        "wrongecho ADDR K           the address byte before record K is another address (0: none)\n"
        "streampasses ADDR N        N passes made while the next collection answer streams\n"
        "stopafter ADDR K           the collection answer stops after K records (-1: sends all)\n"
        "ignore ADDR CMD on|off     take no notice of command CMD (hex, as 06)\n"
        "lock ADDR 1|2 open|closed|auto   hold a lock open or closed, or let it follow passes\n"
        "clock ADDR yyyy-MM-ddTHH:mm:ss   set a controller's clock\n"
        "silent WHO on|off          WHO is a controller address, \"reader\" or \"all\"\n"
        "slow WHO MS                wait MS milliseconds before each reply\n"
        "wrong WHO on|off           answer with another address\n"
        "split WHO AT GAPMS         send AT bytes of each reply, the rest GAPMS later (AT 0: whole)\n"
        "pace WHO on|off            send bytes at the line speed instead of all at once\n"
        "lose WHO N [AFTER]         after AFTER more frames, the next N frames to WHO are lost\n"
        "twice WHO on|off           send each reply twice, the copy right after it\n"
        "stray WHO BYTE|off [MS]    a byte (0..255) on the line before each reply, or MS ms after it\n"
        "follow ADDR OTHER|off      controller OTHER's reply to the same frame follows ADDR's\n"
        "chatter MS [BYTE] | chatter off   a stray byte (0..255, 255 if not given) on the line every MS ms\n"
        "baud N                     the line speed for paced replies (10 bits a byte)\n"
        "dump [FILE]                the state as JSON, on the output or into FILE\n"
        "load FILE                  replace the state with the JSON of FILE\n"
        "frames                     the frames received so far\n"
        "quit                       end the simulator\n");
}

Behaviour* Simulator::behaviourOf(const QString& who)
{
    if (who == QLatin1String("reader"))
        return reader_ ? &reader_->behaviour : nullptr;
    const auto a = number(who, 0, 255);
    if (!a)
        return nullptr;
    Controller* c = controller(static_cast<quint8>(*a));
    return c ? &c->behaviour : nullptr;
}

QString Simulator::command(const QString& line)
{
    const QStringList w = line.simplified().split(QLatin1Char(' '), Qt::SkipEmptyParts);
    if (w.isEmpty() || w.first().startsWith(QLatin1Char('#')))
        return {};
    const QString verb = w.first().toLower();
    const QString ok = QStringLiteral("ok");
    auto bad = [&](const QString& why) { return QStringLiteral("error: %1").arg(why); };

    if (verb == QLatin1String("help"))
        return commandHelp();
    if (verb == QLatin1String("quit") || verb == QLatin1String("exit")) {
        emit quitRequested();
        return ok;
    }
    if (verb == QLatin1String("controller") && w.size() == 2) {
        const auto a = number(w.at(1), 0, 99);
        if (!a)
            return bad(QStringLiteral("an address is 0..99"));
        addController(static_cast<quint8>(*a));
        return ok;
    }
    if (verb == QLatin1String("remove") && w.size() == 2) {
        const auto a = number(w.at(1), 0, 255);
        if (!a || !controller(static_cast<quint8>(*a)))
            return bad(QStringLiteral("no such controller"));
        removeController(static_cast<quint8>(*a));
        return ok;
    }
    if (verb == QLatin1String("reader") && w.size() == 2) {
        if (w.at(1) == QLatin1String("off")) {
            removeReader();
            return ok;
        }
        const auto a = number(w.at(1), 0, 255);
        if (!a)
            return bad(QStringLiteral("an address is 0..255"));
        setReader(static_cast<quint8>(*a));
        return ok;
    }
    if (verb == QLatin1String("card") && w.size() == 2) {
        if (!reader_)
            return bad(QStringLiteral("there is no reader (reader ADDR)"));
        return layCard(w.at(1) == QLatin1String("none") ? QString() : w.at(1)) ? ok
                                                                                  : bad(QStringLiteral("up to 10 digits"));
    }
    if (verb == QLatin1String("pass") && w.size() == 4) {
        const auto a = number(w.at(1), 0, 255);
        Controller* c = a ? controller(static_cast<quint8>(*a)) : nullptr;
        if (!c)
            return bad(QStringLiteral("no such controller"));
        const auto channel = number(w.at(3), 1, 4);
        if (!channel || !c->pass(w.at(2), *channel))
            return bad(QStringLiteral("pass ADDR NUMBER CHANNEL, channel 1..4"));
        return ok;
    }
    if (verb == QLatin1String("records") && w.size() == 3) {
        const auto a = number(w.at(1), 0, 255);
        Controller* c = a ? controller(static_cast<quint8>(*a)) : nullptr;
        const auto count = number(w.at(2), 0, 65535);
        if (!c || !count)
            return bad(QStringLiteral("records ADDR COUNT"));
        QDateTime at = c->clock();
        at.setTime(QTime(at.time().hour(), at.time().minute()));
        for (int i = 0; i < *count; ++i)
            c->records.append({QStringLiteral("%1").arg(i % 999999 + 1, 6, 10, QLatin1Char('0')),
                               at.addSecs(60 * (i - *count)), i % 4 + 1});
        return ok;
    }
    if (verb == QLatin1String("rawrecord") && w.size() == 3) {
        const auto a = number(w.at(1), 0, 255);
        Controller* c = a ? controller(static_cast<quint8>(*a)) : nullptr;
        StoredRecord rec;
        rec.raw = QByteArray::fromHex(w.at(2).toLatin1());
        if (!c || rec.raw.size() != 10 || w.at(2).size() != 20)
            return bad(QStringLiteral("rawrecord ADDR HEX (10 bytes)"));
        c->records.append(rec);
        return ok;
    }
    if (verb == QLatin1String("wrongecho") && w.size() == 3) {
        const auto a = number(w.at(1), 0, 255);
        Controller* c = a ? controller(static_cast<quint8>(*a)) : nullptr;
        const auto k = number(w.at(2), 0, 65535);
        if (!c || !k)
            return bad(QStringLiteral("wrongecho ADDR K"));
        c->wrongEchoAt = *k;
        return ok;
    }
    if ((verb == QLatin1String("streampasses") || verb == QLatin1String("stopafter")) && w.size() == 3) {
        const auto a = number(w.at(1), 0, 255);
        Controller* c = a ? controller(static_cast<quint8>(*a)) : nullptr;
        const auto n = number(w.at(2), -1, 65535);
        if (!c || !n)
            return bad(QStringLiteral("%1 ADDR N").arg(verb));
        (verb == QLatin1String("streampasses") ? c->passesDuringCollect : c->collectStopsAfter) = *n;
        return ok;
    }
    if (verb == QLatin1String("ignore") && w.size() == 4) {
        const auto a = number(w.at(1), 0, 255);
        Controller* c = a ? controller(static_cast<quint8>(*a)) : nullptr;
        bool hexOk = false;
        const int cmd = w.at(2).toInt(&hexOk, 16);
        const auto on = onOff(w.at(3).toLower());
        if (!c || !hexOk || cmd < 0 || cmd > 255 || !on)
            return bad(QStringLiteral("ignore ADDR CMD on|off"));
        c->ignored.removeAll(static_cast<quint8>(cmd));
        if (*on)
            c->ignored.append(static_cast<quint8>(cmd));
        return ok;
    }
    if (verb == QLatin1String("lock") && w.size() == 4) {
        const auto a = number(w.at(1), 0, 255);
        Controller* c = a ? controller(static_cast<quint8>(*a)) : nullptr;
        const auto lock = number(w.at(2), 1, 2);
        if (!c || !lock)
            return bad(QStringLiteral("lock ADDR 1|2 open|closed|auto"));
        const QString s = w.at(3).toLower();
        Controller::Force& f = c->force[*lock - 1];
        if (s == QLatin1String("open"))
            f = Controller::Force::Open;
        else if (s == QLatin1String("closed"))
            f = Controller::Force::Closed;
        else if (s == QLatin1String("auto"))
            f = Controller::Force::None;
        else
            return bad(QStringLiteral("open, closed or auto"));
        return ok;
    }
    if (verb == QLatin1String("clock") && w.size() == 3) {
        const auto a = number(w.at(1), 0, 255);
        Controller* c = a ? controller(static_cast<quint8>(*a)) : nullptr;
        const QDateTime at = QDateTime::fromString(w.at(2), Qt::ISODate);
        if (!c || !at.isValid())
            return bad(QStringLiteral("clock ADDR yyyy-MM-ddTHH:mm:ss"));
        c->setClock(at);
        return ok;
    }
    if ((verb == QLatin1String("silent") || verb == QLatin1String("wrong") || verb == QLatin1String("pace")) &&
        w.size() == 3) {
        const auto on = onOff(w.at(2).toLower());
        if (!on)
            return bad(QStringLiteral("on or off"));
        QList<Behaviour*> targets;
        if (w.at(1) == QLatin1String("all")) {
            for (Controller& c : controllers_)
                targets << &c.behaviour;
            if (reader_)
                targets << &reader_->behaviour;
        } else if (Behaviour* b = behaviourOf(w.at(1))) {
            targets << b;
        }
        if (targets.isEmpty())
            return bad(QStringLiteral("no such device"));
        for (Behaviour* b : targets) {
            if (verb == QLatin1String("silent"))
                b->silent = *on;
            else if (verb == QLatin1String("wrong"))
                b->wrongAddress = *on;
            else
                b->paced = *on;
        }
        return ok;
    }
    if (verb == QLatin1String("slow") && w.size() == 3) {
        Behaviour* b = behaviourOf(w.at(1));
        const auto ms = number(w.at(2), 0, 600000);
        if (!b || !ms)
            return bad(QStringLiteral("slow WHO MS"));
        b->delayMs = *ms;
        return ok;
    }
    if (verb == QLatin1String("split") && w.size() == 4) {
        Behaviour* b = behaviourOf(w.at(1));
        const auto atByte = number(w.at(2), 0, 1 << 20);
        const auto gap = number(w.at(3), 0, 600000);
        if (!b || !atByte || !gap)
            return bad(QStringLiteral("split WHO AT GAPMS"));
        b->splitAt = *atByte;
        b->splitGapMs = *gap;
        return ok;
    }
    if (verb == QLatin1String("lose") && (w.size() == 3 || w.size() == 4)) {
        Behaviour* b = behaviourOf(w.at(1));
        const auto n = number(w.at(2), 0, 1 << 20);
        const auto after = w.size() == 4 ? number(w.at(3), 0, 1 << 20) : std::optional<int>(0);
        if (!b || !n || !after)
            return bad(QStringLiteral("lose WHO N [AFTER]"));
        b->loseFrames = *n;
        b->loseAfter = *after;
        return ok;
    }
    if ((verb == QLatin1String("stray") && w.size() == 4) ||
        ((verb == QLatin1String("stray") || verb == QLatin1String("follow")) && w.size() == 3)) {
        Behaviour* b = behaviourOf(w.at(1));
        const auto v = w.at(2) == QLatin1String("off") ? std::optional<int>(-1) : number(w.at(2), 0, 255);
        const auto after = w.size() == 4 ? number(w.at(3), 0, 600000) : std::optional<int>(-1);
        if (!b || !v || !after)
            return bad(QStringLiteral("%1 WHO VALUE|off").arg(verb));
        (verb == QLatin1String("stray") ? b->strayByte : b->followedBy) = *v;
        if (verb == QLatin1String("stray"))
            b->strayAfterMs = *after;
        return ok;
    }
    if (verb == QLatin1String("twice") && w.size() == 3) {
        Behaviour* b = behaviourOf(w.at(1));
        const auto on = onOff(w.at(2).toLower());
        if (!b || !on)
            return bad(QStringLiteral("twice WHO on|off"));
        b->twice = *on;
        return ok;
    }
    if (verb == QLatin1String("chatter") && (w.size() == 2 || w.size() == 3)) {
        const auto ms = w.at(1) == QLatin1String("off") ? std::optional<int>(0) : number(w.at(1), 1, 600000);
        const auto byte = w.size() == 3 ? number(w.at(2), 0, 255) : std::optional<int>(0xFF);
        if (!ms || !byte || (*ms == 0 && w.size() == 3))
            return bad(QStringLiteral("chatter MS [BYTE] | chatter off"));
        setChatter(*ms, static_cast<quint8>(*byte));
        return ok;
    }
    if (verb == QLatin1String("baud") && w.size() == 2) {
        const auto n = number(w.at(1), 50, 4000000);
        if (!n)
            return bad(QStringLiteral("baud N"));
        setBaud(*n);
        return ok;
    }
    if (verb == QLatin1String("dump") && w.size() <= 2) {
        const QByteArray json = QJsonDocument(state()).toJson(QJsonDocument::Indented);
        if (w.size() == 1)
            return QString::fromUtf8(json).trimmed();
        QFile f(w.at(1));
        if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate) || f.write(json) != json.size())
            return bad(QStringLiteral("cannot write %1").arg(w.at(1)));
        return ok;
    }
    if (verb == QLatin1String("load") && w.size() == 2) {
        QFile f(w.at(1));
        if (!f.open(QIODevice::ReadOnly))
            return bad(QStringLiteral("cannot read %1").arg(w.at(1)));
        QJsonParseError pe;
        const QJsonDocument doc = QJsonDocument::fromJson(f.readAll(), &pe);
        if (!doc.isObject())
            return bad(pe.errorString());
        QString why;
        return loadState(doc.object(), &why) ? ok : bad(why);
    }
    if (verb == QLatin1String("frames") && w.size() == 1) {
        QStringList lines;
        for (const QByteArray& f : frames_)
            lines << hex(f);
        return lines.join(QLatin1Char('\n'));
    }
    return bad(QStringLiteral("unknown command (help lists them)"));
}
