#include "cards/CardCommands.h"

#include "db/NumberText.h"

#include "link/Bcd.h"
#include "link/LineClock.h"
#include "link/CommandFrame.h"
#include "link/YearByte.h"

#include <algorithm>

using namespace std::chrono_literals;

namespace {

const QString kPortNotOpen = QStringLiteral("串口通信端口没有打开");

void pause(std::chrono::milliseconds ms)
{
    LineClock::pause(ms);
}

// One echoed command: the port opened when closed, the frame out, one byte
// awaited, the port closed afterwards whatever came of it unless the
// caller keeps it for the next card.
CardResult echoed(LinePort& comm, const QByteArray& frame, const CardSendOptions& options)
{
    CardResult r;
    if (!comm.isOpen() && !comm.open(options.params).ok()) {
        r.outcome = CardOutcome::PortNotOpen;
        if (options.portMessage)
            r.portMessage = kPortNotOpen;
        return r;
    }
    pause(options.pauseBeforeSend);
    const ExchangeResult x = comm.exchange(frame, ExchangeOptions::echo(options.timeout));
    switch (x.status) {
    case ExchangeStatus::Ok:
        r.outcome = CardOutcome::Acknowledged;
        pause(options.pauseAfterEcho);
        break;
    case ExchangeStatus::WrongAddress: r.outcome = CardOutcome::WrongEcho; break;
    case ExchangeStatus::Disturbed: r.outcome = CardOutcome::Disturbed; break;
    case ExchangeStatus::PortNotOpen:
    case ExchangeStatus::Busy:
        // Nothing went out: another exchange of this port still waits.
        r.outcome = CardOutcome::PortNotOpen;
        if (options.portMessage)
            r.portMessage = kPortNotOpen;
        return r;
    case ExchangeStatus::WriteFailed: r.outcome = CardOutcome::NotAnswered; break;
    case ExchangeStatus::TimedOut:
        // A controller that answers after the wait has taken the command
        // all the same: the operator must hear that its card list is in
        // doubt, not that it was silent.
        switch (comm.quietAfterFailure()) {
        case QuietEnd::Silent: r.outcome = CardOutcome::NotAnswered; break;
        case QuietEnd::Heard:
            r.outcome = CardOutcome::NotAnswered;
            r.lateEcho = true;
            break;
        case QuietEnd::Disturbed: r.outcome = CardOutcome::Disturbed; break;
        }
        break;
    }
    // The rest of a longer reply, or a late byte, must not wait for the
    // next command (which empties the buffer anyway).
    comm.clear();
    if (!options.keepOpen)
        comm.close();
    return r;
}

}  // namespace

bool CardLimits::hasDateRange() const
{
    return startDate.isValid() && endDate.isValid();
}

bool CardLimits::hasTimeRange() const
{
    const QTime midnight(0, 0);
    return startTime.isValid() && endTime.isValid() && startTime != midnight && endTime != midnight;
}

namespace CardNumbers {

std::optional<QString> paddedPhysical(const QString& text)
{
    return NumberText::paddedPhysical(text);
}

bool isCardNumber(const QString& text)
{
    return NumberText::isCardNumber(text);
}

}  // namespace CardNumbers

namespace CardFrames {

std::optional<QByteArray> addCard(int address, const QString& physical, const QString& card,
                                  const CardLimits& limits)
{
    if (!NumberText::isAddress(address))
        return std::nullopt;
    if (limits.weekStart < 0 || limits.weekStart > 15 || limits.weekEnd < 0 || limits.weekEnd > 15)
        return std::nullopt;
    if (limits.lock1Mode < 0 || limits.lock1Mode > 3 || limits.lock2Mode < 0 || limits.lock2Mode > 3)
        return std::nullopt;
    const std::optional<QString> padded = CardNumbers::paddedPhysical(physical);
    if (!padded)
        return std::nullopt;
    const std::optional<QByteArray> physicalBytes = Bcd::fromDigits(*padded);
    const std::optional<QByteArray> cardBytes = Bcd::fromDigits(QStringView(card).left(6));
    if (!physicalBytes || !cardBytes || cardBytes->size() != 3)
        return std::nullopt;

    QByteArray p(19, '\0');
    std::copy(physicalBytes->begin(), physicalBytes->end(), p.begin());
    std::copy(cardBytes->begin(), cardBytes->end(), p.begin() + 5);
    // Bytes 11..21 of the frame, from index 8 of the parameters.
    auto at = [&p](int frameByte) -> char& { return p[frameByte - 3]; };
    const int mode1 = limits.lock1Mode * 32, mode2 = limits.lock2Mode * 32;
    if (limits.hasDateRange()) {
        const std::optional<quint8> startYear = YearByte::encode(limits.startDate);
        const std::optional<quint8> endYear = YearByte::encode(limits.endDate);
        if (!startYear || !endYear)
            return std::nullopt;
        at(11) = static_cast<char>(*startYear);
        at(12) = static_cast<char>(*endYear);
        at(13) = static_cast<char>(mode1 + Bcd::encode(limits.startDate.month()));
        at(14) = static_cast<char>(mode2 + Bcd::encode(limits.endDate.month()));
        at(15) = static_cast<char>(Bcd::encode(limits.startDate.day()));
        at(16) = static_cast<char>(Bcd::encode(limits.endDate.day()));
    } else {
        at(13) = static_cast<char>(mode1);
        at(14) = static_cast<char>(mode2);
    }
    if (limits.hasTimeRange()) {
        at(17) = static_cast<char>(Bcd::encode(limits.startTime.hour()));
        at(18) = static_cast<char>(Bcd::encode(limits.endTime.hour()));
        at(19) = static_cast<char>(Bcd::encode(limits.startTime.minute()));
        at(20) = static_cast<char>(Bcd::encode(limits.endTime.minute()));
    }
    at(21) = static_cast<char>(limits.weekStart * 16 + limits.weekEnd);
    return CommandFrame::build(static_cast<quint8>(address), CommandCode::AddCard, p);
}

std::optional<QByteArray> deleteCard(int address, const QString& card)
{
    if (!NumberText::isAddress(address))
        return std::nullopt;
    const std::optional<QByteArray> cardBytes = Bcd::fromDigits(QStringView(card).left(6));
    if (!cardBytes || cardBytes->size() != 3)
        return std::nullopt;
    return CommandFrame::build(static_cast<quint8>(address), CommandCode::DeleteCard, *cardBytes);
}

QByteArray readCard(quint8 readerAddress)
{
    return CommandFrame::build(readerAddress, CommandCode::ReadCard);
}

std::optional<QString> physicalFromReply(QByteArrayView reply, quint8 readerAddress)
{
    if (reply.size() < 8 || static_cast<quint8>(reply[0]) != readerAddress || static_cast<quint8>(reply[1]) != 0x07 ||
        static_cast<quint8>(reply[2]) != 0x04)
        return std::nullopt;
    for (char c : reply.sliced(3, 5)) {
        const auto b = static_cast<quint8>(c);
        if ((b >> 4) > 9 || (b & 0x0F) > 9)
            return std::nullopt;
    }
    return Bcd::toDigits(reply.sliced(3, 5));
}

}  // namespace CardFrames

CardSendOptions CardSendOptions::issuing(const LineParams& params)
{
    CardSendOptions o;
    o.params = params;
    return o;
}

CardSendOptions CardSendOptions::quiet(const LineParams& params)
{
    CardSendOptions o;
    o.params = params;
    o.portMessage = false;
    return o;
}

CardSendOptions CardSendOptions::paced(const LineParams& params)
{
    CardSendOptions o = quiet(params);
    o.pauseBeforeSend = 100ms;
    o.pauseAfterEcho = 100ms;
    return o;
}

CardResult addtodoor(LinePort& comm, int address, const QString& physical, const QString& card,
                     const CardLimits& limits, const CardSendOptions& options)
{
    const std::optional<QByteArray> frame = CardFrames::addCard(address, physical, card, limits);
    if (!frame) {
        CardResult r;
        r.outcome = CardOutcome::Refused;
        return r;
    }
    CardResult r = echoed(comm, *frame, options);
    r.physical = *CardNumbers::paddedPhysical(physical);
    return r;
}

CardResult delfromdoor(LinePort& comm, int address, const QString& card, const CardSendOptions& options)
{
    const std::optional<QByteArray> frame = CardFrames::deleteCard(address, card);
    if (!frame) {
        CardResult r;
        r.outcome = CardOutcome::Refused;
        return r;
    }
    return echoed(comm, *frame, options);
}

QString ReadCardResult::message() const
{
    switch (outcome) {
    case Outcome::Read: return {};
    case Outcome::PortNotOpen: return kPortNotOpen;
    case Outcome::NoReply: return QStringLiteral("通信出错");
    case Outcome::BadReply: return QStringLiteral("通讯出错");
    }
    return {};
}

ReadCardResult ReadCard(LinePort& comm, quint8 readerAddress, const LineParams& readerParams,
                        std::chrono::milliseconds timeout)
{
    ReadCardResult r;
    if (comm.busy()) {
        r.outcome = ReadCardResult::Outcome::PortNotOpen;
        return r;
    }
    // The port may still be open on the controllers' line, with other
    // parameters than the reader's.
    comm.close();
    if (!comm.open(readerParams).ok()) {
        r.outcome = ReadCardResult::Outcome::PortNotOpen;
        return r;
    }
    ExchangeOptions o;
    o.awaitedBytes = 8;
    o.timeout = timeout;
    o.read = ReadMode::All;
    o.checkAddress = false;
    const ExchangeResult x = comm.exchange(CardFrames::readCard(readerAddress), o);
    if (x.ok()) {
        const std::optional<QString> physical = CardFrames::physicalFromReply(x.reply, readerAddress);
        if (physical) {
            r.outcome = ReadCardResult::Outcome::Read;
            r.physical = *physical;
        } else {
            r.outcome = ReadCardResult::Outcome::BadReply;
        }
    } else {
        r.outcome = ReadCardResult::Outcome::NoReply;
    }
    comm.clear();
    comm.close();
    return r;
}
