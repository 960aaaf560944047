// A program killed while it imports seda.dat: the run's records are in
// `data` all or not at all, the file still holds them when none were
// stored, and the next start stores them once.
//
// The program is this test's own executable, started with
// --import-helper FOLDER: it imports the folder's spool file as the timed
// collection does and is killed with SIGKILL at varying moments.

#include "db/Database.h"
#include "db/ProgramFolder.h"
#include "records/SpoolFile.h"
#include "support/TestHome.h"

#include <QCoreApplication>
#include <QFile>
#include <QProcess>
#include <QTest>
#include <QThread>

#include <cstdio>

namespace {

constexpr int kRecords = 20000;

int importHelper(const QString& folder)
{
    ProgramFolder::set(folder);
    if (!Database::openShared().ok())
        return 2;
    std::fputs("importing\n", stdout);
    std::fflush(stdout);
    const SpoolFile::ImportOutcome o = SpoolFile::ImportRecords(Database::shared(), folder);
    if (!o.ok())
        std::fprintf(stderr, "import: %d %s\n", int(o.status), qPrintable(o.error));
    return o.ok() ? 0 : 1;
}

QList<CollectedRecord> runRecords()
{
    QList<CollectedRecord> out;
    for (int i = 0; i < kRecords; ++i) {
        CollectedRecord r;
        r.card = QStringLiteral("%1").arg(i, 6, 10, QLatin1Char('0'));
        r.date = QDate(2024, 3, 1).addDays(i % 30);
        r.time = QTime(8, i % 60);
        r.address = i % 7;
        r.flag = static_cast<qint16>(i % 4 + 1);
        out << r;
    }
    return out;
}

}  // namespace

class TestCollectKill : public QObject {
    Q_OBJECT
private slots:
    void allOrNone();
};

void TestCollectKill::allOrNone()
{
    const QList<CollectedRecord> records = runRecords();
    int killedBefore = 0;
    for (int delayMs : {0, 0, 5, 20, 60, 150, 400}) {
        TestHome h;
        const QString spool = SpoolFile::path(h.path());
        QVERIFY(SpoolFile::append(spool, records));
        QFile f(spool);
        QVERIFY(f.open(QIODevice::ReadOnly));
        const QByteArray written = f.readAll();
        f.close();

        QProcess helper;
        helper.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--import-helper"), h.path()});
        QVERIFY(helper.waitForStarted(60000));
        while (!helper.canReadLine() && helper.state() == QProcess::Running)
            helper.waitForReadyRead(1000);
        QCOMPARE(helper.readLine(), QByteArray("importing\n"));
        if (delayMs > 0)
            QThread::msleep(delayMs);
        helper.kill();
        QVERIFY(helper.waitForFinished(60000));

        const int stored = h.scalar(QStringLiteral("SELECT count(*) FROM data")).toInt();
        QVERIFY2(stored == 0 || stored == kRecords, qPrintable(QString::number(stored)));
        if (stored == 0) {
            ++killedBefore;
            QVERIFY(f.open(QIODevice::ReadOnly));
            QCOMPARE(f.readAll(), written);
            f.close();
        }

        // Started again: every record once, and the file gone.
        QProcess again;
        again.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--import-helper"), h.path()});
        QVERIFY(again.waitForFinished(120000));
        QVERIFY2(again.exitStatus() == QProcess::NormalExit && again.exitCode() == 0,
                 qPrintable(QStringLiteral("%1 %2 %3").arg(again.exitCode()).arg(again.exitStatus()).arg(QString::fromLocal8Bit(again.readAllStandardError()))));
        QCOMPARE(h.scalar(QStringLiteral("SELECT count(*) FROM data")).toInt(), kRecords);
        QVERIFY(!QFile::exists(spool));
    }
    // The kill did land inside an import, not only after it.
    QVERIFY(killedBefore > 0);
}

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() == 3 && args.at(1) == QLatin1String("--import-helper"))
        return importHelper(args.at(2));
    TestCollectKill t;
    return QTest::qExec(&t, argc, argv);
}

#include "tst_collectkill.moc"
