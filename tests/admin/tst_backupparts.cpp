#include "admin/BackupRestore.h"
#include "support/TestHome.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

class BackupPartsTest : public QObject {
    Q_OBJECT
private slots:
    void staleCopiesAreRemovedAtTheNextBackup_data();
    void staleCopiesAreRemovedAtTheNextBackup();
};

void BackupPartsTest::staleCopiesAreRemovedAtTheNextBackup_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("ageMinutes");
    QTest::addColumn<bool>("removed");
    QTest::addColumn<bool>("inProgramFolder");
    QTest::addColumn<bool>("restoring");
    const QString uuid = QStringLiteral("0123456789abcdef0123456789abcdef");
    const QString part = QStringLiteral(".week.db.%1.part").arg(uuid);
    const QString restoreCopy = QStringLiteral(".door.db.%1.part").arg(uuid);
    const QString olderRestoreCopy = QStringLiteral(".restore-%1.db").arg(uuid);
    QTest::newRow("killed backup's copy") << part << 60 << true << false << false;
    QTest::newRow("its journal") << QStringLiteral(".week.db.%1.part-journal").arg(uuid) << 60 << true << false << false;
    QTest::newRow("a copy still being written") << part << 0 << false << false << false;
    QTest::newRow("another program's part file") << QStringLiteral("video.part") << 60 << false << false << false;
    QTest::newRow("a name of another shape") << QStringLiteral(".week.db.1234.part") << 60 << false << false << false;
    QTest::newRow("killed restore's copy, next backup") << restoreCopy << 60 << true << true << false;
    QTest::newRow("killed restore's copy, next restore") << restoreCopy << 60 << true << true << true;
    QTest::newRow("a restore copy of the older name") << olderRestoreCopy << 60 << true << true << true;
    QTest::newRow("its log") << olderRestoreCopy + QStringLiteral("-wal") << 60 << true << true << false;
    QTest::newRow("a restore copy still being written") << restoreCopy << 0 << false << true << true;
}

void BackupPartsTest::staleCopiesAreRemovedAtTheNextBackup()
{
    QFETCH(QString, name);
    QFETCH(int, ageMinutes);
    QFETCH(bool, removed);
    QFETCH(bool, inProgramFolder);
    QFETCH(bool, restoring);
    TestHome home;
    QTemporaryDir folder;
    const QString backup = folder.filePath(QStringLiteral("copy.db"));
    if (restoring)
        QVERIFY(BackupRestore::backup(home.db(), backup).ok);
    const QString left = (inProgramFolder ? home.file(name) : folder.filePath(name));
    {
        QFile f(left);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(QByteArray(1024, '\0'));
        f.flush();
        QVERIFY(f.setFileTime(QDateTime::currentDateTime().addSecs(-60 * ageMinutes),
                              QFileDevice::FileModificationTime));
    }
    if (restoring) {
        const BackupRestore::RestoreOutcome out = BackupRestore::restore(backup);
        QVERIFY2(out.status == BackupRestore::RestoreStatus::Restored, qPrintable(out.error));
    } else {
        const BackupRestore::Outcome out =
            BackupRestore::backup(home.db(), BackupRestore::targetFor(folder.path(), QStringLiteral("today")));
        QVERIFY2(out.ok, qPrintable(out.error));
        QVERIFY(QFile::exists(folder.filePath(QStringLiteral("today.db"))));
    }
    QCOMPARE(!QFile::exists(left), removed);
    // Nothing of the job's own is left beside its file.
    const QStringList rest = QDir(folder.path()).entryList(QDir::Files | QDir::Hidden);
    QCOMPARE(rest.size(), removed || inProgramFolder ? 1 : 2);
    const QStringList hidden = QDir(home.path()).entryList({QStringLiteral(".*")}, QDir::Files | QDir::Hidden);
    QCOMPARE(hidden, removed || !inProgramFolder ? QStringList() : QStringList{name});
}

QTEST_MAIN(BackupPartsTest)
#include "tst_backupparts.moc"
