// The parts of the controller subsystem that do not talk to the line:
// delay units, status decoding and the status file, the frames, and the
// doors table.

#include "support/Controls.h"
#include "db/DoorAddresses.h"
#include "doors/ControllerFrames.h"
#include "doors/ControllerStatus.h"
#include "doors/DoorsTable.h"
#include "doors/LockKind.h"
#include "db/ProgramFolder.h"
#include "support/TestHome.h"

#include <QDir>
#include <QFile>
#include <QLocale>
#include <QtTest>

namespace {


// The reply the status line format is defined by: 1234 records, lock bytes
// 7 and 70, 2004-12-07 10:23:45, weekday 2, version 2.10.
QByteArray exampleReply()
{
    return hex("0504D2074604120710234502021000");
}

QByteArray fileContent(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

LockEntry lock(bool ticked, const QString& name, const QString& delay, LockKind kind = LockKind::Glass)
{
    return {ticked, name, delay, kind};
}

}  // namespace

class ServicesTest : public QObject {
    Q_OBJECT
private slots:
    void delayCounts_data();
    void delayCounts();
    void delayChecksFollowTheKind();
    void statusReplyDecodes();
    void statusLineHasOneFormatWhateverTheLocale();
    void statusLineOfOddBytes();
    void statusFileRoundTrip();
    void statusFileReaderRefusesShortLines();
    void statusLinesOfBothWindows();
    void frames();
    void setDateFrames_data();
    void setDateFrames();
    void rowFromEntriesFollowsTicks();
    void addFindModifyRemove();
    void modifyKeepsDoorNameAndCards();
    void removeTakesCardsTogether();
    void valuesAreBound();
};

void ServicesTest::delayCounts_data()
{
    QTest::addColumn<double>("seconds");
    QTest::addColumn<int>("count");  // -1: refused
    QTest::newRow("0") << 0.0 << 0;
    QTest::newRow("0.5") << 0.5 << 7;
    QTest::newRow("0.75 half to even") << 0.75 << 10;
    QTest::newRow("1.25 half to even") << 1.25 << 18;
    QTest::newRow("5") << 5.0 << 70;
    QTest::newRow("18.2") << 18.2 << 255;
    QTest::newRow("18.24") << 18.24 << 255;
    QTest::newRow("18.25 rounds to 256") << 18.25 << -1;
    QTest::newRow("25") << 25.0 << -1;
    QTest::newRow("negative") << -0.5 << -1;
}

void ServicesTest::delayCounts()
{
    QFETCH(double, seconds);
    QFETCH(int, count);
    const std::optional<quint8> c = DelayUnits::toCount(seconds);
    if (count < 0)
        QVERIFY(!c);
    else
        QCOMPARE(int(c.value()), count);
}

void ServicesTest::delayChecksFollowTheKind()
{
    QCOMPARE(checkDelay(LockKind::Iron, QStringLiteral("2")), DelayCheck::InRange);
    QCOMPARE(checkDelay(LockKind::Iron, QStringLiteral("2.1")), DelayCheck::OutOfRange);
    QCOMPARE(checkDelay(LockKind::Glass, QStringLiteral("25")), DelayCheck::InRange);
    QCOMPARE(checkDelay(LockKind::Wood, QStringLiteral("25.5")), DelayCheck::OutOfRange);
    QCOMPARE(checkDelay(LockKind::Wood, QStringLiteral("  ")), DelayCheck::Empty);
    // The leading number counts: "1.5.3" is 1.5, "." is 0.
    QCOMPARE(delayValue(QStringLiteral("1.5.3")), 1.5);
    QCOMPARE(delayValue(QStringLiteral(".")), 0.0);
    QCOMPARE(checkDelay(LockKind::Iron, QStringLiteral("1.5.3")), DelayCheck::InRange);
    QCOMPARE(LockKinds::defaultDelay(LockKind::Iron), QStringLiteral("0.5"));
    QCOMPARE(LockKinds::defaultDelay(LockKind::Wood), QStringLiteral("5"));
    QCOMPARE(LockKinds::fromCharacter(QStringLiteral("铁")), std::optional<LockKind>(LockKind::Iron));
    QVERIFY(!LockKinds::fromCharacter(QString()));
}

void ServicesTest::statusReplyDecodes()
{
    const std::optional<StatusReply> s = StatusReply::decode(exampleReply());
    QVERIFY(s);
    QCOMPARE(s->address, quint8(5));
    QCOMPARE(s->recordCount, quint16(1234));
    QCOMPARE(s->lock1Seconds(), 0.5);
    QCOMPARE(s->lock2Seconds(), 5.0);
    QCOMPARE(s->date, QDate(2004, 12, 7));
    QCOMPARE(s->time, QTime(10, 23, 45));
    QCOMPARE(s->weekday, 2);
    QCOMPARE(s->version, QStringLiteral("2.10"));
    QVERIFY(!StatusReply::decode(exampleReply().left(14)));

    QByteArray b = exampleReply();
    b[1] = char(0xFF);
    b[2] = char(0xFF);
    b[12] = 0x02;
    b[13] = 0x10;
    b[14] = 0x05;
    QCOMPARE(StatusReply::decode(b)->recordCount, quint16(65535));
    QCOMPARE(StatusReply::decode(b)->version, QStringLiteral("2.105"));
    b[1] = 0x01;
    b[2] = 0x00;
    b[12] = 0x01;
    b[13] = 0x05;
    b[14] = 0x00;
    QCOMPARE(StatusReply::decode(b)->recordCount, quint16(256));
    QCOMPARE(StatusReply::decode(b)->version, QStringLiteral("1.5"));
    b[13] = 0x00;
    QCOMPARE(StatusReply::decode(b)->version, QStringLiteral("1.0"));
    // Two-digit years: 29 is 2029, 30 is 2030.
    b[5] = 0x29;
    QCOMPARE(StatusReply::decode(b)->date.year(), 2029);
    b[5] = 0x30;
    QCOMPARE(StatusReply::decode(b)->date.year(), 2030);
}

void ServicesTest::statusLineHasOneFormatWhateverTheLocale()
{
    const QLocale saved;
    for (const char* name : {"C", "de_DE", "zh_CN", "fr_FR"}) {
        QLocale::setDefault(QLocale(QLatin1String(name)));
        QCOMPARE(SysInf::line(*StatusReply::decode(exampleReply())),
                 QByteArray(" 1234 , .5 , 5 ,2004-12-7,10:23:45, 2 ,2.10\r\n"));
    }
    QLocale::setDefault(saved);
}

void ServicesTest::statusLineOfOddBytes()
{
    QByteArray b = exampleReply();
    b[3] = char(100);
    b[4] = char(0);
    QStringList items = SysInf::items(*StatusReply::decode(b));
    QCOMPARE(items.at(1), QStringLiteral(" 7.14285714285714 "));
    QCOMPARE(items.at(2), QStringLiteral(" 0 "));
    b[3] = char(255);
    QCOMPARE(SysInf::items(*StatusReply::decode(b)).at(1), QStringLiteral(" 18.2142857142857 "));

    // No calendar date: the date item is empty. No time of day: midnight.
    b[6] = 0x13;
    b[8] = 0x25;
    items = SysInf::items(*StatusReply::decode(b));
    QCOMPARE(items.at(3), QString());
    QCOMPARE(items.at(4), QStringLiteral("0:00:00"));
    // A byte that is not BCD still decodes: 0x1A is 20.
    b[11] = 0x1A;
    QCOMPARE(SysInf::items(*StatusReply::decode(b)).at(5), QStringLiteral(" 20 "));
    QCOMPARE(SysInf::number(-0.5), QStringLiteral("-.5 "));
    QCOMPARE(SysInf::number(65535), QStringLiteral(" 65535 "));
}

void ServicesTest::statusFileRoundTrip()
{
    TestHome home;
    // The file the old program left in lower case is the one replaced.
    {
        QFile old(home.file(QStringLiteral("sysinf.ini")));
        QVERIFY(old.open(QIODevice::WriteOnly));
        old.write("old\r\n");
    }
    QVERIFY(SysInf::write(*StatusReply::decode(exampleReply())));
    QCOMPARE(QDir(home.path()).entryList({QStringLiteral("*.ini")}, QDir::Files, QDir::Name | QDir::IgnoreCase),
             QStringList{QStringLiteral("sysinf.ini")});
    QCOMPARE(fileContent(home.file(QStringLiteral("sysinf.ini"))),
             QByteArray(" 1234 , .5 , 5 ,2004-12-7,10:23:45, 2 ,2.10\r\n"));
    const std::optional<QStringList> items = SysInf::read();
    QVERIFY(items);
    QCOMPARE(*items, (QStringList{QStringLiteral(" 1234 "), QStringLiteral(" .5 "), QStringLiteral(" 5 "),
                                  QStringLiteral("2004-12-7"), QStringLiteral("10:23:45"), QStringLiteral(" 2 "),
                                  QStringLiteral("2.10")}));
}

void ServicesTest::statusFileReaderRefusesShortLines()
{
    QVERIFY(!SysInf::parse("1,2,3,4,5\r\n"));
    QVERIFY(!SysInf::parse(""));
    // The seventh item takes everything after the sixth comma.
    QCOMPARE(SysInf::parse("a,b,c,d,e,f,g,h\r\n")->at(6), QStringLiteral("g,h"));
    TestHome home;
    QVERIFY(!SysInf::read());
}

void ServicesTest::statusLinesOfBothWindows()
{
    const QStringList items = SysInf::items(*StatusReply::decode(exampleReply()));
    QCOMPARE(SysInf::lockWindowLines(QStringLiteral("5 "), items),
             (QStringList{QStringLiteral(" 地  址:5 "), QStringLiteral(" 打卡记录数: 1234 "),
                          QStringLiteral(" 锁一延时: .5 秒"), QStringLiteral(" 锁二延时: 5 秒"),
                          QStringLiteral(" 日期:2004-12-7"), QStringLiteral(" 时间:10:23:45"),
                          QStringLiteral(" 星期:Tuesday"), QStringLiteral(" 版本号:2.10")}));
    QCOMPARE(SysInf::hardwareWindowLines(5, items),
             (QStringList{QStringLiteral(" 地址：  5"), QStringLiteral(" 打卡记录数： 1234 "),
                          QStringLiteral(" 锁一延时： .5 "), QStringLiteral(" 锁二延时： 5 "),
                          QStringLiteral(" 日    期：2004-12-7"), QStringLiteral(" 时    间：10:23:45"),
                          QStringLiteral(" 星    期：Tuesday"), QStringLiteral(" 版 本 号：2.10")}));

    // The two windows count weekdays differently.
    QStringList w = items;
    w[5] = QStringLiteral(" 0 ");
    QCOMPARE(SysInf::lockWindowLines({}, w).at(6), QStringLiteral(" 星期:Sunday"));
    QCOMPARE(SysInf::hardwareWindowLines(1, w).at(6), QStringLiteral(" 星    期： 0 "));
    w[5] = QStringLiteral(" 7 ");
    QCOMPARE(SysInf::lockWindowLines({}, w).at(6), QStringLiteral(" 星期: 7 "));
    QCOMPARE(SysInf::hardwareWindowLines(1, w).at(6), QStringLiteral(" 星    期：Sunday"));
    w[5] = QStringLiteral(" 6 ");
    QCOMPARE(SysInf::lockWindowLines({}, w).at(6), QStringLiteral(" 星期:Saturday"));
    QCOMPARE(SysInf::hardwareWindowLines(1, w).at(6), QStringLiteral(" 星    期：Saturday"));
}

void ServicesTest::frames()
{
    QCOMPARE(ControllerFrames::statusQuery(0x63), hex("630204"));
    QCOMPARE(ControllerFrames::clearRecords(0), hex("000206"));
    QCOMPARE(ControllerFrames::clearLists(0), hex("00020C"));
    QCOMPARE(ControllerFrames::clearRecords(99), hex("630206"));
    QCOMPARE(ControllerFrames::clearLists(99), hex("63020C"));
    QCOMPARE(ControllerFrames::setLockDelay(5, 1, 7), hex("05050E070000"));
    QCOMPARE(ControllerFrames::setLockDelay(5, 2, 255), hex("05051EFF0000"));
    QCOMPARE(ControllerFrames::setLockDelay(5, 0, 10), hex("05051E0A0000"));
    QCOMPARE(ControllerFrames::openLock(0, 1), hex("000210"));
    QCOMPARE(ControllerFrames::openLock(7, 2), hex("070220"));
}

void ServicesTest::setDateFrames_data()
{
    QTest::addColumn<QDate>("date");
    QTest::addColumn<QByteArray>("frame");
    QTest::newRow("Tuesday 2004-12-07") << QDate(2004, 12, 7) << hex("010509045207");
    QTest::newRow("Sunday 2004-12-05") << QDate(2004, 12, 5) << hex("010509041205");
    QTest::newRow("Saturday 2010-01-02") << QDate(2010, 1, 2) << hex("01050910C102");
    QTest::newRow("Thursday 2099-12-31") << QDate(2099, 12, 31) << hex("0105099992" "31");
}

void ServicesTest::setDateFrames()
{
    QFETCH(QDate, date);
    QFETCH(QByteArray, frame);
    QCOMPARE(ControllerFrames::setDate(1, date).value_or(QByteArray()), frame);
}

void ServicesTest::rowFromEntriesFollowsTicks()
{
    DoorRow r = DoorsTable::rowFromEntries(3, lock(true, QStringLiteral(" 前门 "), QStringLiteral(" 1.5 "), LockKind::Iron),
                                           lock(true, QStringLiteral("后门"), QStringLiteral("5"), LockKind::Wood));
    QCOMPARE(r.lock[0], (LockColumns{QStringLiteral("前门"), 1.5, QStringLiteral("铁")}));
    QCOMPARE(r.lock[1], (LockColumns{QStringLiteral("后门"), 5.0, QStringLiteral("木")}));

    r = DoorsTable::rowFromEntries(3, lock(true, QStringLiteral("a"), QStringLiteral("5")),
                                   lock(false, QStringLiteral("b"), QStringLiteral("7")));
    QCOMPARE(r.lock[0], (LockColumns{QStringLiteral("a"), 5.0, QStringLiteral("玻")}));
    QVERIFY(!r.lock[1].exists());
    QVERIFY(r.lock[1].name.isNull() && r.lock[1].delay.isNull());

    r = DoorsTable::rowFromEntries(3, lock(false, QStringLiteral("a"), QStringLiteral("5")),
                                   lock(true, QStringLiteral("b"), QStringLiteral("7"), LockKind::Iron));
    QVERIFY(!r.lock[0].exists() && r.lock[0].name.isNull() && r.lock[0].delay.isNull());
    QCOMPARE(r.lock[1], (LockColumns{QStringLiteral("b"), 7.0, QStringLiteral("铁")}));

    // Neither ticked: lock 1 as typed with the empty kind; an empty delay is Null.
    r = DoorsTable::rowFromEntries(3, lock(false, QStringLiteral("a"), QString(), LockKind::Iron),
                                   lock(false, QStringLiteral("b"), QStringLiteral("7")));
    QVERIFY(r.lock[0].exists());
    QCOMPARE(r.lock[0].kind.toString(), QString());
    QCOMPARE(r.lock[0].name.toString(), QStringLiteral("a"));
    QVERIFY(r.lock[0].delay.isNull());
    QVERIFY(!r.lock[1].exists());
}

void ServicesTest::addFindModifyRemove()
{
    TestHome home;
    const DoorRow row = DoorsTable::rowFromEntries(
        7, lock(true, QStringLiteral("东门"), QStringLiteral("0.5"), LockKind::Iron), lock(false, {}, {}));
    QCOMPARE(DoorsTable::add(home.db(), row).outcome, DoorsTable::Outcome::Done);
    QCOMPARE(DoorsTable::add(home.db(), row).outcome, DoorsTable::Outcome::Duplicate);
    QCOMPARE(home.scalar(QStringLiteral("SELECT COUNT(*) FROM doors")).toInt(), 1);
    QCOMPARE(home.scalar(QStringLiteral("SELECT typeof(delay1) FROM doors")).toString(), QStringLiteral("real"));
    QCOMPARE(home.scalar(QStringLiteral("SELECT delay2 IS NULL AND namedr2 IS NULL AND dtype2 IS NULL FROM doors"))
                 .toInt(),
             1);

    std::optional<DoorRow> found = DoorsTable::find(home.db(), 7);
    QVERIFY(found);
    QCOMPARE(found->lock[0].delay.toDouble(), 0.5);
    QCOMPARE(found->lock[0].kind.toString(), QStringLiteral("铁"));
    QVERIFY(!found->lock[1].exists());
    QVERIFY(!DoorsTable::find(home.db(), 8));

    const DoorRow other = DoorsTable::rowFromEntries(8, lock(true, {}, QStringLiteral("5")), lock(true, {}, QStringLiteral("5")));
    QCOMPARE(DoorsTable::modify(home.db(), other).outcome, DoorsTable::Outcome::NotFound);
    QCOMPARE(DoorsTable::add(home.db(), other).outcome, DoorsTable::Outcome::Done);
    QCOMPARE(DoorAddresses::list(home.db()), (QList<int>{7, 8}));

    QVERIFY(DoorsTable::setDelay(home.db(), 8, 2, 1.25).ok());
    QCOMPARE(DoorsTable::find(home.db(), 8)->lock[1].delay.toDouble(), 1.25);
    QCOMPARE(DoorsTable::find(home.db(), 8)->lock[0].delay.toDouble(), 5.0);
}

void ServicesTest::modifyKeepsDoorNameAndCards()
{
    TestHome home;
    home.exec(QStringLiteral("INSERT INTO doors (地址, namedr1, delay1, dtype1, namedr2, delay2, dtype2, 门号) "
                             "VALUES (4, 'x', 3, '木', 'y', 4, '玻', '大门')"));
    home.exec(QStringLiteral("INSERT INTO faka (地址, 卡号) VALUES (4, '000001')"));
    const DoorRow row = DoorsTable::rowFromEntries(4, lock(false, QStringLiteral("新"), QStringLiteral("2")),
                                                   lock(true, QStringLiteral("后"), QStringLiteral("1"), LockKind::Iron));
    QVERIFY(DoorsTable::modify(home.db(), row).ok());
    const std::optional<DoorRow> found = DoorsTable::find(home.db(), 4);
    QVERIFY(found);
    QVERIFY(!found->lock[0].exists());
    QVERIFY(found->lock[0].name.isNull());
    QVERIFY(found->lock[0].delay.isNull());
    QCOMPARE(found->lock[1], (LockColumns{QStringLiteral("后"), 1.0, QStringLiteral("铁")}));
    QCOMPARE(found->doorName.toString(), QStringLiteral("大门"));
    QCOMPARE(home.scalar(QStringLiteral("SELECT COUNT(*) FROM faka")).toInt(), 1);
}

void ServicesTest::removeTakesCardsTogether()
{
    TestHome home;
    home.exec(QStringLiteral("INSERT INTO doors (地址, dtype1) VALUES (4, '玻')"));
    home.exec(QStringLiteral("INSERT INTO doors (地址, dtype1) VALUES (5, '玻')"));
    for (const char* card : {"000001", "000002"}) {
        home.exec(QStringLiteral("INSERT INTO faka (地址, 卡号) VALUES (4, ?)"), {QString::fromLatin1(card)});
        home.exec(QStringLiteral("INSERT INTO faka (地址, 卡号) VALUES (5, ?)"), {QString::fromLatin1(card)});
    }
    QVERIFY(DoorsTable::remove(home.db(), 4).ok());
    QCOMPARE(DoorAddresses::list(home.db()), QList<int>{5});
    QCOMPARE(home.scalar(QStringLiteral("SELECT COUNT(*) FROM faka WHERE 地址 = 4")).toInt(), 0);
    QCOMPARE(home.scalar(QStringLiteral("SELECT COUNT(*) FROM faka WHERE 地址 = 5")).toInt(), 2);

    // When the cards cannot go, the controller stays too.
    home.exec(QStringLiteral("CREATE TRIGGER keep BEFORE DELETE ON faka BEGIN SELECT RAISE(ABORT, 'kept'); END"));
    const DoorsTable::Result r = DoorsTable::remove(home.db(), 5);
    QCOMPARE(r.outcome, DoorsTable::Outcome::Failed);
    QVERIFY(r.error.contains(QStringLiteral("kept")));
    QCOMPARE(DoorAddresses::list(home.db()), QList<int>{5});
}

void ServicesTest::valuesAreBound()
{
    TestHome home;
    const QString sly = QStringLiteral("O'Brien'); DROP TABLE faka; --");
    QVERIFY(DoorsTable::add(home.db(), DoorsTable::rowFromEntries(1, lock(true, sly, QStringLiteral("5")),
                                                                  lock(true, sly, QStringLiteral("5"))))
                .ok());
    QCOMPARE(DoorsTable::find(home.db(), 1)->lock[1].name.toString(), sly);
    QCOMPARE(home.scalar(QStringLiteral("SELECT COUNT(*) FROM faka")).toInt(), 0);
}

QTEST_GUILESS_MAIN(ServicesTest)
#include "tst_services.moc"
