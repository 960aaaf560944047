#pragma once
#include "link/LinePort.h"

#include <QObject>
#include <QSqlDatabase>
#include <QString>

// Tells the windows that outlive a change of the shared settings about it.
class SessionEvents : public QObject {
    Q_OBJECT
signals:
    // CollectType or CollectTime changed: the main window switches its
    // collection timer at once.
    void scheduleChanged();
};

// The state that outlives a window, under the names the system has always
// used. Everything starts as zero or empty; the login and the main window
// fill it, and the settings windows replace parts of it.
namespace Session {

inline QString ConnectStr;      // the path of door.db the shared connection was opened on
inline QString CurrentUser;     // sysname of the logged-in operator, as stored
inline qint16 UserLevel = 0;    // 1 once an operator has logged in
inline qint16 PortNo = 0;       // serial port number of the controller line
inline QString CommSettings;    // "9600,n,8,1"
inline qint16 InBufSize = 0;
inline qint16 OutBufSize = 0;
inline qint16 ReaderAddress = 0;
inline QString TitlePrefix;
inline qint16 CollectType = 0;  // 1: the daily timed collection is on
inline QString CollectTime;     // "HH:mm", or "0" when off
inline qint16 MonitorFlag = 0;

// The shared connection `db`.
QSqlDatabase db();

// The parameters every window that talks to the controllers opens its port
// with: PortNo, CommSettings, InBufSize, OutBufSize and the program folder,
// where a com<N> link may name the device.
LineParams lineParams();

// Reads the five `system` rows into PortNo, TitlePrefix, CommSettings,
// InBufSize, OutBufSize and ReaderAddress. A missing row or an empty value
// takes the delivered default.
void loadSystemSettings(QSqlDatabase db);

// Reads the `cjtype` row into CollectType and CollectTime. False when the
// table has no row; the two variables then keep their values.
bool loadSchedule(QSqlDatabase db);

SessionEvents& events();

// Back to the state before login (tests start each case from here).
void reset();

}  // namespace Session
