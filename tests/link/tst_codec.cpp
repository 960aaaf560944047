// Packed BCD, counts, frames, the settings text and port names: the bytes
// and texts the line is built from.

#include "link/Bcd.h"
#include "link/CommandFrame.h"
#include "link/PortName.h"
#include "link/SerialFormat.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

class TestCodec : public QObject {
    Q_OBJECT

private slots:
    void bcdEncodesAndDecodes_data()
    {
        QTest::addColumn<int>("value");
        QTest::addColumn<int>("byte");
        QTest::newRow("0") << 0 << 0x00;
        QTest::newRow("9") << 9 << 0x09;
        QTest::newRow("10") << 10 << 0x10;
        QTest::newRow("59") << 59 << 0x59;
        QTest::newRow("99") << 99 << 0x99;
    }
    void bcdEncodesAndDecodes()
    {
        QFETCH(int, value);
        QFETCH(int, byte);
        QCOMPARE(Bcd::encode(value), quint8(byte));
        QCOMPARE(Bcd::decode(quint8(byte)), value);
    }

    void bcdYearAndBadNibbles()
    {
        // A four-digit year travels as its last two digits.
        QCOMPARE(Bcd::encode(2024), quint8(0x24));
        QCOMPARE(Bcd::encode(1999), quint8(0x99));
        // Bytes that are not BCD still decode by the same formula.
        QCOMPARE(Bcd::decode(0x1A), 20);
        QCOMPARE(Bcd::decode(0xFF), 165);
    }

    void digitStrings()
    {
        QCOMPARE(*Bcd::fromDigits(u"0012345678"), QByteArray::fromHex("0012345678"));
        QCOMPARE(*Bcd::fromDigits(u"000123"), QByteArray::fromHex("000123"));
        QVERIFY(!Bcd::fromDigits(u"12345"));   // odd length
        QVERIFY(!Bcd::fromDigits(u"12a4"));
        QCOMPARE(Bcd::toDigits(QByteArray::fromHex("1234567890")), QStringLiteral("1234567890"));
        QCOMPARE(Bcd::toDigits(QByteArray::fromHex("0000000123")), QStringLiteral("0000000123"));
        QCOMPARE(Bcd::toDigits(QByteArray::fromHex("AB")), QStringLiteral("111"));
    }

    void counts()
    {
        QCOMPARE(TwoByteCount::encode(0), QByteArray::fromHex("0000"));
        QCOMPARE(TwoByteCount::encode(256), QByteArray::fromHex("0100"));
        QCOMPARE(TwoByteCount::encode(1000), QByteArray::fromHex("03E8"));
        QCOMPARE(TwoByteCount::decode(0xFF, 0xFF), quint16(65535));
        QCOMPARE(TwoByteCount::decode(0x01, 0x00), quint16(256));
    }

    void setTimeFrames()
    {
        QCOMPARE(SetTime::frame(0, QTime(9, 5, 7)), QByteArray::fromHex("000508090507"));
        QCOMPARE(SetTime::frame(99, QTime(23, 59, 59)), QByteArray::fromHex("630508235959"));
        QCOMPARE(SetTime::frame(1, QTime(0, 0, 0)), QByteArray::fromHex("010508000000"));
    }

    void commandFrames()
    {
        // Frames without parameters, as each command's owner sends them.
        QCOMPARE(CommandFrame::build(0, CommandCode::ClearRecords), QByteArray::fromHex("000206"));
        QCOMPARE(CommandFrame::build(99, CommandCode::ClearLists), QByteArray::fromHex("63020C"));
        QCOMPARE(CommandFrame::build(1, CommandCode::StatusQuery), QByteArray::fromHex("010204"));
        QCOMPARE(CommandFrame::build(0, CommandCode::ReadCard), QByteArray::fromHex("00020B"));
        QCOMPARE(CommandFrame::build(7, CommandCode::OpenLock2), QByteArray::fromHex("070220"));
        // DeleteCard of card 000123 to controller 12.
        QCOMPARE(CommandFrame::build(12, CommandCode::DeleteCard, *Bcd::fromDigits(u"000123")),
                 QByteArray::fromHex("0C050D000123"));
        // The length byte of AddCard counts its 21 bytes after the address.
        QCOMPARE(CommandFrame::build(5, CommandCode::AddCard, QByteArray(19, '\0')).at(1), char(0x15));
    }

    void lengthTable()
    {
        const quint8 bare[] = {0x02, 0x04, 0x06, 0x0B, 0x0C, 0x10, 0x11, 0x1B, 0x1F, 0x20};
        for (quint8 c : bare)
            QCOMPARE(CommandFrame::lengthOf(c), quint8(0x02));
        const quint8 three[] = {0x08, 0x09, 0x0D, 0x0E, 0x1E};
        for (quint8 c : three)
            QCOMPARE(CommandFrame::lengthOf(c), quint8(0x05));
        QCOMPARE(CommandFrame::lengthOf(0x0A), quint8(0x15));
        QCOMPARE(CommandFrame::lengthOf(0x55), quint8(0));
    }

    void parsingFrames()
    {
        qsizetype used = 0;
        const QByteArray two = QByteArray::fromHex("63050823595901020B");
        const auto f = CommandFrame::parse(two, &used);
        QVERIFY(f);
        QCOMPARE(used, qsizetype(6));
        QCOMPARE(f->address, quint8(99));
        QCOMPARE(f->command, quint8(0x08));
        QCOMPARE(f->parameters, QByteArray::fromHex("235959"));
        const auto g = CommandFrame::parse(QByteArrayView(two).sliced(used));
        QVERIFY(g);
        QCOMPARE(g->command, quint8(0x0B));
        QVERIFY(!CommandFrame::parse(QByteArray::fromHex("010508")));  // incomplete
        QVERIFY(!CommandFrame::parse(QByteArray::fromHex("0100")));
    }

    void addressEcho()
    {
        QVERIFY(AddressEcho::acknowledges(QByteArray(1, '\0'), 0));
        QVERIFY(AddressEcho::acknowledges(QByteArray::fromHex("63"), 99));
        QVERIFY(AddressEcho::acknowledges(QByteArray::fromHex("6300"), 99));
        QVERIFY(!AddressEcho::acknowledges(QByteArray::fromHex("62"), 99));
        QVERIFY(!AddressEcho::acknowledges(QByteArray(), 0));
    }

    void settingsText_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("valid");
        QTest::addColumn<int>("baud");
        QTest::addColumn<int>("parity");
        QTest::addColumn<int>("dataBits");
        QTest::addColumn<int>("stopBits");
        using P = SerialFormat::Parity;
        using S = SerialFormat::StopBits;
        QTest::newRow("delivered") << "9600,n,8,1" << true << 9600 << int(P::None) << 8 << int(S::One);
        QTest::newRow("even") << "19200,E,7,2" << true << 19200 << int(P::Even) << 7 << int(S::Two);
        QTest::newRow("odd one and a half") << "2400,o,5,1.5" << true << 2400 << int(P::Odd) << 5 << int(S::OneAndHalf);
        QTest::newRow("mark") << "1200,m,8,1" << true << 1200 << int(P::Mark) << 8 << int(S::One);
        QTest::newRow("space, blanks") << " 4800 , s , 6 , 1 " << true << 4800 << int(P::Space) << 6 << int(S::One);
        QTest::newRow("odd baud") << "9601,n,8,1" << false << 0 << 0 << 0 << 0;
        QTest::newRow("parity x") << "9600,x,8,1" << false << 0 << 0 << 0 << 0;
        QTest::newRow("nine bits") << "9600,n,9,1" << false << 0 << 0 << 0 << 0;
        QTest::newRow("stop 3") << "9600,n,8,3" << false << 0 << 0 << 0 << 0;
        QTest::newRow("three fields") << "9600,n,8" << false << 0 << 0 << 0 << 0;
        QTest::newRow("empty") << "" << false << 0 << 0 << 0 << 0;
        QTest::newRow("letters") << "abc" << false << 0 << 0 << 0 << 0;
    }
    void settingsText()
    {
        QFETCH(QString, text);
        QFETCH(bool, valid);
        const auto f = SerialFormat::parse(text);
        QCOMPARE(bool(f), valid);
        if (!valid)
            return;
        QFETCH(int, baud);
        QFETCH(int, parity);
        QFETCH(int, dataBits);
        QFETCH(int, stopBits);
        QCOMPARE(f->baud, baud);
        QCOMPARE(int(f->parity), parity);
        QCOMPARE(f->dataBits, dataBits);
        QCOMPARE(int(f->stopBits), stopBits);
        QCOMPARE(SerialFormat::parse(f->text()), f);
    }

    void bitsOnTheWire()
    {
        QCOMPARE(SerialFormat::parse(QStringLiteral("9600,n,8,1"))->bitsPerByte(), 10.0);
        QCOMPARE(SerialFormat::parse(QStringLiteral("9600,e,7,2"))->bitsPerByte(), 11.0);
    }

    void portNames()
    {
        QTemporaryDir dir;
        QVERIFY(PortName::device(0, dir.path()).isEmpty());
        QVERIFY(PortName::device(-3, dir.path()).isEmpty());
#ifndef Q_OS_WIN
        QCOMPARE(PortName::device(1, dir.path()), QStringLiteral("/dev/ttyS0"));
        QCOMPARE(PortName::device(4, QString()), QStringLiteral("/dev/ttyS3"));

        // A link com<N> names the device for N, also spelled in capitals,
        // followed through a chain of links to the device itself.
        QFile device(dir.filePath(QStringLiteral("device")));
        QVERIFY(device.open(QIODevice::WriteOnly));
        device.close();
        QVERIFY(QFile::link(dir.filePath(QStringLiteral("device")), dir.filePath(QStringLiteral("middle"))));
        QVERIFY(QFile::link(dir.filePath(QStringLiteral("middle")), dir.filePath(QStringLiteral("COM2"))));
        const QString canonical = QFileInfo(dir.filePath(QStringLiteral("device"))).canonicalFilePath();
        QCOMPARE(PortName::device(2, dir.path()), canonical);
        QCOMPARE(PortName::device(3, dir.path()), QStringLiteral("/dev/ttyS2"));

        // A link to a device that is gone still names it, so that opening
        // fails instead of falling back to another port.
        QVERIFY(QFile::link(dir.filePath(QStringLiteral("gone")), dir.filePath(QStringLiteral("com5"))));
        QCOMPARE(PortName::device(5, dir.path()), dir.filePath(QStringLiteral("gone")));
#else
        QCOMPARE(PortName::device(1, dir.path()), QStringLiteral("COM1"));
#endif
    }
};

QTEST_GUILESS_MAIN(TestCodec)
#include "tst_codec.moc"
