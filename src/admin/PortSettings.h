#pragma once
#include "admin/SystemRows.h"

#include <QSqlDatabase>
#include <QString>

#include <optional>

// The four serial-port settings of the serial-settings window: read from
// its boxes, stored in `system` and in the session.
namespace PortSettings {

struct Values {
    qint16 portNo = 1;
    QString commSettings;
    qint16 inBufSize = 2048;
    qint16 outBufSize = 512;
};

enum class Box { Port, Settings, InBuf, OutBuf };

// The boxes' texts as the window takes them: the first empty box (in the
// order port, settings, receive, transmit), or a number that does not fit
// the 16-bit settings, is refused and named; otherwise each number is the
// one at the start of its text (0 when there is none), rounded, and the
// settings text loses its blanks at both ends. The settings text itself
// is not checked here: a wrong one shows when a port is next opened.
struct Read {
    std::optional<Values> values;
    Box refused = Box::Port;
};
Read fromTexts(const QString& port, const QString& settings, const QString& inBuf, const QString& outBuf);

// A box's number as a 16-bit value, or nothing when it does not fit.
std::optional<qint16> boxNumber(const QString& text);

// Stores the four values in their `system` rows in one transaction and,
// once stored, in PortNo, CommSettings, InBufSize and OutBufSize. Ports
// that windows hold keep the parameters they were opened with.
SettingsWrite apply(QSqlDatabase db, const Values& values);

}  // namespace PortSettings
