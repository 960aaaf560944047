#include "admin/BackupRestore.h"
#include "admin/CollectSchedule.h"
#include "admin/Initialisation.h"
#include "admin/Form1.h"
#include "db/Database.h"
#include "db/ProgramFolder.h"
#include "db/Schema.h"
#include "support/ReadOnlyMount.h"
#include "support/ScriptedPrompter.h"
#include "support/TestHome.h"

#include <QCryptographicHash>
#include <QPushButton>
#include <QFile>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QtTest>

#include <functional>

namespace {

QByteArray fileHash(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return QCryptographicHash::hash(f.readAll(), QCryptographicHash::Sha256);
}

// Runs `work` on a connection of its own to `file`.
void withFile(const QString& file, const std::function<void(QSqlDatabase)>& work)
{
    const QString name = QStringLiteral("raw");
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        db.setDatabaseName(file);
        QVERIFY(db.open());
        work(db);
        db.close();
    }
    QSqlDatabase::removeDatabase(name);
}

QVariant valueIn(const QString& file, const QString& sql)
{
    QVariant v;
    withFile(file, [&](QSqlDatabase db) { v = TestHome::scalar(db, sql); });
    return v;
}

// Every index with its columns in order, and whether it is unique.
QStringList indexShape(QSqlDatabase db)
{
    QSqlQuery q(db);
    q.exec(QStringLiteral("SELECT l.name, l.\"unique\", (SELECT group_concat(name, ',') FROM "
                          "(SELECT name FROM pragma_index_info(l.name) ORDER BY seqno)) FROM sqlite_master m, "
                          "pragma_index_list(m.name) l WHERE m.type = 'table' AND l.origin = 'c' ORDER BY l.name"));
    QStringList shape;
    while (q.next())
        shape << QStringLiteral("%1 %2 (%3)").arg(q.value(0).toString(), q.value(1).toString(), q.value(2).toString());
    return shape;
}

QStringList currentIndexShape()
{
    QStringList shape;
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("new.db"));
    if (Database::createDelivered(file))
        withFile(file, [&](QSqlDatabase db) { shape = indexShape(db); });
    return shape;
}

// A database as the program made them before their shape was numbered: the
// pass index in its older order beside the day index it replaced, no
// removed-card indexes, department names compared by case and repeated in
// another case, one collected pass.
void writeOlderDatabase(const QString& file)
{
    QVERIFY(Database::createDelivered(file));
    withFile(file, [](QSqlDatabase db) {
        for (const char* sql : {
                 "PRAGMA user_version = 0",
                 "DROP INDEX data_pass",
                 "CREATE INDEX data_pass ON data (卡号, 日期, 时间, flag, 地址)",
                 "CREATE INDEX data_day ON data (日期)",
                 "DROP INDEX data_card_pass", "DROP INDEX data_time", "DROP INDEX data_address", "DROP INDEX people_department",
                 "DROP INDEX people_name", "DROP INDEX people_card_value", "DROP INDEX datakq_department",
                 "DROP INDEX dfaka_department",
                 "DROP INDEX dfaka_name",
                 "DROP INDEX dfaka_address",
                 "DROP INDEX dfaka_card",
                 "DROP INDEX dfaka_day",
                 "DROP TABLE department",
                 "CREATE TABLE department (部门 TEXT)",
                 "INSERT INTO department VALUES ('Sales'), ('财务'), ('SALES')",
                 "INSERT INTO data VALUES (1, '100', '2024-01-02', '08:00:00', 1, '1')",
             })
            TestHome::exec(db, QString::fromUtf8(sql));
    });
}

enum class Shape { Unnumbered, Older, Newer, OlderWithClashingOperators };

void writeDatabase(const QString& file, Shape shape)
{
    switch (shape) {
    case Shape::Unnumbered:
        // As the program made them just before the shape was numbered.
        QVERIFY(Database::createDelivered(file));
        withFile(file, [](QSqlDatabase db) { TestHome::exec(db, QStringLiteral("PRAGMA user_version = 0")); });
        break;
    case Shape::Older: writeOlderDatabase(file); break;
    case Shape::Newer:
        QVERIFY(Database::createDelivered(file));
        withFile(file, [](QSqlDatabase db) {
            TestHome::exec(db, QStringLiteral("PRAGMA user_version = %1").arg(Schema::currentVersion() + 1));
        });
        break;
    case Shape::OlderWithClashingOperators:
        // Two operators whose names differ only in case cannot be given the
        // unique name index: the upgrade stops and nothing of it stays.
        writeOlderDatabase(file);
        withFile(file, [](QSqlDatabase db) {
            TestHome::exec(db, QStringLiteral("DROP INDEX user_sysname"));
            TestHome::exec(db, QStringLiteral("INSERT INTO user (sysname) VALUES ('QUORVY')"));
        });
        break;
    }
}

}  // namespace

Q_DECLARE_METATYPE(Shape)
Q_DECLARE_METATYPE(Database::OpenStatus)

class SchemaVersionTest : public QObject {
    Q_OBJECT
private slots:
    void newDatabaseHasTheCurrentVersion();
    void startOnDatabaseOfAnotherVersion_data();
    void startOnDatabaseOfAnotherVersion();
    void databaseOnReadOnlyMountIsToldSo_data();
    void databaseOnReadOnlyMountIsToldSo();
    void restoreOfAnotherVersion_data();
    void restoreOfAnotherVersion();
    void aFullDiskIsToldAsSuch();
};

void SchemaVersionTest::newDatabaseHasTheCurrentVersion()
{
    TestHome home;
    QVERIFY(Schema::currentVersion() >= 1);
    QCOMPARE(Schema::version(home.db()), Schema::currentVersion());
}

void SchemaVersionTest::startOnDatabaseOfAnotherVersion_data()
{
    QTest::addColumn<Shape>("shape");
    QTest::addColumn<Database::OpenStatus>("status");
    QTest::addColumn<int>("versionAfter");
    QTest::newRow("unnumbered, upgraded") << Shape::Unnumbered << Database::OpenStatus::Opened
                                          << Schema::currentVersion();
    QTest::newRow("older, upgraded") << Shape::Older << Database::OpenStatus::Opened << Schema::currentVersion();
    QTest::newRow("newer, refused") << Shape::Newer << Database::OpenStatus::Newer << Schema::currentVersion() + 1;
    QTest::newRow("older, upgrade fails") << Shape::OlderWithClashingOperators << Database::OpenStatus::CannotOpen
                                          << 0;
}

void SchemaVersionTest::startOnDatabaseOfAnotherVersion()
{
    QFETCH(Shape, shape);
    QFETCH(Database::OpenStatus, status);
    QFETCH(int, versionAfter);
    QTemporaryDir dir;
    ProgramFolder::set(dir.path());
    const QString file = Database::livePath();
    writeDatabase(file, shape);
    const QByteArray before = fileHash(file);

    const Database::OpenResult r = Database::openShared();
    QCOMPARE(r.status, status);
    Database::closeShared();
    QCOMPARE(valueIn(file, QStringLiteral("PRAGMA user_version")).toInt(), versionAfter);
    if (shape == Shape::Newer) {
        QCOMPARE(fileHash(file), before);
        QVERIFY(!QFile::exists(file + QStringLiteral("-wal")));
        QVERIFY(Database::openMessage(r, file).contains(QStringLiteral("较新版本")));
        return;
    }
    if (shape == Shape::OlderWithClashingOperators) {
        // The failed step left the departments as they were.
        QCOMPARE(valueIn(file, QStringLiteral("SELECT count(*) FROM department")).toInt(), 3);
        QCOMPARE(valueIn(file, QStringLiteral("SELECT count(*) FROM sqlite_master WHERE name = 'dfaka_day'")).toInt(),
                 0);
        return;
    }
    const QStringList current = currentIndexShape();
    QVERIFY(current.contains(QStringLiteral("data_pass 0 (日期,卡号,时间,flag,地址)")));
    withFile(file, [&current, shape](QSqlDatabase db) {
        QCOMPARE(indexShape(db), current);
        if (shape == Shape::Unnumbered)
            return;
        QCOMPARE(TestHome::scalar(db, QStringLiteral("SELECT count(*) FROM data")).toInt(), 1);
        // One department of the two spellings, the first one kept; the name
        // is now found and refused in any case.
        QCOMPARE(TestHome::scalar(db, QStringLiteral("SELECT group_concat(部门, '|') FROM department")).toString(),
                 QStringLiteral("Sales|财务"));
        QCOMPARE(TestHome::scalar(db, QStringLiteral("SELECT count(*) FROM department WHERE 部门 = 'sAlEs'")).toInt(), 1);
        QSqlQuery q(db);
        QVERIFY(!q.exec(QStringLiteral("INSERT INTO department VALUES ('sales')")));
    });
    // An upgraded database opens as it is the next time.
    const QByteArray upgraded = fileHash(file);
    QVERIFY(Database::openShared().ok());
    Database::closeShared();
    QCOMPARE(fileHash(file), upgraded);
}

void SchemaVersionTest::databaseOnReadOnlyMountIsToldSo_data()
{
    QTest::addColumn<bool>("older");
    QTest::newRow("current database") << false;
    QTest::newRow("older database") << true;
}

void SchemaVersionTest::databaseOnReadOnlyMountIsToldSo()
{
    QFETCH(bool, older);
    ReadOnlyMount mount([older](const QString& folder) {
        const QString file = folder + QStringLiteral("/door.db");
        if (older)
            writeOlderDatabase(file);
        else
            QVERIFY(Database::createDelivered(file));
    });
    if (!mount.mounted())
        QSKIP(qPrintable(mount.why()));
    ProgramFolder::set(mount.path());
    const QString file = Database::livePath();
    const QByteArray before = fileHash(file);
    const Database::OpenResult r = Database::openShared();
    QCOMPARE(r.status, Database::OpenStatus::CannotWrite);
    const QString message = Database::openMessage(r, file);
    QVERIFY2(!message.contains(QStringLiteral("不是门禁系统的数据库")), qPrintable(message));
    QVERIFY2(message.contains(QStringLiteral("不能写入")), qPrintable(message));
    QCOMPARE(fileHash(file), before);
    QCOMPARE(valueIn(file, QStringLiteral("PRAGMA user_version")).toInt(), older ? 0 : Schema::currentVersion());
}

void SchemaVersionTest::restoreOfAnotherVersion_data()
{
    QTest::addColumn<Shape>("shape");
    QTest::addColumn<bool>("restored");
    QTest::newRow("older backup, brought up to date") << Shape::Older << true;
    QTest::newRow("newer backup, refused") << Shape::Newer << false;
}

void SchemaVersionTest::restoreOfAnotherVersion()
{
    QFETCH(Shape, shape);
    QFETCH(bool, restored);
    TestHome home;
    home.exec(QStringLiteral("INSERT INTO department VALUES ('live')"));
    QTemporaryDir elsewhere;
    const QString backup = elsewhere.filePath(QStringLiteral("copy.db"));
    writeDatabase(backup, shape);
    const QByteArray backupBefore = fileHash(backup);

    QCOMPARE(BackupRestore::checkChoice(backup) == BackupRestore::Choice::Usable, restored);
    const BackupRestore::RestoreOutcome out = BackupRestore::restore(backup);
    QCOMPARE(out.status, restored ? BackupRestore::RestoreStatus::Restored : BackupRestore::RestoreStatus::NotUsable);
    QCOMPARE(fileHash(backup), backupBefore);
    QVERIFY(Database::sharedIsOpen());
    QCOMPARE(Schema::version(home.db()), Schema::currentVersion());
    QCOMPARE(home.scalar(QStringLiteral("SELECT group_concat(部门, '|') FROM department")).toString(),
             restored ? QStringLiteral("Sales|财务") : QStringLiteral("live"));
    Form1 window;   // says why a backup of a newer program is refused
    window.chooseRestoreFile = [&backup](QWidget*) { return backup; };
    ScriptedPrompter prompts;
    window.findChild<QPushButton*>(QStringLiteral("Command3"))->click();
    QCOMPARE(prompts.texts().first().startsWith(QStringLiteral("选择数据库错误！\n数据库版本 ")), !restored);
}

// SQLite ends a transaction whose commit finds no space; a rollback's complaint must not hide why.
void SchemaVersionTest::aFullDiskIsToldAsSuch()
{
    FullDisk disk;
    if (!disk.ready)
        QSKIP("cannot mount a small file system here");
    disk.fill();
    for (const QString& why : {CollectSchedule::save(Database::shared(), CollectSchedule::manual()).error,
                               Initialisation::run(Database::shared(), QStringLiteral("X")).error})
        QVERIFY2(why.contains(QStringLiteral("database or disk is full")), qPrintable(why));
}

QTEST_MAIN(SchemaVersionTest)
#include "tst_schemaversion.moc"
