#include "link/CommandFrame.h"

#include "link/Bcd.h"

namespace CommandFrame {

quint8 lengthOf(quint8 command)
{
    switch (static_cast<CommandCode>(command)) {
    case CommandCode::AckPassRecord:
    case CommandCode::StatusQuery:
    case CommandCode::ClearRecords:
    case CommandCode::ReadCard:
    case CommandCode::ClearLists:
    case CommandCode::OpenLock1:
    case CommandCode::OpenLock2:
    case CommandCode::CollectRecords:
    case CommandCode::ReadPassRecord:
    case CommandCode::PollLocks:
        return 0x02;
    case CommandCode::SetTime:
    case CommandCode::SetDate:
    case CommandCode::DeleteCard:
    case CommandCode::SetLockDelay1:
    case CommandCode::SetLockDelay2:
        return 0x05;
    case CommandCode::AddCard:
        return 0x15;
    }
    return 0;
}

QByteArray build(quint8 address, quint8 command, QByteArrayView parameters)
{
    QByteArray out;
    out.reserve(3 + parameters.size());
    out.append(static_cast<char>(address));
    out.append(static_cast<char>(parameters.size() + 2));
    out.append(static_cast<char>(command));
    out.append(parameters.data(), parameters.size());
    return out;
}

QByteArray build(quint8 address, CommandCode command, QByteArrayView parameters)
{
    return build(address, static_cast<quint8>(command), parameters);
}

std::optional<Parsed> parse(QByteArrayView bytes, qsizetype* consumed)
{
    if (bytes.size() < 2)
        return std::nullopt;
    const int length = static_cast<quint8>(bytes.at(1));
    if (length < 2 || bytes.size() < 1 + length)
        return std::nullopt;
    Parsed p;
    p.address = static_cast<quint8>(bytes.at(0));
    p.command = static_cast<quint8>(bytes.at(2));
    p.parameters = bytes.sliced(3, length - 2).toByteArray();
    if (consumed)
        *consumed = 1 + length;
    return p;
}

}  // namespace CommandFrame

namespace SetTime {

QByteArray frame(quint8 address, const QTime& time)
{
    QByteArray params;
    params.append(static_cast<char>(Bcd::encode(time.hour())));
    params.append(static_cast<char>(Bcd::encode(time.minute())));
    params.append(static_cast<char>(Bcd::encode(time.second())));
    return CommandFrame::build(address, CommandCode::SetTime, params);
}

}  // namespace SetTime
