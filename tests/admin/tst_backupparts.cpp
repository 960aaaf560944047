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
    const QString uuid = QStringLiteral("0123456789abcdef0123456789abcdef");
    QTest::newRow("killed backup's copy") << QStringLiteral(".week.db.%1.part").arg(uuid) << 60 << true;
    QTest::newRow("its journal") << QStringLiteral(".week.db.%1.part-journal").arg(uuid) << 60 << true;
    QTest::newRow("a copy still being written") << QStringLiteral(".week.db.%1.part").arg(uuid) << 0 << false;
    QTest::newRow("another program's part file") << QStringLiteral("video.part") << 60 << false;
    QTest::newRow("a name of another shape") << QStringLiteral(".week.db.1234.part") << 60 << false;
    QTest::newRow("killed restore's copy, older name") << QStringLiteral(".restore-%1.db").arg(uuid) << 60 << true;
}

void BackupPartsTest::staleCopiesAreRemovedAtTheNextBackup()
{
    QFETCH(QString, name);
    QFETCH(int, ageMinutes);
    QFETCH(bool, removed);
    TestHome home;
    QTemporaryDir folder;
    // A restore's copy lies in the program folder.
    const QString left = name.startsWith(QLatin1String(".restore-")) ? home.file(name) : folder.filePath(name);
    {
        QFile f(left);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(QByteArray(1024, '\0'));
        f.flush();
        QVERIFY(f.setFileTime(QDateTime::currentDateTime().addSecs(-60 * ageMinutes),
                              QFileDevice::FileModificationTime));
    }
    const BackupRestore::Outcome out =
        BackupRestore::backup(home.db(), BackupRestore::targetFor(folder.path(), QStringLiteral("today")));
    QVERIFY2(out.ok, qPrintable(out.error));
    QCOMPARE(!QFile::exists(left), removed);
    QVERIFY(QFile::exists(folder.filePath(QStringLiteral("today.db"))));
    // Nothing of the new backup's own is left beside it.
    const QStringList rest = QDir(folder.path()).entryList(QDir::Files | QDir::Hidden);
    QCOMPARE(rest.size(), removed ? 1 : 2);
}

QTEST_MAIN(BackupPartsTest)
#include "tst_backupparts.moc"
