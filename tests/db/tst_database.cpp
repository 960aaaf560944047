#include "session/Session.h"
#include "db/Database.h"
#include "db/DateText.h"
#include "db/EditableGridModel.h"
#include "db/Password.h"
#include "db/ProgramFolder.h"
#include "db/Schema.h"
#include "support/DigestCostScope.h"
#include "support/LockWaitScope.h"
#include "support/TestHome.h"

#include "admin/BackupRestore.h"

#include <QCryptographicHash>
#include <QRegularExpression>
#include <QFile>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QTemporaryDir>
#include <QtTest>

#include <argon2.h>
#include <sys/stat.h>

namespace {

QByteArray fileHash(const QString& path)
{
    QFile f(path);
    f.open(QIODevice::ReadOnly);
    return QCryptographicHash::hash(f.readAll(), QCryptographicHash::Sha256);
}

bool tryExec(QSqlDatabase db, const QString& sql, const QVariantList& values = {})
{
    QSqlQuery q(db);
    q.prepare(sql);
    for (const QVariant& v : values)
        q.addBindValue(v);
    return q.exec();
}

}  // namespace

class DatabaseTest : public QObject {
    Q_OBJECT
private slots:
    void deliveredSystemRows();
    void deliveredOperator();
    void fakaplJoinsHolders();
    void duplicateKeysRefused();
    void namesResolveWithoutCase();
    void firstStartCreatesDatabase();
    void foreignFileIsLeftUntouched();
    void eachFailureHasItsOwnWords_data();
    void eachFailureHasItsOwnWords();
    void missingSystemRowsTakeDefaults();
    void passwordDigest();
    void passwordMatching_data();
    void passwordMatching();
    void olderDigestsNeedUpgrade();
    void programFolderAndCopiesAreForTheOwnerOnly();
    void dateText();
    void compactionKeepsEveryRow();
    void aLinkedDatabaseStaysWhereItPoints();
    void failedCompactionLeavesDatabaseWhole();
    void staleLogsNeverPairWithNewFile();
    void compactionRefusedWhileAnotherConnectionHoldsTheFile();
    void newDatabaseIgnoresLogsLeftBehind();
    void longStepsReportTheirProgress_data();
    void longStepsReportTheirProgress();
    void everyConnectionTakesTheProgramsSettings();
};

void DatabaseTest::deliveredSystemRows()
{
    TestHome home;
    QCOMPARE(home.scalar(QStringLiteral("SELECT count(*) FROM system")).toInt(), 5);
    QSqlQuery q(home.db());
    q.exec(QStringLiteral("SELECT name, zhi, detail, dw FROM system ORDER BY rowid"));
    QStringList rows;
    while (q.next())
        rows << QStringLiteral("%1|%2|%3|%4").arg(q.value(0).toString(), q.value(1).toString(),
                                                  q.value(2).toString(), q.value(3).toString());
    QCOMPARE(rows, QStringList({QStringLiteral("串口号|1||"), QStringLiteral("通讯设置|0|9600,n,8,1|"),
                                QStringLiteral("输入缓冲区|2048||字节"), QStringLiteral("输出缓冲区|512||字符"),
                                QStringLiteral("发卡机|1||")}));
    // Every other table starts empty.
    for (const QString& t : Schema::requiredObjects()) {
        if (t == QLatin1String("system") || t == QLatin1String("user"))
            continue;
        QCOMPARE(home.scalar(QStringLiteral("SELECT count(*) FROM \"%1\"").arg(t)).toInt(), 0);
    }
    QCOMPARE(Session::PortNo, qint16(1));
    QCOMPARE(Session::CommSettings, QStringLiteral("9600,n,8,1"));
    QCOMPARE(Session::InBufSize, qint16(2048));
    QCOMPARE(Session::OutBufSize, qint16(512));
    QCOMPARE(Session::ReaderAddress, qint16(1));
    QCOMPARE(Session::TitlePrefix, QString());
}

void DatabaseTest::deliveredOperator()
{
    TestHome home(TestHome::ProgramDigests);
    QSqlQuery q(home.db());
    QVERIFY(q.exec(QStringLiteral("SELECT * FROM user")));
    QVERIFY(q.next());
    const QSqlRecord rec = q.record();
    QCOMPARE(rec.count(), 32);
    QCOMPARE(q.value(0).toString(), QStringLiteral("quorvy"));
    // The password is not stored, only its digest.
    QVERIFY(q.value(1).toString().startsWith(QLatin1String("$argon2id$v=19$m=65536,t=3,p=1$")));
    QVERIFY(Password::matches(QStringLiteral("quorvy"), q.value(1).toString()));
    for (int i = 2; i < 32; ++i)
        QVERIFY2(DateText::toBool(q.value(i)), qPrintable(rec.fieldName(i)));
    QCOMPARE(rec.indexOf(QStringLiteral("usersetting")), 2);
    QCOMPARE(rec.indexOf(QStringLiteral("usermanage")), 3);
    for (int n = 0; n <= 27; ++n)
        QCOMPARE(rec.indexOf(QStringLiteral("r%1").arg(n)), Schema::rightPosition(n));
    QVERIFY(!q.next());
}

void DatabaseTest::fakaplJoinsHolders()
{
    TestHome home;
    home.exec(QStringLiteral("INSERT INTO people (卡号, 姓名, 部门) VALUES ('000123', '张三', '一号楼')"));
    for (int addr : {1, 2, 3})
        home.exec(QStringLiteral("INSERT INTO faka (地址, 卡号, 物理卡号, ctrl_state1, ctrl_state2) VALUES (?, ?, ?, 0, 0)"),
                  {addr, QStringLiteral("000123"), QStringLiteral("0001234567")});
    QCOMPARE(home.scalar(QStringLiteral("SELECT count(*) FROM fakapl WHERE 卡号 = '000123' AND 姓名 = '张三'")).toInt(), 3);
    QCOMPARE(home.scalar(QStringLiteral("SELECT count(*) FROM faka WHERE 地址 = 2 AND 卡号 = '000123'")).toInt(), 1);
    // A card whose holder row is missing still shows.
    home.exec(QStringLiteral("INSERT INTO faka (地址, 卡号) VALUES (5, '999999')"));
    QCOMPARE(home.scalar(QStringLiteral("SELECT count(*) FROM fakapl WHERE 卡号 = '999999' AND 姓名 IS NULL")).toInt(), 1);
    // The columns come in their fixed order.
    QSqlQuery q(home.db());
    q.exec(QStringLiteral("SELECT * FROM fakapl"));
    QStringList cols;
    for (int i = 0; i < q.record().count(); ++i)
        cols << q.record().fieldName(i);
    QCOMPARE(cols.join(QLatin1Char(',')),
             QStringLiteral("地址,卡号,开始日期,截止日期,开始星期,截止星期,开始时间,截止时间,物理卡号,ctrl_state1,"
                            "ctrl_state2,姓名,部门,职务,身份证号"));
}

void DatabaseTest::duplicateKeysRefused()
{
    TestHome home;
    QSqlDatabase db = home.db();
    QVERIFY(tryExec(db, QStringLiteral("INSERT INTO faka (地址, 卡号) VALUES (1, '000001')")));
    QVERIFY(!tryExec(db, QStringLiteral("INSERT INTO faka (地址, 卡号) VALUES (1, '000001')")));
    QVERIFY(tryExec(db, QStringLiteral("INSERT INTO faka (地址, 卡号) VALUES (2, '000001')")));
    QVERIFY(tryExec(db, QStringLiteral("INSERT INTO people (卡号) VALUES ('000001')")));
    QVERIFY(!tryExec(db, QStringLiteral("INSERT INTO people (卡号) VALUES ('000001')")));
    QVERIFY(tryExec(db, QStringLiteral("INSERT INTO datakq (卡号, 日期) VALUES ('000001', '2026-01-02')")));
    QVERIFY(!tryExec(db, QStringLiteral("INSERT INTO datakq (卡号, 日期) VALUES ('000001', '2026-01-02')")));
    QVERIFY(!tryExec(db, QStringLiteral("INSERT INTO user (sysname) VALUES ('QUORVY')")));
    QVERIFY(tryExec(db, QStringLiteral("INSERT INTO doors (地址) VALUES (7)")));
    QVERIFY(!tryExec(db, QStringLiteral("INSERT INTO doors (地址) VALUES (7)")));
}

void DatabaseTest::namesResolveWithoutCase()
{
    TestHome home;
    QSqlDatabase db = home.db();
    QVERIFY(tryExec(db, QStringLiteral("INSERT INTO Dfaka (地址, 卡号, 日期) VALUES (1, '000001', '2026-01-02')")));
    QCOMPARE(home.scalar(QStringLiteral("SELECT count(*) FROM dfaka")).toInt(), 1);
    QVERIFY(tryExec(db, QStringLiteral("INSERT INTO DATA (地址, 卡号, flagio) VALUES (1, '000001', '锁一进')")));
    QCOMPARE(home.scalar(QStringLiteral("SELECT flagIO FROM data")).toString(), QStringLiteral("锁一进"));
    QVERIFY(tryExec(db, QStringLiteral("INSERT INTO doors (地址, Delay1) VALUES (3, 0.5)")));
    QCOMPARE(home.scalar(QStringLiteral("SELECT delay1 FROM Doors")).toDouble(), 0.5);
    QCOMPARE(home.scalar(QStringLiteral("SELECT count(*) FROM fakaPl")).toInt(), 0);
    QCOMPARE(home.scalar(QStringLiteral("SELECT count(*) FROM DataPt")).toInt(), 0);
}

void DatabaseTest::firstStartCreatesDatabase()
{
    QTemporaryDir dir;
    ProgramFolder::set(dir.path());
    const Database::OpenResult r = Database::openShared();
    QCOMPARE(r.status, Database::OpenStatus::Created);
    QVERIFY(QFile::exists(dir.filePath(QStringLiteral("door.db"))));
    QVERIFY(!QFile::exists(dir.filePath(QStringLiteral("door.db.new"))));
    Database::closeShared();
    QCOMPARE(Database::openShared().status, Database::OpenStatus::Opened);
    Database::closeShared();
}

void DatabaseTest::foreignFileIsLeftUntouched()
{
    QTemporaryDir dir;
    ProgramFolder::set(dir.path());
    const QString file = dir.filePath(QStringLiteral("door.db"));

    // A file that is not a database at all.
    {
        QFile f(file);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(QByteArray("Standard Jet DB\0 this is an old Access file", 44));
    }
    const QByteArray before = fileHash(file);
    Database::OpenResult r = Database::openShared();
    QCOMPARE(r.status, Database::OpenStatus::NotDatabase);
    QVERIFY(!Database::sharedIsOpen());
    QCOMPARE(fileHash(file), before);
    QVERIFY(!QFile::exists(file + QStringLiteral("-wal")));

    // An SQLite database of another program.
    QFile::remove(file);
    {
        QSqlDatabase other = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("other"));
        other.setDatabaseName(file);
        QVERIFY(other.open());
        QVERIFY(tryExec(other, QStringLiteral("CREATE TABLE notes (t TEXT)")));
        other.close();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("other"));
    const QByteArray before2 = fileHash(file);
    r = Database::openShared();
    QCOMPARE(r.status, Database::OpenStatus::NotDoorDatabase);
    QCOMPARE(fileHash(file), before2);
    QVERIFY(!QFile::exists(file + QStringLiteral("-wal")));
}

Q_DECLARE_METATYPE(Database::OpenStatus)

enum class Fault { NotADatabase, OtherProgramsDatabase, Damaged, Locked, ReadOnly, Unreadable, Folder };
Q_DECLARE_METATYPE(Fault)

void DatabaseTest::eachFailureHasItsOwnWords_data()
{
    QTest::addColumn<Fault>("fault");
    QTest::addColumn<Database::OpenStatus>("status");
    QTest::addColumn<QString>("words");
    QTest::newRow("not a database") << Fault::NotADatabase << Database::OpenStatus::NotDatabase
                                    << QStringLiteral("不是数据库文件");
    QTest::newRow("another program's database") << Fault::OtherProgramsDatabase
                                                << Database::OpenStatus::NotDoorDatabase
                                                << QStringLiteral("不是门禁系统的数据库");
    QTest::newRow("damaged") << Fault::Damaged << Database::OpenStatus::Damaged << QStringLiteral("已损坏");
    QTest::newRow("locked by another program") << Fault::Locked << Database::OpenStatus::Locked
                                               << QStringLiteral("正被其他程序锁住");
    // Refused even where the account (root) could read or write it anyway.
    QTest::newRow("mode 0444") << Fault::ReadOnly << Database::OpenStatus::CannotWrite << QStringLiteral("不能写入");
    QTest::newRow("mode 0200") << Fault::Unreadable << Database::OpenStatus::CannotRead << QStringLiteral("不能读取");
    QTest::newRow("a folder") << Fault::Folder << Database::OpenStatus::NotAFile << QStringLiteral("是一个文件夹");
}

void DatabaseTest::eachFailureHasItsOwnWords()
{
    QFETCH(Fault, fault);
    QFETCH(Database::OpenStatus, status);
    QFETCH(QString, words);
    // The locked file is held for as long as the test runs: the refusal
    // comes as well after a short wait as after the program's.
    const LockWaitScope shortLockWaits;
    QTemporaryDir dir;
    ProgramFolder::set(dir.path());
    const QString file = Database::livePath();
    if (fault == Fault::NotADatabase) {
        QFile f(file);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(QByteArray(4096, 'x'));
    } else if (fault == Fault::Folder) {
        QVERIFY(QDir(dir.path()).mkdir(Database::fileName()));
    } else if (fault == Fault::OtherProgramsDatabase) {
        {
            QSqlDatabase other = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("other"));
            other.setDatabaseName(file);
            QVERIFY(other.open());
            QVERIFY(tryExec(other, QStringLiteral("CREATE TABLE notes (t TEXT)")));
        }
        QSqlDatabase::removeDatabase(QStringLiteral("other"));
    } else {
        QVERIFY(Database::createDelivered(file));
    }
    if (fault == Fault::Damaged) {
        // The table list on the first page is overwritten past the header.
        QFile f(file);
        QVERIFY(f.open(QIODevice::ReadWrite));
        f.seek(100);
        f.write(QByteArray(2000, '\x5a'));
    }
    QVERIFY(fault != Fault::ReadOnly || QFile::setPermissions(file, QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther));
    QVERIFY(fault != Fault::Unreadable || QFile::setPermissions(file, QFile::WriteOwner));
    QSqlDatabase holder;
    if (fault == Fault::Locked) {
        holder = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("holder"));
        holder.setDatabaseName(file);
        QVERIFY(holder.open());
        QVERIFY(tryExec(holder, QStringLiteral("PRAGMA locking_mode=EXCLUSIVE")));
        QVERIFY(tryExec(holder, QStringLiteral("BEGIN EXCLUSIVE")));
        QVERIFY(tryExec(holder, QStringLiteral("DELETE FROM asta")));
    }
    const QByteArray before = fileHash(file);
    const Database::OpenResult r = Database::openShared();
    if (fault == Fault::Locked) {
        tryExec(holder, QStringLiteral("ROLLBACK"));
        holder.close();
        holder = QSqlDatabase();
        QSqlDatabase::removeDatabase(QStringLiteral("holder"));
    }
    QCOMPARE(r.status, status);
    QVERIFY(!Database::sharedIsOpen());
    const QString message = Database::openMessage(r, file);
    QVERIFY2(message.contains(words), qPrintable(message));
    QVERIFY2(message.contains(QStringLiteral("该文件没有被改动")), qPrintable(message));
    QVERIFY2(message.endsWith(r.detail) && !r.detail.isEmpty(), qPrintable(message));
    QCOMPARE(message.contains(QStringLiteral("不是门禁系统的数据库")), fault == Fault::OtherProgramsDatabase);
    QCOMPARE(fileHash(file), before);
    QVERIFY(!QFile::exists(file + QStringLiteral("-wal")));
}

void DatabaseTest::missingSystemRowsTakeDefaults()
{
    TestHome home;
    home.exec(QStringLiteral("DELETE FROM system WHERE name IN ('输入缓冲区', '发卡机')"));
    home.exec(QStringLiteral("UPDATE system SET zhi = NULL, detail = NULL WHERE name = '串口号'"));
    home.exec(QStringLiteral("UPDATE system SET detail = '  ' WHERE name = '通讯设置'"));
    home.exec(QStringLiteral("UPDATE system SET zhi = 99999 WHERE name = '输出缓冲区'"));
    Session::reset();
    Session::loadSystemSettings(home.db());
    QCOMPARE(Session::PortNo, qint16(1));
    QCOMPARE(Session::TitlePrefix, QString());
    QCOMPARE(Session::CommSettings, QStringLiteral("9600,n,8,1"));
    QCOMPARE(Session::InBufSize, qint16(2048));
    QCOMPARE(Session::OutBufSize, qint16(512));
    QCOMPARE(Session::ReaderAddress, qint16(1));

    home.exec(QStringLiteral("UPDATE system SET zhi = 3, detail = ' 阳光大厦' WHERE name = '串口号'"));
    Session::loadSystemSettings(home.db());
    QCOMPARE(Session::PortNo, qint16(3));
    QCOMPARE(Session::TitlePrefix, QStringLiteral(" 阳光大厦"));
}

void DatabaseTest::passwordDigest()
{
    const QString d = Password::digest(QStringLiteral(" Secret "));
    // 64 MiB, 3 passes, one lane; a 16-byte salt and a 32-byte hash.
    static const QRegularExpression form(QStringLiteral(
        "^\\$argon2id\\$v=19\\$m=65536,t=3,p=1\\$[A-Za-z0-9+/]{22}\\$[A-Za-z0-9+/]{43}$"));
    QVERIFY2(form.match(d).hasMatch(), qPrintable(d));
    QVERIFY(!Password::needsUpgrade(d));
    // The standard form: the reference implementation reads it.
    QCOMPARE(argon2id_verify(d.toLatin1().constData(), "secret", 6), int(ARGON2_OK));
    // Two digests of one password differ by their salt.
    const QString again = Password::digest(QStringLiteral("secret"));
    QVERIFY(form.match(again).hasMatch());
    QVERIFY(again.section(QLatin1Char('$'), 4, 4) != d.section(QLatin1Char('$'), 4, 4));
}

namespace {
// The password "quorvy" as the program stored it before Argon2id.
const char* const kOldDigest =
    "pbkdf2-sha256$20000$6345c99a86f3b970dea4ae99f63eac69$aaf220d414787da91c20eff3634cc00da7cbb0f4638b771d838a05960cfacbe4";
}  // namespace

void DatabaseTest::passwordMatching_data()
{
    QTest::addColumn<QString>("stored");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<bool>("matches");
    // Reading the field does not depend on the cost: a cheap digest keeps
    // the many checks of this table quick.
    static const QString argon = [] {
        const DigestCostScope cheap = DigestCostScope::cheap();
        return Password::digest(QStringLiteral(" Secret "));
    }();
    const QString old = QString::fromLatin1(kOldDigest);
    const QStringList parts = argon.split(QLatin1Char('$'));   // "", argon2id, v=19, m=..., salt, hash
    const auto withPart = [&parts](int i, const QString& text) {
        QStringList p = parts;
        p[i] = text;
        return p.join(QLatin1Char('$'));
    };
    QString flipped = parts.at(5);
    flipped[3] = flipped.at(3) == QLatin1Char('A') ? QLatin1Char('B') : QLatin1Char('A');

    QTest::newRow("argon2id") << argon << QStringLiteral("secret") << true;
    QTest::newRow("argon2id, case and blanks") << argon << QStringLiteral("  SeCRET ") << true;
    QTest::newRow("argon2id, wrong") << argon << QStringLiteral("secret1") << false;
    QTest::newRow("argon2id, empty") << argon << QString() << false;
    QTest::newRow("pbkdf2") << old << QStringLiteral("quorvy") << true;
    QTest::newRow("pbkdf2, case and blanks") << old << QStringLiteral(" QuorVY") << true;
    QTest::newRow("pbkdf2, wrong") << old << QStringLiteral("quorv") << false;
    // Whatever else the field holds matches nothing, itself included.
    QTest::newRow("plain text") << QStringLiteral("secret") << QStringLiteral("secret") << false;
    QTest::newRow("empty") << QString() << QString() << false;
    QTest::newRow("hash changed") << withPart(5, flipped) << QStringLiteral("secret") << false;
    QTest::newRow("hash cut") << withPart(5, parts.at(5).left(20)) << QStringLiteral("secret") << false;
    QTest::newRow("hash not base64") << withPart(5, parts.at(5).left(42) + QLatin1Char('!')) << QStringLiteral("secret")
                                     << false;
    QTest::newRow("no salt") << withPart(4, QString()) << QStringLiteral("secret") << false;
    QTest::newRow("memory beyond reason") << withPart(3, QStringLiteral("m=4294967295,t=3,p=1"))
                                          << QStringLiteral("secret") << false;
    QTest::newRow("no passes") << withPart(3, QStringLiteral("m=65536,t=0,p=1")) << QStringLiteral("secret") << false;
    QTest::newRow("no lanes") << withPart(3, QStringLiteral("m=65536,t=3,p=0")) << QStringLiteral("secret") << false;
    QTest::newRow("other version") << withPart(2, QStringLiteral("v=16")) << QStringLiteral("secret") << false;
    QTest::newRow("argon2i") << withPart(1, QStringLiteral("argon2i")) << QStringLiteral("secret") << false;
    QTest::newRow("cut short") << argon.left(40) << QStringLiteral("secret") << false;
    QTest::newRow("pbkdf2, rounds beyond reason")
        << QString::fromLatin1(kOldDigest).replace(QStringLiteral("$20000$"), QStringLiteral("$2000000000$"))
        << QStringLiteral("quorvy") << false;
    QTest::newRow("pbkdf2, digest cut") << old.left(old.size() - 2) << QStringLiteral("quorvy") << false;
}

void DatabaseTest::passwordMatching()
{
    QFETCH(QString, stored);
    QFETCH(QString, typed);
    QFETCH(bool, matches);
    QCOMPARE(Password::matches(typed, stored), matches);
}

void DatabaseTest::olderDigestsNeedUpgrade()
{
    QVERIFY(Password::needsUpgrade(QString::fromLatin1(kOldDigest)));
    // An Argon2id digest made with less memory or fewer passes.
    char weaker[128];
    const unsigned char salt[16] = {7};
    QCOMPARE(argon2id_hash_encoded(2, 19456, 1, "secret", 6, salt, sizeof salt, 32, weaker, sizeof weaker), int(ARGON2_OK));
    QVERIFY(Password::matches(QStringLiteral("Secret"), QString::fromLatin1(weaker)));
    QVERIFY(Password::needsUpgrade(QString::fromLatin1(weaker)));
    // One made at a lowered cost needs none while that cost holds, and the
    // upgrade once the program's own is back.
    QString cheap;
    {
        const DigestCostScope scope = DigestCostScope::cheap();
        cheap = Password::digest(QStringLiteral("secret"));
        QVERIFY(cheap.startsWith(QLatin1String("$argon2id$v=19$m=8,t=1,p=1$")));
        QVERIFY(Password::matches(QStringLiteral("Secret"), cheap));
        QVERIFY(!Password::needsUpgrade(cheap));
    }
    QVERIFY(Password::needsUpgrade(cheap));
}

void DatabaseTest::dateText()
{
    QCOMPARE(DateText::fromDate(QDate(2004, 12, 7)), QStringLiteral("2004-12-07"));
    QCOMPARE(DateText::fromTime(QTime(9, 5, 7)), QStringLiteral("09:05:07"));
    QCOMPARE(DateText::toDate(QStringLiteral("2004-12-07")), QDate(2004, 12, 7));
    QCOMPARE(DateText::toTime(QStringLiteral("09:05:07")), QTime(9, 5, 7));
    QCOMPARE(DateText::toTime(QStringLiteral("2004-12-07 23:59:00")), QTime(23, 59, 0));
    QVERIFY(!DateText::toDate(QVariant()).isValid());
    QVERIFY(DateText::bindDate(QDate()).isNull());
    QVERIFY(!DateText::toBool(QVariant()));
    QVERIFY(DateText::toBool(-1));
    QVERIFY(!DateText::toBool(0));
}

void DatabaseTest::compactionKeepsEveryRow()
{
    TestHome home;
    {
        QSqlDatabase db = home.db();
        db.transaction();
        for (int i = 0; i < 2000; ++i)
            home.exec(QStringLiteral("INSERT INTO data (地址, 卡号, 日期, 时间, flag, flagIO) VALUES (?, ?, ?, ?, 1, '锁一进')"),
                      {i % 100, QStringLiteral("%1").arg(i, 6, 10, QLatin1Char('0')), QStringLiteral("2026-12-01"),
                       QStringLiteral("08:00:00")});
        db.commit();
        home.exec(QStringLiteral("DELETE FROM data WHERE 地址 >= 50"));
    }
    QString error;
    QVERIFY2(Database::closeAndCompact(&error), qPrintable(error));
    QVERIFY(!Database::sharedIsOpen());
    QVERIFY(!QFile::exists(home.file(QStringLiteral("dbs.db"))));
    QVERIFY(!QFile::exists(home.file(QStringLiteral("door.db-wal"))));
    QVERIFY(!QFile::exists(home.file(QStringLiteral("door.db-shm"))));
    QVERIFY(Database::checkFile(home.file(QStringLiteral("door.db"))));
    // The compacted file keeps the number of its shape.
    int version = -1;
    {
        QSqlDatabase raw = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("raw"));
        raw.setDatabaseName(home.file(QStringLiteral("door.db")));
        if (raw.open())
            version = Schema::version(raw);
        raw.close();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("raw"));
    QCOMPARE(version, Schema::currentVersion());
    QVERIFY(Database::openShared().ok());
    QCOMPARE(home.scalar(QStringLiteral("SELECT count(*) FROM data")).toInt(), 1000);
    QCOMPARE(home.scalar(QStringLiteral("SELECT count(*) FROM user")).toInt(), 1);
}

// door.db may link to a file on another disk, which is the one SQLite
// works on: its logs lie beside it, and the compaction replaces it.
void DatabaseTest::aLinkedDatabaseStaysWhereItPoints()
{
    TestHome home;
    QTemporaryDir disk;
    const QString real = disk.filePath(QStringLiteral("site.db")), link = home.file(QStringLiteral("door.db"));
    Database::closeShared();
    QVERIFY(QFile::rename(link, real) && QFile::link(real, link) && Database::openShared().ok());
    home.exec(QStringLiteral("INSERT INTO department (部门) VALUES ('另一个盘')"));
    QVERIFY(Database::closeAndCompact());
    QVERIFY(QFileInfo(link).isSymLink());
    QCOMPARE(QDir(disk.path()).entryList(QDir::Files | QDir::Hidden), QStringList{QStringLiteral("site.db")});
    QVERIFY(Database::openShared().ok());
    QCOMPARE(home.scalar(QStringLiteral("SELECT count(*) FROM department WHERE 部门 = '另一个盘'")).toInt(), 1);
}

void DatabaseTest::failedCompactionLeavesDatabaseWhole()
{
    // The reader below holds the log until the compaction has given up.
    const LockWaitScope shortLockWaits;
    TestHome home;
    home.exec(QStringLiteral("INSERT INTO department (部门) VALUES ('一号楼')"));
    // dbs.db cannot be written: a folder of that name stands in its way.
    QVERIFY(QDir(home.path()).mkdir(QStringLiteral("dbs.db")));
    QString error;
    QVERIFY(!Database::closeAndCompact(&error));
    QVERIFY(!error.isEmpty());
    QVERIFY(Database::checkFile(home.file(QStringLiteral("door.db"))));
    QVERIFY(Database::openShared().ok());
    QCOMPARE(home.scalar(QStringLiteral("SELECT 部门 FROM department")).toString(), QStringLiteral("一号楼"));

    // Another reader holding the database makes the log impossible to
    // empty: nothing is replaced.
    QDir(home.path()).rmdir(QStringLiteral("dbs.db"));
    Database::OpenResult other = Database::openFile(home.file(QStringLiteral("door.db")), QStringLiteral("reader"));
    QVERIFY(other.ok());
    QSqlDatabase reader = QSqlDatabase::database(QStringLiteral("reader"));
    home.exec(QStringLiteral("INSERT INTO department (部门) VALUES ('二号楼')"));
    reader.transaction();
    QSqlQuery hold(reader);
    QVERIFY(hold.exec(QStringLiteral("SELECT count(*) FROM department")));
    QVERIFY(hold.next());
    home.exec(QStringLiteral("INSERT INTO department (部门) VALUES ('三号楼')"));
    QVERIFY(!Database::closeAndCompact(&error));
    hold.finish();
    reader.rollback();
    Database::removeConnection(QStringLiteral("reader"));
    QVERIFY(!QFile::exists(home.file(QStringLiteral("dbs.db"))));
    QVERIFY(Database::openShared().ok());
    QCOMPARE(home.scalar(QStringLiteral("SELECT count(*) FROM department")).toInt(), 3);
}

void DatabaseTest::staleLogsNeverPairWithNewFile()
{
    TestHome home;
    home.exec(QStringLiteral("INSERT INTO department (部门) VALUES ('一号楼')"));

    // A log of another database, left as if by an interrupted compaction,
    // lies beside where dbs.db will be written.
    QTemporaryDir otherDir;
    const QString otherFile = otherDir.filePath(QStringLiteral("x.db"));
    QVERIFY(Database::createDelivered(otherFile));
    Database::OpenResult o = Database::openFile(otherFile, QStringLiteral("other"));
    QVERIFY(o.ok());
    {
        QSqlDatabase other = QSqlDatabase::database(QStringLiteral("other"));
        QSqlQuery q(other);
        q.exec(QStringLiteral("PRAGMA wal_autocheckpoint=0"));
        for (int i = 0; i < 50; ++i)
            TestHome::exec(other, QStringLiteral("INSERT INTO department (部门) VALUES (?)"), {QStringLiteral("外来%1").arg(i)});
        QVERIFY(QFile::copy(otherFile + QStringLiteral("-wal"), home.file(QStringLiteral("dbs.db-wal"))));
    }
    Database::removeConnection(QStringLiteral("other"));

    QString error;
    QVERIFY2(Database::closeAndCompact(&error), qPrintable(error));
    QVERIFY(!QFile::exists(home.file(QStringLiteral("dbs.db-wal"))));
    QVERIFY(Database::openShared().ok());
    QCOMPARE(home.scalar(QStringLiteral("SELECT count(*) FROM department")).toInt(), 1);
    QVERIFY(Database::checkFile(home.file(QStringLiteral("door.db"))));
}

// A second copy of the program (or any other connection) that keeps
// door.db open would go on writing into the replaced file, and every row
// it writes after the compaction would be lost.
void DatabaseTest::compactionRefusedWhileAnotherConnectionHoldsTheFile()
{
    TestHome home;
    home.exec(QStringLiteral("INSERT INTO department (部门) VALUES ('一号楼')"));
    Database::OpenResult other = Database::openFile(home.file(QStringLiteral("door.db")), QStringLiteral("second"));
    QVERIFY(other.ok());
    QString error;
    QVERIFY(!Database::closeAndCompact(&error));
    QVERIFY(!error.isEmpty());
    QVERIFY(!QFile::exists(home.file(QStringLiteral("dbs.db"))));
    {
        QSqlDatabase second = QSqlDatabase::database(QStringLiteral("second"));
        TestHome::exec(second, QStringLiteral("INSERT INTO department (部门) VALUES ('二号楼')"));
    }
    Database::removeConnection(QStringLiteral("second"));
    QVERIFY(Database::openShared().ok());
    QCOMPARE(home.scalar(QStringLiteral("SELECT count(*) FROM department")).toInt(), 2);

    // Once the other connection is gone the compaction goes ahead.
    QVERIFY2(Database::closeAndCompact(&error), qPrintable(error));
    QVERIFY(Database::openShared().ok());
    QCOMPARE(home.scalar(QStringLiteral("SELECT count(*) FROM department")).toInt(), 2);
}

// door.db removed by hand with its log left behind: the new delivered
// database must not take that log as its own.
void DatabaseTest::newDatabaseIgnoresLogsLeftBehind()
{
    QTemporaryDir dir;
    ProgramFolder::set(dir.path());
    const QString live = dir.filePath(QStringLiteral("door.db"));
    QVERIFY(Database::openShared().ok());
    {
        QSqlDatabase db = Database::shared();
        QSqlQuery q(db);
        QVERIFY(q.exec(QStringLiteral("PRAGMA wal_autocheckpoint=0")));
        TestHome::exec(db, QStringLiteral("BEGIN"));
        for (int i = 0; i < 200; ++i)
            TestHome::exec(db, QStringLiteral("INSERT INTO department (部门) VALUES (?)"), {QStringLiteral("旧楼%1").arg(i)});
        TestHome::exec(db, QStringLiteral("DELETE FROM user"));
        TestHome::exec(db, QStringLiteral("COMMIT"));
        QVERIFY(QFileInfo(live + QStringLiteral("-wal")).size() > 0);
        // What a crash would leave: the log as it stands.
        QVERIFY(QFile::copy(live + QStringLiteral("-wal"), dir.filePath(QStringLiteral("saved-wal"))));
    }
    Database::closeShared();
    QFile::remove(live);
    QFile::remove(live + QStringLiteral("-wal"));
    QFile::remove(live + QStringLiteral("-shm"));
    QVERIFY(QFile::rename(dir.filePath(QStringLiteral("saved-wal")), live + QStringLiteral("-wal")));

    QCOMPARE(Database::openShared().status, Database::OpenStatus::Created);
    QCOMPARE(TestHome::scalar(Database::shared(), QStringLiteral("SELECT count(*) FROM department")).toInt(), 0);
    QCOMPARE(TestHome::scalar(Database::shared(), QStringLiteral("SELECT count(*) FROM user")).toInt(), 1);
    Database::closeShared();
    QVERIFY(Database::checkFile(live));
}

namespace {
int modeOf(const QString& file)
{
    struct stat info;
    return ::stat(QFile::encodeName(file).constData(), &info) == 0 ? int(info.st_mode & 07777) : -1;
}
}  // namespace

// The database holds people's identity-card numbers, phones and addresses.
// Every mode is checked under the test's own umask (022 as a rule), which
// would leave a file readable by everyone.
void DatabaseTest::programFolderAndCopiesAreForTheOwnerOnly()
{
    QTemporaryDir base;
    const QString fresh = base.filePath(QStringLiteral("site/door"));
    QCOMPARE(ProgramFolder::choose({QStringLiteral("door"), QStringLiteral("--home"), fresh}), fresh);
    QCOMPARE(modeOf(fresh), 0700);
    // An existing folder keeps its modes.
    const QString shared = base.filePath(QStringLiteral("shared"));
    QVERIFY(QDir().mkdir(shared));
    QVERIFY(::chmod(QFile::encodeName(shared).constData(), 0755) == 0);
    ProgramFolder::choose({QStringLiteral("door"), QStringLiteral("--home=") + shared});
    QCOMPARE(modeOf(shared), 0755);

    ProgramFolder::set(fresh);
    QCOMPARE(Database::openShared().status, Database::OpenStatus::Created);
    const QString live = Database::livePath();
    QCOMPARE(modeOf(live), 0600);
    TestHome::exec(Database::shared(), QStringLiteral("INSERT INTO department (部门) VALUES ('一号楼')"));
    QCOMPARE(modeOf(live + QStringLiteral("-wal")), 0600);

    const QString copy = base.filePath(QStringLiteral("copy.db"));
    QVERIFY(BackupRestore::backup(Database::shared(), copy).ok);
    QCOMPARE(modeOf(copy), 0600);
    // A copy written over an older one, and door.db compacted, keep the
    // modes they had.
    QVERIFY(::chmod(QFile::encodeName(copy).constData(), 0644) == 0);
    QVERIFY(BackupRestore::backup(Database::shared(), copy).ok);
    QCOMPARE(modeOf(copy), 0644);
    QVERIFY(::chmod(QFile::encodeName(live).constData(), 0640) == 0);
    QVERIFY(Database::closeAndCompact());
    QCOMPARE(modeOf(live), 0640);

    // What other parts of the program write (the status file, the spool
    // file, reports saved as PDF) is created under the process's mask.
    const mode_t before = ::umask(022);
    ProgramFolder::restrictNewFiles();
    QFile status(QDir(fresh).filePath(QStringLiteral("SysInf.ini")));
    QVERIFY(status.open(QIODevice::WriteOnly));
    status.close();
    QDir().mkdir(QDir(fresh).filePath(QStringLiteral("reports")));
    ::umask(before);
    QCOMPARE(modeOf(status.fileName()), 0600);
    QCOMPARE(modeOf(QDir(fresh).filePath(QStringLiteral("reports"))), 0700);
}

void DatabaseTest::longStepsReportTheirProgress_data()
{
    QTest::addColumn<QString>("step");
    // The step's last report before it ends, when it has parts.
    QTest::addColumn<int>("between");
    QTest::newRow("compaction") << QStringLiteral("compaction") << 750;
    QTest::newRow("compacted copy") << QStringLiteral("copy") << -1;
    QTest::newRow("page copy") << QStringLiteral("pages") << -1;
    QTest::newRow("check") << QStringLiteral("check") << -1;
}

void DatabaseTest::longStepsReportTheirProgress()
{
    QFETCH(QString, step);
    QFETCH(int, between);
    TestHome home;
    home.db().transaction();
    for (int i = 0; i < 20000; ++i)
        home.exec(QStringLiteral("INSERT INTO data (地址, 卡号, 日期, 时间, flag, flagIO) VALUES (?, ?, '2026-12-01', ?, 1, '锁一进')"),
                  {i % 100, QStringLiteral("%1").arg(i, 6, 10, QLatin1Char('0')), QStringLiteral("08:00:00")});
    home.db().commit();
    QList<int> seen;
    const Database::Progress sink = [&seen](int p) { seen << p; };
    const QString copy = home.file(QStringLiteral("copy.db"));
    bool ok = false;
    if (step == QLatin1String("compaction"))
        ok = Database::closeAndCompact(nullptr, sink);
    else if (step == QLatin1String("copy"))
        ok = Database::copyTo(home.db(), copy, nullptr, sink);
    else if (step == QLatin1String("pages"))
        ok = Database::copyPages(home.file(QStringLiteral("door.db")), copy, nullptr, sink);
    else
        ok = Database::checkFile(home.file(QStringLiteral("door.db")), nullptr, Database::Contents::TablesAndColumns, sink);
    QVERIFY(ok);
    QVERIFY(!seen.isEmpty());
    QCOMPARE(seen.last(), 1000);
    for (int i = 1; i < seen.size(); ++i)
        QVERIFY2(seen.at(i) >= seen.at(i - 1), qPrintable(QString::number(seen.at(i))));
    if (between > 0)
        QVERIFY(seen.contains(between));
    if (step == QLatin1String("copy") || step == QLatin1String("pages")) {
        QVERIFY(Database::checkFile(copy, nullptr, Database::Contents::TablesAndColumns));
        QCOMPARE(TestHome::scalar(home.db(), QStringLiteral("SELECT count(*) FROM data")).toInt(), 20000);
    }
}

void DatabaseTest::everyConnectionTakesTheProgramsSettings()
{
    TestHome home;
    const QString cache = QStringLiteral("PRAGMA cache_size");
    EditableGridModel grid(home.db(), {cache}, {}, {});
    QVERIFY(grid.run([&](QSqlDatabase reader) { return QSqlQuery(cache, reader); }));
    QVERIFY(Database::openFile(home.file(QStringLiteral("door.db")), QStringLiteral("own")).ok());
    const QList<int> held{home.scalar(cache).toInt(), grid.index(0, 0).data().toInt(),
                          TestHome::scalar(QSqlDatabase::database(QStringLiteral("own")), cache).toInt()};
    Database::removeConnection(QStringLiteral("own"));
    // The shared one, a grid's reader, a file's own: SQLite's -2000 would spill a sort of millions to disk.
    QCOMPARE(held, (QList<int>{-65536, -65536, -65536}));
}

QTEST_GUILESS_MAIN(DatabaseTest)
#include "tst_database.moc"
