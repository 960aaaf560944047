#pragma once
#include <QByteArrayView>
#include <QDate>
#include <QString>
#include <QStringList>
#include <QTime>

#include <optional>

// The fifteen bytes a controller answers StatusQuery with: its address,
// the number of door-open records it holds (two bytes, high first), the
// open times of its two locks (1/14 s), its date and time and weekday
// code (packed BCD) and its version (three BCD bytes).
struct StatusReply {
    static constexpr int kSize = 15;

    quint8 address = 0;
    quint16 recordCount = 0;
    quint8 lock1Count = 0;
    quint8 lock2Count = 0;
    QDate date;        // invalid when the bytes name no calendar date
    QTime time;        // invalid when the bytes name no time of day
    int weekday = 0;   // as the controller reports it
    QString version;   // "2.10", "2.105", "1.5"

    double lock1Seconds() const;
    double lock2Seconds() const;

    // Decodes the first fifteen bytes; nothing when fewer came.
    static std::optional<StatusReply> decode(QByteArrayView bytes);
};

// SysInf.ini in the program folder: one line with the status of the
// controller read last, seven comma-separated items (record count, lock-1
// and lock-2 open times in seconds, date, time of day, weekday code,
// version). Other programs of the site read it, so its format is fixed:
// numbers with a blank on either side and "." as the decimal point with
// no 0 before it (" .5 "), the date as 2004-12-7, the time as 10:23:45,
// whatever the locale.
namespace SysInf {

QString fileName();  // "SysInf.ini"
// The file in the program folder, whatever case an existing one is spelled in.
QString path();

// One number the way the status line has always written it.
QString number(double value);
// The seven items of a status.
QStringList items(const StatusReply& status);
// The whole line, CR LF included.
QByteArray line(const StatusReply& status);

// Replaces the file; it appears complete or not at all.
bool write(const StatusReply& status, QString* error = nullptr);

// The seven items of the file, the blanks around its numbers kept and the
// line end dropped; nothing when there is no file or it holds fewer than
// six commas.
std::optional<QStringList> read();
std::optional<QStringList> parse(const QByteArray& content);

// The eight lines the lock settings window lists for the file's items; it
// names the weekday codes 0 (Sunday) to 6 (Saturday).
QStringList lockWindowLines(const QString& addressText, const QStringList& items);
// The eight lines of the hardware-information window; it names the codes
// 1 (Monday) to 7 (Sunday).
QStringList hardwareWindowLines(int address, const QStringList& items);

}  // namespace SysInf
