// The collection's services: decoding records with each collector's
// clamps, reading the answer stream, storing without duplicates, and the
// spool file's lines.

#include "db/Database.h"
#include "support/LineHome.h"
#include "records/RecordCollect.h"
#include "records/RecordImport.h"
#include "records/RecordStream.h"
#include "records/SpoolFile.h"

#include <QFile>
#include <QSqlQuery>
#include <QTest>

using namespace std::chrono_literals;

Q_DECLARE_METATYPE(ClampRule)

namespace {

CollectedRecord record(const QString& card, const QDate& d, const QTime& t, int address, int flag)
{
    CollectedRecord r;
    r.card = card;
    r.date = d;
    r.time = t;
    r.address = address;
    r.flag = static_cast<qint16>(flag);
    return r;
}

int rows(const TestHome& h)
{
    return h.scalar(QStringLiteral("SELECT count(*) FROM data")).toInt();
}

}  // namespace

class TestCollect : public QObject {
    Q_OBJECT
private slots:
    void decode_data();
    void decode();
    void streamTakesOnlyItsAnswer_data();
    void streamTakesOnlyItsAnswer();
    void brokenRecordEndsTheExchange();
    void timedWaitScalesWithTheCount_data();
    void timedWaitScalesWithTheCount();
    void duplicatesNeedTheSameController();
    void duplicateTestUsesTheIndex();
    void spoolLine();
    void spoolParse_data();
    void spoolParse();
    void spoolImportKeepsTheFileOnFailure();
};

void TestCollect::decode_data()
{
    // The ordinary clamps and the year rule are exercised end to end by
    // the window tests; here what only the decoder sees.
    QTest::addColumn<ClampRule>("rule");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("card");
    QTest::addColumn<QDate>("date");
    QTest::addColumn<QTime>("time");
    QTest::addColumn<bool>("mended");
    const auto H = ClampRule::ByHand;
    const auto T = ClampRule::Timed;
    // card(3) yy mm dd hh mi channel unused
    QTest::newRow("plain") << H << hex("12345604120508050100") << "123456" << QDate(2004, 12, 5) << QTime(8, 5) << false;
    QTest::newRow("year 00") << H << hex("00000100120508050100") << "000001" << QDate(2000, 12, 5) << QTime(8, 5) << false;
    QTest::newRow("year 99") << T << hex("00000199120508050100") << "000001" << QDate(2099, 12, 5) << QTime(8, 5) << false;
    QTest::newRow("hand 30 February, leap") << H << hex("00000104023008050100") << "000001" << QDate(2004, 2, 29) << QTime(8, 5) << true;
    QTest::newRow("hand 31 April") << H << hex("00000105043108050100") << "000001" << QDate(2005, 4, 30) << QTime(8, 5) << true;
    QTest::newRow("timed 30 February") << T << hex("00000105023008050100") << "000001" << QDate(2005, 2, 28) << QTime(8, 5) << true;
    QTest::newRow("timed month 13, day kept out") << T << hex("00000104133208050100") << "000001" << QDate(1999, 1, 1) << QTime(8, 5) << false;
    QTest::newRow("timed minute 60 zeroes the hour") << T << hex("00000104120508600100") << "000001" << QDate(2004, 12, 5) << QTime(0, 0) << false;
    // Half-bytes above 9 are read as the old program read them.
    QTest::newRow("card 0x1A") << H << hex("1A000104120508050100") << "200001" << QDate(2004, 12, 5) << QTime(8, 5) << false;
    // Not a moved day: the note of moved days does not count it.
    QTest::newRow("year 0xA4") << H << hex("000001A4120508050100") << "000001" << QDate(2004, 12, 5) << QTime(8, 5) << false;
}

void TestCollect::decode()
{
    QFETCH(ClampRule, rule);
    QFETCH(QByteArray, bytes);
    const CollectedRecord r = AccessRecord::decode(bytes, 9, rule);
    QTEST(r.card, "card");
    QTEST(r.date, "date");
    QTEST(r.time, "time");
    QTEST(r.mended, "mended");
    QCOMPARE(r.yearGuessed, QByteArray(QTest::currentDataTag()).startsWith("year 0x"));
    QCOMPARE(r.address, 9);
    QCOMPARE(r.flag, qint16(static_cast<quint8>(bytes.at(8))));
}

void TestCollect::streamTakesOnlyItsAnswer_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("phase");
    QTest::addColumn<int>("records");
    QTest::addColumn<int>("taken");
    const QByteArray rec = hex("12345604120508050100");
    using P = RecordStream::Phase;
    QTest::newRow("no records, then stray") << hex("070000ff") << int(P::Done) << 0 << 3;
    QTest::newRow("two records and more") << hex("070002") + hex("07") + rec + hex("07") + rec + hex("0707") << int(P::Done) << 2 << 25;
    QTest::newRow("wrong byte before record 2") << hex("070003") + hex("07") + rec + hex("06") + rec << int(P::WrongRecordEcho) << 1 << 15;
    QTest::newRow("cut inside a record") << hex("070002") + hex("07") + rec + hex("07") + rec.left(9) << int(P::RecordBody) << 1 << 24;
    // The count is unsigned: 0x8001 is 32769 records, not a negative number.
    QTest::newRow("count above 32767") << hex("078001") + hex("07") + rec << int(P::RecordEcho) << 1 << 14;
}

void TestCollect::streamTakesOnlyItsAnswer()
{
    QFETCH(QByteArray, bytes);
    // Whole, and byte by byte: the same outcome.
    for (bool inChunks : {false, true}) {
        RecordStream s(7, ClampRule::ByHand);
        qsizetype taken = 0;
        if (inChunks) {
            for (char c : bytes)
                taken += s.feed(QByteArrayView(&c, 1));
        } else {
            taken = s.feed(bytes);
        }
        QTEST(int(s.phase()), "phase");
        QTEST(int(s.records().size()), "records");
        QTEST(int(taken), "taken");
    }
}

void TestCollect::brokenRecordEndsTheExchange()
{
    // The rest of the record never comes: only silence ends the wait.
    const LineWaitScope waits = LineWaitScope::shortWaits();
    TestHome home;
    RawPeer peer;
    QVERIFY(peer.start(home.path(), 2));
    // Two announced; the second stops after four of its bytes.
    peer.answer = hex("050002" "05" "12345604120508050100" "05" "12345604");
    LineParams p;
    p.portNo = 2;
    p.programFolder = home.path();
    LinePort port;
    QVERIFY(port.open(p).ok());
    const CollectResult r = CollectRecords(port, 5, CollectPlan::byHand());
    QCOMPARE(r.end, CollectEnd::RecordIncomplete);
    QCOMPARE(r.announced, quint16(2));
    QCOMPARE(r.records.size(), 1);
    QCOMPARE(r.records.first().card, QStringLiteral("123456"));
    QCOMPARE(peer.received, QList<QByteArray>{hex("050211")});
}

void TestCollect::timedWaitScalesWithTheCount_data()
{
    QTest::addColumn<QString>("settings");
    QTest::addColumn<int>("count");
    QTest::addColumn<int>("ms");
    QTest::newRow("none") << "9600,n,8,1" << 0 << 2000;
    // 500 × 11 bytes × 10 bits at 9600 baud: 5730 ms on the line.
    QTest::newRow("500 at 9600") << "9600,n,8,1" << 500 << 2000 + 2 * 5730;
    QTest::newRow("65535 at 19200") << "19200,n,8,1" << 65535 << 2000 + 2 * 375461;
}

void TestCollect::timedWaitScalesWithTheCount()
{
    QFETCH(QString, settings);
    QFETCH(int, count);
    const CollectPlan plan = CollectPlan::timed(settings);
    QVERIFY(plan.allRecords);
    QCOMPARE(plan.clamps, ClampRule::Timed);
    QTEST(int(plan.allRecords(static_cast<quint16>(count)).count()), "ms");
}

void TestCollect::duplicatesNeedTheSameController()
{
    TestHome h;
    const CollectedRecord a = record(QStringLiteral("000001"), QDate(2004, 12, 5), QTime(8, 5), 1, 1);
    CollectedRecord elsewhere = a;
    elsewhere.address = 2;
    CollectedRecord otherChannel = a;
    otherChannel.flag = 5;
    RecordImport::Result r = RecordImport::store(h.db(), {a, a, elsewhere, otherChannel});
    QVERIFY(r.ok);
    QCOMPARE(r.stored, 3);
    QCOMPARE(r.duplicates, 1);
    r = RecordImport::store(h.db(), {a, elsewhere});
    QCOMPARE(r.stored, 0);
    QCOMPARE(r.duplicates, 2);
    QCOMPARE(r.present(), 2);
    QCOMPARE(rows(h), 3);
}

void TestCollect::duplicateTestUsesTheIndex()
{
    TestHome h;
    // A database from before the index was made gets it when it is opened.
    h.exec(QStringLiteral("DROP INDEX data_pass"));
    h.exec(QStringLiteral("PRAGMA user_version = 0"));
    Database::closeShared();
    QVERIFY(Database::openShared().ok());
    QSqlQuery q(h.db());
    QVERIFY(q.exec(QStringLiteral("EXPLAIN QUERY PLAN SELECT 1 FROM data WHERE 卡号 = '1' AND 日期 = '2' AND 时间 = '3' "
                                  "AND flag = 4 AND 地址 = 5")));
    QString plan;
    while (q.next())
        plan += q.value(3).toString();
    QVERIFY2(plan.contains(QStringLiteral("data_pass")), qPrintable(plan));
}

void TestCollect::spoolLine()
{
    const CollectedRecord r = record(QStringLiteral("123456"), QDate(2004, 12, 5), QTime(8, 5), 1, 1);
    const QByteArray line = SpoolFile::line(r);
    QCOMPARE(line, QByteArray("\"123456    \",#2004-12-05#,#08:05:00#,\"1     \",1\r\n"));
    const CollectedRecord wide = record(QStringLiteral("200001"), QDate(1999, 1, 1), QTime(0, 0), 99, 255);
    const SpoolFile::Parsed p = SpoolFile::parse(line + SpoolFile::line(wide));
    QCOMPARE(p.records, (QList<CollectedRecord>{r, wide}));
    QVERIFY(p.damaged.isEmpty());
}

void TestCollect::spoolParse_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<int>("records");
    QTest::addColumn<QList<QByteArray>>("damaged");
    const QByteArray good = "\"123456    \",#2004-12-05#,#08:05:00#,\"1     \",1";
    QTest::newRow("cut last line") << good + "\r\n" + good.left(20) << 1 << QList<QByteArray>{good.left(20)};
    QTest::newRow("30 February") << QByteArray("\"123456    \",#2004-02-30#,#08:05:00#,\"1     \",1\r\n") << 0
                                 << QList<QByteArray>{"\"123456    \",#2004-02-30#,#08:05:00#,\"1     \",1"};
    QTest::newRow("short address field") << QByteArray("\"123456    \",#2004-12-05#,#08:05:00#,\"1    \",1\r\n") << 0
                                         << QList<QByteArray>{"\"123456    \",#2004-12-05#,#08:05:00#,\"1    \",1"};
}

void TestCollect::spoolParse()
{
    QFETCH(QByteArray, content);
    const SpoolFile::Parsed p = SpoolFile::parse(content);
    QTEST(int(p.records.size()), "records");
    QTEST(p.damaged, "damaged");
}

void TestCollect::spoolImportKeepsTheFileOnFailure()
{
    TestHome h;
    const QString spool = SpoolFile::path(h.path());
    const CollectedRecord a = record(QStringLiteral("000001"), QDate(2004, 12, 5), QTime(8, 5), 1, 1);
    const CollectedRecord b = record(QStringLiteral("000002"), QDate(2004, 12, 5), QTime(8, 6), 1, 2);
    QVERIFY(SpoolFile::append(spool, {a}));
    {
        QFile f(spool);
        QVERIFY(f.open(QIODevice::Append));
        f.write("\"0000");
        f.write("\r\n");
    }
    QVERIFY(SpoolFile::append(spool, {b}));
    QFile f(spool);
    QVERIFY(f.open(QIODevice::ReadOnly));
    const QByteArray before = f.readAll();
    f.close();

    h.exec(QStringLiteral("ALTER TABLE data RENAME TO data_away"));
    SpoolFile::ImportOutcome o = SpoolFile::ImportRecords(h.db(), h.path());
    QCOMPARE(o.status, SpoolFile::ImportOutcome::Status::StoreFailed);
    QVERIFY(f.open(QIODevice::ReadOnly));
    QCOMPARE(f.readAll(), before);
    f.close();
    QVERIFY(!QFile::exists(SpoolFile::rejectPath(h.path())));

    h.exec(QStringLiteral("ALTER TABLE data_away RENAME TO data"));
    o = SpoolFile::ImportRecords(h.db(), h.path());
    QCOMPARE(o.status, SpoolFile::ImportOutcome::Status::Imported);
    QCOMPARE(o.lines, 2);
    QCOMPARE(o.damaged, 1);
    QCOMPARE(rows(h), 2);
    QVERIFY(!QFile::exists(spool));
    QFile rej(SpoolFile::rejectPath(h.path()));
    QVERIFY(rej.open(QIODevice::ReadOnly));
    QCOMPARE(rej.readAll(), QByteArray("\"0000\r\n"));
    QCOMPARE(SpoolFile::ImportRecords(h.db(), h.path()).status, SpoolFile::ImportOutcome::Status::NoFile);
}

QTEST_MAIN(TestCollect)
#include "tst_collect.moc"
