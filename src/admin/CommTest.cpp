#include "admin/CommTest.h"

#include "db/NumberText.h"

#include "admin/PortSettings.h"
#include "link/CommandFrame.h"

#include <QRegularExpression>

using namespace std::chrono_literals;

namespace CommTest {

AddressCheck checkAddress(const QString& text, quint8* address)
{
    const QString t = text.trimmed();
    if (t.isEmpty())
        return AddressCheck::Empty;
    const std::optional<int> v = NumberText::address(t);
    if (!v)
        return AddressCheck::NotAnAddress;
    if (address)
        *address = static_cast<quint8>(*v);
    return AddressCheck::Ok;
}

PortProblem openFromBoxes(LinePort& port, const QString& portText, const QString& settingsText,
                          const QString& inBufText, const QString& outBufText, const QString& programFolder)
{
    if (port.isOpen())
        return PortProblem::None;
    const auto portNo = PortSettings::boxNumber(portText);
    if (!portNo || *portNo < 1)
        return PortProblem::BadPortNumber;
    LineParams p;
    p.portNo = *portNo;
    p.settings = settingsText.trimmed();
    // A size that does not fit the settings is as wrong as a size of 0.
    p.inBufSize = PortSettings::boxNumber(inBufText).value_or(0);
    p.outBufSize = PortSettings::boxNumber(outBufText).value_or(0);
    p.programFolder = programFolder;
    switch (port.open(p).status) {
    case OpenStatus::Opened:
    case OpenStatus::AlreadyOpen:
        return PortProblem::None;
    case OpenStatus::BadPortNumber:
        return PortProblem::BadPortNumber;
    case OpenStatus::BadSettings:
        return PortProblem::BadSettings;
    case OpenStatus::HeldByAnotherWindow:
        return PortProblem::HeldByAnotherWindow;
    case OpenStatus::BadBufferSize:
    case OpenStatus::CannotOpen:
        break;
    }
    return PortProblem::NotOpened;
}

Outcome run(LinePort& port, quint8 address, const QTime& now)
{
    ExchangeOptions o = ExchangeOptions::echo(2s);
    o.pauseOneSecond = true;
    o.emptyBuffers = false;
    const ExchangeResult r = port.exchange(SetTime::frame(address, now), o);
    switch (r.status) {
    case ExchangeStatus::Ok: return Outcome::Success;
    case ExchangeStatus::WrongAddress: return Outcome::WrongReply;
    case ExchangeStatus::Disturbed: return Outcome::Disturbed;
    default: return Outcome::NoReply;
    }
}

}  // namespace CommTest
