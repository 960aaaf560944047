#include "admin/BackupRestore.h"
#include "support/OperatorInput.h"
#include "admin/Form1.h"
#include "session/Session.h"
#include "db/BoundQuery.h"
#include "db/Database.h"
#include "support/ScriptedPrompter.h"
#include "support/TestHome.h"
#include "ui/WorkProgress.h"

#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QProgressBar>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QtTest>

namespace {

void addRecords(QSqlDatabase db, int count, const QString& day = QStringLiteral("2024-03-01"))
{
    TestHome::exec(db, QStringLiteral("BEGIN"));
    for (int i = 0; i < count; ++i)
        TestHome::exec(db, QStringLiteral("INSERT INTO data VALUES (?, ?, ?, ?, 1, '锁一进')"),
                       {i % 100, QStringLiteral("%1").arg(i, 6, 10, QLatin1Char('0')), day, QStringLiteral("08:00:00")});
    TestHome::exec(db, QStringLiteral("COMMIT"));
}

// Counts rows of `table` in a file, on a connection of its own; -1 when
// the file does not open as a database holding that table.
int rowsIn(const QString& file, const QString& table)
{
    const QString name = QStringLiteral("count-%1").arg(QRandomGenerator::global()->generate());
    int n = -1;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        db.setDatabaseName(file);
        if (db.open()) {
            QSqlQuery q(db);
            if (q.exec(QStringLiteral("SELECT count(*) FROM %1").arg(table)) && q.next())
                n = q.value(0).toInt();
        }
        db.close();
    }
    QSqlDatabase::removeDatabase(name);
    return n;
}

int liveRecords()
{
    return TestHome::scalar(Database::shared(), QStringLiteral("SELECT count(*) FROM data")).toInt();
}

void halve(const QString& file)
{
    QFile f(file);
    QVERIFY(f.open(QIODevice::ReadWrite));
    QVERIFY(f.resize(f.size() / 2));
}

enum class Damage { Pattern, Zeros, AnotherPage };

// Overwrites the middle page of the door records, as a failing disk or a cut copy would.
void overwritePage(const QString& file, Damage damage)
{
    QStringList pages;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("pages"));
        db.setDatabaseName(file);
        QVERIFY(db.open());
        pages = BoundQuery::firstColumn(db, QStringLiteral("SELECT pageno FROM dbstat WHERE name = 'data' ORDER BY pageno"));
    }
    QSqlDatabase::removeDatabase(QStringLiteral("pages"));
    QFile f(file);
    QVERIFY(f.open(QIODevice::ReadWrite));
    const QByteArray header = f.read(100);
    int pageSize = (uchar(header.at(16)) << 8) | uchar(header.at(17));
    if (pageSize == 1)
        pageSize = 65536;
    QVERIFY(pages.size() > 2);
    const qint64 middle = pages.at(pages.size() / 2).toLongLong() - 1;   // numbered from 1
    QByteArray page(pageSize, damage == Damage::Zeros ? '\0' : char(0xA5));
    if (damage == Damage::AnotherPage) {
        // A whole, well-formed page of another table.
        QVERIFY(f.seek(pageSize));
        page = f.read(pageSize);
    }
    QVERIFY(f.seek(middle * pageSize));
    QCOMPARE(f.write(page), qint64(pageSize));
}

// The progress window while the copy is being checked, as the operator sees it.
struct SeenProgress {
    QString text;
    int value = -1;
    bool modal = false;
    void look()
    {
        for (QWidget* w : QApplication::topLevelWidgets()) {
            if (w->objectName() == QLatin1String("WorkProgress") && w->isVisible()) {
                text = w->findChild<QLabel*>()->text();
                value = w->findChild<QProgressBar*>()->value();
                modal = w->isModal();
            }
        }
    }
};

struct Window {
    Form1 w;
    QLineEdit* name = w.findChild<QLineEdit*>(QStringLiteral("Text2"));
    QLineEdit* shown = w.findChild<QLineEdit*>(QStringLiteral("Text1"));
    QLabel* label = w.findChild<QLabel*>(QStringLiteral("Label4"));
    QListWidget* files = w.findChild<QListWidget*>(QStringLiteral("File1"));
    QPushButton* backup = w.findChild<QPushButton*>(QStringLiteral("Command1"));
    QPushButton* restore = w.findChild<QPushButton*>(QStringLiteral("Command3"));
    void choose(const QString& file)
    {
        w.chooseRestoreFile = [file](QWidget*) { return file; };
    }
    // Restores `file`, answering Yes to the question.
    void restoreAnsweringYes(const QString& file, ScriptedPrompter& prompts)
    {
        choose(file);
        prompts.answerNext(Prompter::Answer::Yes);
        restore->click();
    }
};

}  // namespace

class TestForm1 : public QObject {
    Q_OBJECT
private slots:
    void cleanup()
    {
        BackupRestore::closeModelessWindows = nullptr;
        BackupRestore::modelessWindowsOpen = nullptr;
        WorkProgress::setDelayMs(400);
    }

    // The copy is checked with SQLite's quick check, not the full integrity
    // check: it must still refuse a copy with a page gone bad.
    void aDamagedCopyIsRefused_data()
    {
        QTest::addColumn<bool>("restoring");
        QTest::addColumn<int>("kind");
        QTest::newRow("backup, page overwritten") << false << int(Damage::Pattern);
        QTest::newRow("backup, page zeroed") << false << int(Damage::Zeros);
        QTest::newRow("backup, page of another table") << false << int(Damage::AnotherPage);
        QTest::newRow("restore, page overwritten") << true << int(Damage::Pattern);
        QTest::newRow("restore, page zeroed") << true << int(Damage::Zeros);
        QTest::newRow("restore, page of another table") << true << int(Damage::AnotherPage);
    }
    void aDamagedCopyIsRefused()
    {
        QFETCH(bool, restoring);
        QFETCH(int, kind);
        const auto damage = Damage(kind);
        TestHome home;
        addRecords(home.db(), 3000);
        QTemporaryDir target;
        const QString copy = QDir(target.path()).filePath(QStringLiteral("copy.db"));
        QVERIFY(BackupRestore::backup(home.db(), copy).ok);
        home.exec(QStringLiteral("DELETE FROM data WHERE 地址 < 10"));

        Window win;
        win.w.setFolder(target.path());
        OperatorInput::typeInto(win.name, QStringLiteral("fresh"));
        win.w.hooks.afterCopy = [damage](const QString& file) { overwritePage(file, damage); };
        ScriptedPrompter prompts;
        if (restoring) {
            win.restoreAnsweringYes(copy, prompts);
            QVERIFY(prompts.last().startsWith(QStringLiteral("数据恢复失败，现有数据库没有改变。")));
        } else {
            win.backup->click();
            QVERIFY(prompts.last().startsWith(QStringLiteral("数据备份失败！")));
        }
        QVERIFY(Database::sharedIsOpen());
        QCOMPARE(liveRecords(), 2700);
        QCOMPARE(QDir(target.path()).entryList(QDir::Files | QDir::Hidden), QStringList{QStringLiteral("copy.db")});
    }

    // A file that lacks a column the program reads would fail later, in
    // the middle of some window's work.
    void restoreRefusesAFileMissingAColumn()
    {
        TestHome home;
        addRecords(home.db(), 5);
        QTemporaryDir other;
        const QString copy = QDir(other.path()).filePath(QStringLiteral("old.db"));
        QVERIFY(BackupRestore::backup(home.db(), copy).ok);
        {
            QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("older"));
            db.setDatabaseName(copy);
            QVERIFY(db.open());
            TestHome::exec(db, QStringLiteral("ALTER TABLE people DROP COLUMN tel"));
            db.close();
        }
        QSqlDatabase::removeDatabase(QStringLiteral("older"));
        QString why;
        QCOMPARE(BackupRestore::checkChoice(copy, &why), BackupRestore::Choice::NotDoorDatabase);
        QVERIFY2(why.contains(QStringLiteral("tel")), qPrintable(why));
        QCOMPARE(BackupRestore::restore(copy).status, BackupRestore::RestoreStatus::NotUsable);

        Window win;
        ScriptedPrompter prompts;
        win.restoreAnsweringYes(copy, prompts);
        QCOMPARE(prompts.texts(), QStringList{QStringLiteral("选择数据库错误！")});
        QCOMPARE(liveRecords(), 5);
    }

    void backupAndRestoreShowTheirProgress()
    {
        TestHome home;
        addRecords(home.db(), 200);
        WorkProgress::setDelayMs(0);
        QTemporaryDir target;
        Window win;
        win.w.setFolder(target.path());
        OperatorInput::typeInto(win.name, QStringLiteral("copy"));
        SeenProgress seen;
        win.w.hooks.afterCopy = [&seen](const QString&) { seen.look(); };
        ScriptedPrompter prompts;
        win.backup->click();
        QCOMPARE(prompts.last(), QStringLiteral("数据备份完毕！"));
        QCOMPARE(seen.text, QStringLiteral("正在备份数据库…"));
        QVERIFY(seen.modal);
        // The copy is done, its check is to come.
        QVERIFY2(seen.value >= 500 && seen.value < 1000, qPrintable(QString::number(seen.value)));

        seen = {};
        win.restoreAnsweringYes(QDir(target.path()).filePath(QStringLiteral("copy.db")), prompts);
        QCOMPARE(prompts.last(), QStringLiteral("数据已被恢复！"));
        QCOMPARE(seen.text, QStringLiteral("正在恢复数据库…"));
        QVERIFY2(seen.value >= 500 && seen.value < 1000, qPrintable(QString::number(seen.value)));
        // Nothing is left on the screen.
        seen = {};
        seen.look();
        QVERIFY(seen.text.isEmpty());
    }

    void targetPathRules()
    {
        QCOMPARE(BackupRestore::targetFor(QStringLiteral("/"), QStringLiteral("copy")), QStringLiteral("/copy.db"));
        QCOMPARE(BackupRestore::targetFor(QStringLiteral("/srv/b"), QStringLiteral("copy")),
                 QStringLiteral("/srv/b/copy.db"));
        QCOMPARE(BackupRestore::targetForFile(QStringLiteral("/srv/b"), QStringLiteral("old.db")),
                 QStringLiteral("/srv/b/old.db"));

        TestHome home;
        Window win;
        QCOMPARE(win.w.windowTitle(), QStringLiteral("数据备份与恢复"));
        QTemporaryDir target;
        win.w.setFolder(target.path());
        OperatorInput::typeInto(win.name, QStringLiteral("copy"));
        const QString expected = QDir::toNativeSeparators(QDir(target.path()).canonicalPath() + QStringLiteral("/copy.db"));
        QCOMPARE(win.shown->text(), expected);
        QCOMPARE(win.label->text(), expected);

        // Choosing an existing copy makes that very file the target.
        QFile old(QDir(target.path()).filePath(QStringLiteral("old.db")));
        QVERIFY(old.open(QIODevice::WriteOnly));
        old.close();
        QFile other(QDir(target.path()).filePath(QStringLiteral("notes.txt")));
        QVERIFY(other.open(QIODevice::WriteOnly));
        other.close();
        // A port's link is no folder.
        QVERIFY(QFile::link(QStringLiteral("/dev/null"), QDir(target.path()).filePath(QStringLiteral("com1"))));
        win.w.setFolder(target.path());
        QVERIFY(win.w.findChild<QListWidget*>(QStringLiteral("Dir1"))->findItems(QStringLiteral("com1"), Qt::MatchEndsWith).isEmpty());
        QCOMPARE(win.files->count(), 1);
        emit win.files->itemClicked(win.files->item(0));
        QCOMPARE(win.name->text(), QStringLiteral("old.db"));
        QCOMPARE(win.label->text(), QDir::toNativeSeparators(QDir(target.path()).canonicalPath() + QStringLiteral("/old.db")));
    }

    void backupIsWrittenWhileTheProgramKeepsItsConnection()
    {
        TestHome home;
        addRecords(home.db(), 700);
        // A temporary table lives only as long as its connection.
        home.exec(QStringLiteral("CREATE TEMP TABLE still_here (x)"));
        QVERIFY(QFileInfo(home.file(QStringLiteral("door.db-wal"))).size() > 0);
        QTemporaryDir target;
        Window win;
        win.w.setFolder(target.path());
        OperatorInput::typeInto(win.name, QStringLiteral("copy"));
        ScriptedPrompter prompts;
        win.backup->click();
        QCOMPARE(prompts.texts(), QStringList{QStringLiteral("数据备份完毕！")});
        const QString copy = QDir(target.path()).filePath(QStringLiteral("copy.db"));
        QVERIFY(Database::checkFile(copy));
        QCOMPARE(rowsIn(copy, QStringLiteral("data")), 700);
        QCOMPARE(rowsIn(copy, QStringLiteral("user")), 1);
        QCOMPARE(rowsIn(copy, QStringLiteral("system")), 5);
        QCOMPARE(home.scalar(QStringLiteral("SELECT count(*) FROM still_here")).toInt(), 0);
        addRecords(home.db(), 1);
        QCOMPARE(liveRecords(), 701);
        QCOMPARE(QDir(target.path()).entryList(QDir::Files | QDir::Hidden), QStringList{QStringLiteral("copy.db")});
        QCOMPARE(win.files->count(), 1);

        // A second backup onto the same name replaces it without a question.
        prompts.clear();
        win.backup->click();
        QCOMPARE(prompts.texts(), QStringList{QStringLiteral("数据备份完毕！")});
        QCOMPARE(rowsIn(copy, QStringLiteral("data")), 701);
    }

    void aCopyMayNotTakeTheLiveName()
    {
        TestHome home;
        QTemporaryDir target;
        Window win;
        ScriptedPrompter prompts;
        win.w.setFolder(target.path());
        win.backup->click();   // no name: nothing happens
        QVERIFY(prompts.shown.isEmpty());
        for (const QString& name : {QStringLiteral("BackDoor"), QStringLiteral("DOOR"), QStringLiteral("x.door")}) {
            prompts.clear();
            OperatorInput::typeInto(win.name, name);
            win.backup->click();
            QCOMPARE(prompts.texts(), QStringList{QStringLiteral("请输入正确的名称！")});
        }
        QVERIFY(QDir(target.path()).isEmpty());
        // Nor can it reach the live file under another name.
        QVERIFY(QFile::link(home.file(QStringLiteral("door.db")), QDir(target.path()).filePath(QStringLiteral("live.db"))));
        QVERIFY(BackupRestore::isRefusedTarget(QDir(target.path()).filePath(QStringLiteral("live.db"))));
        QVERIFY(BackupRestore::isRefusedTarget(home.file(QStringLiteral("door.db-wal"))));
        QVERIFY(!BackupRestore::isRefusedTarget(QDir(target.path()).filePath(QStringLiteral("door2.db"))));
    }

    // The closing compaction writes dbs.db beside door.db and then renames
    // it over door.db: a copy kept under that name would be gone after the
    // next close of the program.
    void aCopyMayNotTakeTheCompactionsName()
    {
        TestHome home;
        addRecords(home.db(), 5);
        Window win;
        ScriptedPrompter prompts;
        win.w.setFolder(home.path());
        OperatorInput::typeInto(win.name, QStringLiteral("DBS"));
        win.backup->click();
        QVERIFY(prompts.last().startsWith(QStringLiteral("请输入正确的名称！\n不能使用“%1”").arg(home.file("dbs.db"))));
        QVERIFY(!QFileInfo::exists(home.file(QStringLiteral("DBS.db"))));
        QVERIFY(!QFileInfo::exists(home.file(QStringLiteral("dbs.db"))));
        // Elsewhere that name is free.
        QTemporaryDir target;
        QVERIFY(!BackupRestore::isRefusedTarget(QDir(target.path()).filePath(QStringLiteral("dbs.db"))));
    }

    void aFailedBackupIsReportedAndLeavesTheOlderCopy()
    {
        TestHome home;
        QTemporaryDir target;
        const QString copy = QDir(target.path()).filePath(QStringLiteral("copy.db"));
        addRecords(home.db(), 3);
        QVERIFY(BackupRestore::backup(home.db(), copy).ok);
        addRecords(home.db(), 500);

        Window win;
        win.w.setFolder(target.path());
        OperatorInput::typeInto(win.name, QStringLiteral("copy"));
        win.w.hooks.afterCopy = [](const QString& part) { halve(part); };
        ScriptedPrompter prompts;
        win.backup->click();
        QCOMPARE(prompts.shown.size(), 1);
        QVERIFY(prompts.last().startsWith(QStringLiteral("数据备份失败！")));
        QCOMPARE(rowsIn(copy, QStringLiteral("data")), 3);
        QCOMPARE(QDir(target.path()).entryList(QDir::Files | QDir::Hidden), QStringList{QStringLiteral("copy.db")});

        // A folder that is not there.
        const BackupRestore::Outcome out =
            BackupRestore::backup(home.db(), QDir(target.path()).filePath(QStringLiteral("gone/copy.db")));
        QVERIFY(!out.ok);
        QVERIFY(!out.error.isEmpty());
        QCOMPARE(liveRecords(), 503);
    }

    void restoreRefusesAFileThatIsNotADoorDatabase()
    {
        TestHome home;
        addRecords(home.db(), 4);
        QTemporaryDir other;
        const QString text = QDir(other.path()).filePath(QStringLiteral("notes.db"));
        QFile f(text);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("these are not the tables you are looking for\n");
        f.close();
        const QString foreign = QDir(other.path()).filePath(QStringLiteral("foreign.db"));
        {
            QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("foreign"));
            db.setDatabaseName(foreign);
            QVERIFY(db.open());
            TestHome::exec(db, QStringLiteral("CREATE TABLE data (x)"));
            db.close();
        }
        QSqlDatabase::removeDatabase(QStringLiteral("foreign"));
        QVERIFY(QFile::link(home.file(QStringLiteral("door.db")), QDir(other.path()).filePath(QStringLiteral("alias.db"))));

        Window win;
        int closed = 0;
        BackupRestore::closeModelessWindows = [&] { ++closed; };
        ScriptedPrompter prompts;
        for (const QString& file : {text, foreign, QDir(other.path()).filePath(QStringLiteral("missing.db")),
                                    home.file(QStringLiteral("door.db")),
                                    QDir(other.path()).filePath(QStringLiteral("alias.db"))}) {
            prompts.clear();
            prompts.answerNext(Prompter::Answer::Yes);
            win.choose(file);
            win.restore->click();
            QVERIFY2(prompts.texts() == QStringList{QStringLiteral("选择数据库错误！")}, qPrintable(file));
        }
        // Cancelling the file choice does nothing.
        prompts.clear();
        win.choose(QString());
        win.restore->click();
        QVERIFY(prompts.shown.isEmpty());
        QCOMPARE(closed, 0);
        QCOMPARE(liveRecords(), 4);
        QVERIFY(Database::sharedIsOpen());
    }

    void restorePutsTheCopyInPlace()
    {
        TestHome home;
        QTemporaryDir other;
        const QString copy = QDir(other.path()).filePath(QStringLiteral("copy.db"));
        addRecords(home.db(), 10);
        QVERIFY(BackupRestore::backup(home.db(), copy).ok);
        home.exec(QStringLiteral("DELETE FROM data"));
        home.exec(QStringLiteral("INSERT INTO people (卡号, 姓名) VALUES ('000001', '张三')"));

        Window win;
        int closed = 0;
        BackupRestore::closeModelessWindows = [&] {
            QVERIFY(Database::sharedIsOpen());
            ++closed;
        };
        win.choose(copy);
        ScriptedPrompter prompts;
        // No keeps everything.
        prompts.answerNext(Prompter::Answer::No);
        win.restore->click();
        QCOMPARE(prompts.shown.size(), 1);
        QCOMPARE(prompts.last(), QStringLiteral("此操作会将后备数据库覆盖现有数据库，要继续吗？"));
        QCOMPARE(prompts.shown.last().icon, Prompter::Icon::Critical);
        QCOMPARE(liveRecords(), 0);

        prompts.clear();
        prompts.answerNext(Prompter::Answer::Yes);
        win.restore->click();
        QCOMPARE(prompts.texts(), (QStringList{QStringLiteral("此操作会将后备数据库覆盖现有数据库，要继续吗？"),
                                               QStringLiteral("数据已被恢复！")}));
        QCOMPARE(closed, 1);
        QVERIFY(Database::sharedIsOpen());
        QCOMPARE(liveRecords(), 10);
        QCOMPARE(home.scalar(QStringLiteral("SELECT count(*) FROM people")).toInt(), 0);
        // The shared connection works on the restored file and keeps what it writes.
        addRecords(home.db(), 1);
        Database::closeShared();
        QCOMPARE(rowsIn(home.file(QStringLiteral("door.db")), QStringLiteral("data")), 11);
        QVERIFY(!QFileInfo::exists(home.file(QStringLiteral("door.db-wal"))));
        QCOMPARE(QDir(home.path()).entryList(QDir::Files | QDir::Hidden), QStringList{QStringLiteral("door.db")});
        // The chosen copy is left as it was.
        QCOMPARE(rowsIn(copy, QStringLiteral("data")), 10);
    }

    void restoreTakesWhatLiesInTheCopysOwnLog()
    {
        TestHome home;
        QTemporaryDir other;
        const QString copy = QDir(other.path()).filePath(QStringLiteral("copy.db"));
        QVERIFY(BackupRestore::backup(home.db(), copy).ok);
        // Another program holds the copy open with rows still in its log.
        {
            QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("holder"));
            db.setDatabaseName(copy);
            QVERIFY(db.open());
            QSqlQuery q(db);
            QVERIFY(q.exec(QStringLiteral("PRAGMA journal_mode=WAL")));
            q.finish();
            QVERIFY(q.exec(QStringLiteral("PRAGMA wal_autocheckpoint=0")));
            addRecords(db, 25);
            QVERIFY(QFileInfo(copy + QStringLiteral("-wal")).size() > 0);

            Window win;
            ScriptedPrompter prompts;
            win.restoreAnsweringYes(copy, prompts);
            QCOMPARE(prompts.last(), QStringLiteral("数据已被恢复！"));
            QCOMPARE(liveRecords(), 25);
            db.close();
        }
        QSqlDatabase::removeDatabase(QStringLiteral("holder"));
    }

    void aRestoreWhoseCopyFailsHalfWayKeepsTheLiveData()
    {
        TestHome home;
        QTemporaryDir other;
        const QString copy = QDir(other.path()).filePath(QStringLiteral("copy.db"));
        addRecords(home.db(), 600);
        QVERIFY(BackupRestore::backup(home.db(), copy).ok);
        home.exec(QStringLiteral("DELETE FROM data WHERE 地址 < 50"));
        const int before = liveRecords();

        Window win;
        int closed = 0;
        BackupRestore::closeModelessWindows = [&] { ++closed; };
        win.w.hooks.afterCopy = [](const QString& part) { halve(part); };
        ScriptedPrompter prompts;
        win.restoreAnsweringYes(copy, prompts);
        QCOMPARE(prompts.shown.size(), 2);
        QVERIFY(prompts.last().startsWith(QStringLiteral("数据恢复失败，现有数据库没有改变。")));
        QCOMPARE(prompts.shown.last().icon, Prompter::Icon::Exclamation);
        QCOMPARE(closed, 0);
        QVERIFY(Database::sharedIsOpen());
        QCOMPARE(liveRecords(), before);
        QStringList left = QDir(home.path()).entryList(QDir::Files | QDir::Hidden);
        left.removeAll(QStringLiteral("door.db-wal"));
        left.removeAll(QStringLiteral("door.db-shm"));
        QCOMPARE(left, QStringList{QStringLiteral("door.db")});
    }
    // Another copy of the program holding door.db open would go on writing
    // into the file the restore takes away: the restore waits for it.
    void restoreRefusedWhileAnotherConnectionHoldsTheLiveFile()
    {
        TestHome home;
        QTemporaryDir other;
        const QString copy = QDir(other.path()).filePath(QStringLiteral("copy.db"));
        addRecords(home.db(), 10);
        QVERIFY(BackupRestore::backup(home.db(), copy).ok);
        home.exec(QStringLiteral("DELETE FROM data"));
        QVERIFY(Database::openFile(home.file(QStringLiteral("door.db")), QStringLiteral("second")).ok());

        Window win;
        ScriptedPrompter prompts;
        win.restoreAnsweringYes(copy, prompts);
        QCOMPARE(prompts.shown.size(), 2);
        QVERIFY(prompts.last().startsWith(QStringLiteral("数据恢复失败，现有数据库没有改变。")));
        QVERIFY(Database::sharedIsOpen());
        QCOMPARE(liveRecords(), 0);
        {
            QSqlDatabase second = QSqlDatabase::database(QStringLiteral("second"));
            addRecords(second, 3);
        }
        Database::removeConnection(QStringLiteral("second"));
        // What the other connection wrote is in the live database.
        QCOMPARE(liveRecords(), 3);
        QStringList left = QDir(home.path()).entryList(QDir::Files | QDir::Hidden);
        left.removeAll(QStringLiteral("door.db-wal"));
        left.removeAll(QStringLiteral("door.db-shm"));
        QCOMPARE(left, QStringList{QStringLiteral("door.db")});

        // Once it is gone the restore goes ahead.
        prompts.clear();
        prompts.answerNext(Prompter::Answer::Yes);
        win.restore->click();
        QCOMPARE(prompts.last(), QStringLiteral("数据已被恢复！"));
        QCOMPARE(liveRecords(), 10);
    }
    // A window beside the menu that would not close (its exchange with a
    // controller still waits) would go on with the connection the restore
    // takes away: nothing is replaced.
    void restoreRefusedWhileAWindowBesideStaysOpen()
    {
        TestHome home;
        QTemporaryDir other;
        const QString copy = QDir(other.path()).filePath(QStringLiteral("copy.db"));
        addRecords(home.db(), 10);
        QVERIFY(BackupRestore::backup(home.db(), copy).ok);
        home.exec(QStringLiteral("DELETE FROM data"));

        bool stillOpen = true;
        BackupRestore::closeModelessWindows = [] {};
        BackupRestore::modelessWindowsOpen = [&] { return stillOpen; };
        Window win;
        ScriptedPrompter prompts;
        win.restoreAnsweringYes(copy, prompts);
        QCOMPARE(prompts.shown.size(), 2);
        QVERIFY(prompts.last().startsWith(QStringLiteral("数据恢复失败，现有数据库没有改变。")));
        QVERIFY(Database::sharedIsOpen());
        QCOMPARE(liveRecords(), 0);
        QStringList left = QDir(home.path()).entryList(QDir::Files | QDir::Hidden);
        left.removeAll(QStringLiteral("door.db-wal"));
        left.removeAll(QStringLiteral("door.db-shm"));
        QCOMPARE(left, QStringList{QStringLiteral("door.db")});

        stillOpen = false;
        prompts.clear();
        prompts.answerNext(Prompter::Answer::Yes);
        win.restore->click();
        QCOMPARE(prompts.last(), QStringLiteral("数据已被恢复！"));
        QCOMPARE(liveRecords(), 10);
    }
};

QTEST_MAIN(TestForm1)
#include "tst_form1.moc"
