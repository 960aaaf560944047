#pragma once
#include <QString>

#include <optional>

// The settings text of the line, "9600,n,8,1": baud rate, parity (n, e,
// o, m or s), data bits and stop bits (1, 1.5 or 2), separated by commas.
struct SerialFormat {
    enum class Parity { None, Even, Odd, Mark, Space };
    enum class StopBits { One, OneAndHalf, Two };

    qint32 baud = 9600;
    Parity parity = Parity::None;
    int dataBits = 8;
    StopBits stopBits = StopBits::One;

    // Nothing when the text is not four fields of the forms above or names
    // a baud rate no serial port offers. Blanks around a field are allowed
    // and the parity letter may be in either case.
    static std::optional<SerialFormat> parse(const QString& text);

    // The baud rates a settings text may name.
    static bool isKnownBaudRate(qint32 baud);

    QString text() const;

    // Bits on the wire for one byte: start bit, data bits, parity bit,
    // stop bits. 9600,n,8,1 takes 10 bits a byte.
    double bitsPerByte() const;

    bool operator==(const SerialFormat&) const = default;
};
