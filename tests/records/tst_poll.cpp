// The monitoring packets: frames and the decoders of PollReply and
// PassRecord.

#include "support/Controls.h"
#include "records/PollCommands.h"

#include <QRandomGenerator>
#include <QtTest>

Q_DECLARE_METATYPE(LockState)


class TestPoll : public QObject {
    Q_OBJECT
private slots:
    void frames_data();
    void frames();
    void pollReply_data();
    void pollReply();
    void passRecord_data();
    void passRecord();
    void randomRepliesNeverGiveAFalsePass();
};

void TestPoll::frames_data()
{
    QTest::addColumn<QByteArray>("frame");
    QTest::addColumn<QByteArray>("expected");
    QTest::newRow("PollLocks 5") << PollLocks::frame(5) << hex("05021F");
    QTest::newRow("ReadPassRecord 12") << ReadPassRecord::frame(12) << hex("0C021B");
    QTest::newRow("AckPassRecord 99") << AckPassRecord::frame(99) << hex("630202");
}

void TestPoll::frames()
{
    QFETCH(QByteArray, frame);
    QFETCH(QByteArray, expected);
    QCOMPARE(frame, expected);
}

void TestPoll::pollReply_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<LockState>("lock1");
    QTest::addColumn<LockState>("lock2");
    using L = LockState;
    QTest::newRow("both closed") << hex("0722") << L::Closed << L::Closed;
    QTest::newRow("lock 1 open") << hex("0724") << L::Open << L::Closed;
    QTest::newRow("lock 2 open") << hex("0742") << L::Closed << L::Open;
    QTest::newRow("both open") << hex("0744") << L::Open << L::Open;
    QTest::newRow("0x33") << hex("0733") << L::Unknown << L::Unknown;
    QTest::newRow("0x20") << hex("0720") << L::Unknown << L::Unknown;
    QTest::newRow("one byte") << hex("07") << L::Unknown << L::Unknown;
    QTest::newRow("nothing") << QByteArray() << L::Unknown << L::Unknown;
    QTest::newRow("other address") << hex("0824") << L::Unknown << L::Unknown;
    QTest::newRow("trailing byte") << hex("072499") << L::Unknown << L::Unknown;
}

void TestPoll::pollReply()
{
    QFETCH(QByteArray, bytes);
    QFETCH(LockState, lock1);
    QFETCH(LockState, lock2);
    const PollReply r = PollReply::decode(bytes, 7);
    QCOMPARE(r.lock1, lock1);
    QCOMPARE(r.lock2, lock2);
    QCOMPARE(r.anyOpen(), lock1 == LockState::Open || lock2 == LockState::Open);
}

void TestPoll::passRecord_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<bool>("isPass");
    QTest::addColumn<QString>("physical");
    QTest::addColumn<int>("channel");
    QTest::newRow("leading zeros kept") << hex("0C08040012345678" "03") << true << QStringLiteral("0012345678") << 3;
    QTest::newRow("length byte ignored") << hex("0C00049876543210" "01") << true << QStringLiteral("9876543210") << 1;
    QTest::newRow("half above 9") << hex("0C0804001A000000" "02") << true << QStringLiteral("001A000000") << 2;
    QTest::newRow("channel kept as sent") << hex("0C08040000000001" "09") << true << QStringLiteral("0000000001") << 9;
    QTest::newRow("ten bytes") << hex("0C08040000000001" "0155") << false << QString() << 0;
    QTest::newRow("code 5") << hex("0C08050012345678" "03") << false << QString() << 0;
    QTest::newRow("no record") << hex("0C08000000000000" "00") << false << QString() << 0;
    QTest::newRow("eight bytes") << hex("0C08040012345678") << false << QString() << 0;
    QTest::newRow("other address") << hex("0D08040012345678" "03") << false << QString() << 0;
}

void TestPoll::passRecord()
{
    QFETCH(QByteArray, bytes);
    QFETCH(bool, isPass);
    QFETCH(QString, physical);
    QFETCH(int, channel);
    const std::optional<PassRecord> p = PassRecord::decode(bytes, 12);
    QCOMPARE(p.has_value(), isPass);
    if (p) {
        QCOMPARE(p->address, quint8(12));
        QCOMPARE(p->physical, physical);
        QCOMPARE(p->channel, channel);
    }
}

void TestPoll::randomRepliesNeverGiveAFalsePass()
{
    QRandomGenerator rng(20240305);
    const QByteArray good = hex("0C08040012345678" "03");
    int passes = 0;
    for (int i = 0; i < 1000000; ++i) {
        QByteArray b;
        if (i % 2 == 0) {
            // A good record cut short, with a byte or two changed.
            b = good.first(rng.bounded(good.size() + 1));
            for (int k = rng.bounded(3); k > 0 && !b.isEmpty(); --k)
                b[rng.bounded(b.size())] = char(rng.bounded(256));
        } else {
            b.resize(rng.bounded(14));
            for (char& c : b)
                c = char(rng.bounded(256));
        }
        const PollReply r = PollReply::decode(b, 12);
        if (r.anyOpen() && (b.size() < 2 || quint8(b[0]) != 12))
            QFAIL("an open lock from a reply that is not the polled controller's");
        const std::optional<PassRecord> p = PassRecord::decode(b, 12);
        const bool whole = b.size() == 9 && quint8(b[0]) == 12 && quint8(b[2]) == 4;
        if (p.has_value() != whole)
            QFAIL(qPrintable(QStringLiteral("wrong verdict on %1").arg(QString::fromLatin1(b.toHex()))));
        if (p) {
            ++passes;
            if (p->physical.size() != 10 || p->channel != quint8(b[8]))
                QFAIL("pass fields not taken from their bytes");
        }
    }
    // The mutated good records must have produced passes, or the loop
    // tested only rejections.
    QVERIFY(passes > 1000);
}

QTEST_GUILESS_MAIN(TestPoll)
#include "tst_poll.moc"
