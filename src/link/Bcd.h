#pragma once
#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>

#include <optional>

// Numbers on the controller line: dates, times and card numbers travel as
// packed BCD, two decimal digits a byte with the tens in the high half;
// record counts travel as two plain bytes, high byte first.
namespace Bcd {

// 0..99 to one byte. Values outside are reduced to their last two digits,
// so a year 2024 becomes 0x24.
quint8 encode(int value);

// One byte back to a number. Every byte decodes, also one with a half
// above 9 (0x1A gives 20): controllers have been seen to send such bytes
// and the receiving code must not trip over them.
int decode(quint8 byte);

// A text of decimal digits (even length) to one byte per pair, the first
// pair first. Nothing when the text holds anything but an even number of
// digits.
std::optional<QByteArray> fromDigits(QStringView digits);

// Each byte as its two decimal digits ("0" in front of a value below 10),
// joined. A byte whose value decodes above 99 gives three digits.
QString toDigits(QByteArrayView bytes);

}  // namespace Bcd

namespace TwoByteCount {

// 0..65535 as two bytes, high byte first.
QByteArray encode(quint16 count);
quint16 decode(quint8 high, quint8 low);

}  // namespace TwoByteCount
