#include "doorsim/Simulator.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QtTest>

class SimLinkTest : public QObject {
    Q_OBJECT
private slots:
    void linkFolderIsMadeOrRefusedWithTheReason_data();
    void linkFolderIsMadeOrRefusedWithTheReason();
};

void SimLinkTest::linkFolderIsMadeOrRefusedWithTheReason_data()
{
    QTest::addColumn<QString>("folder");
    QTest::addColumn<bool>("made");
    QTest::addColumn<QString>("words");
    QTest::newRow("a folder not made yet") << QStringLiteral("new/door-home") << true << QString();
    QTest::newRow("a folder below a file") << QStringLiteral("file/door-home") << false
                                           << QStringLiteral("cannot make the folder");
}

void SimLinkTest::linkFolderIsMadeOrRefusedWithTheReason()
{
    QFETCH(QString, folder);
    QFETCH(bool, made);
    QFETCH(QString, words);
    QTemporaryDir dir;
    QFile file(dir.filePath(QStringLiteral("file")));
    QVERIFY(file.open(QIODevice::WriteOnly));
    Simulator sim;
    QString why;
    QVERIFY2(sim.start(&why), qPrintable(why));
    const QString path = dir.filePath(folder);
    QCOMPARE(sim.makeLink(path, 1, &why), made);
    if (made) {
        QCOMPARE(QFileInfo(path + QStringLiteral("/com1")).symLinkTarget(), sim.slavePath());
        // It becomes the door program's folder, which is for its owner only.
        QCOMPARE(QFile::permissions(path) & 0x0077, QFileDevice::Permissions());
    } else {
        QVERIFY2(why.contains(words) && why.contains(path) && why.size() > words.size() + path.size() + 2,
                 qPrintable(why));
    }
}

QTEST_MAIN(SimLinkTest)
#include "tst_simlink.moc"
