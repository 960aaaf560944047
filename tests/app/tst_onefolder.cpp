#include "support/OpenWatch.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include <csignal>

namespace {

QString program()
{
    return QDir(QCoreApplication::applicationDirPath()).absoluteFilePath(QStringLiteral("../door"));
}

// The program on `home`, without a screen.
void start(QProcess& p, const QString& home, const QString& workingFolder = QString())
{
    if (!workingFolder.isEmpty())
        p.setWorkingDirectory(workingFolder);
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    p.setProcessEnvironment(env);
    p.start(program(), {QStringLiteral("--home"), home});
}

// True when process `pid` holds door.db of `home` open.
bool holdsDatabase(qint64 pid, const QString& home)
{
    const QString db = QFileInfo(home + QStringLiteral("/door.db")).canonicalFilePath();
    const QDir fds(QStringLiteral("/proc/%1/fd").arg(pid));
    for (const QFileInfo& fd : fds.entryInfoList(QDir::Files | QDir::System | QDir::NoDotAndDotDot)) {
        if (!db.isEmpty() && fd.symLinkTarget() == db)
            return true;
    }
    return false;
}

// Waits until the program on `home` has passed the folder's lock and opened
// its database (it then shows the login and keeps running).
bool waitForLogin(QProcess& p, const QString& home)
{
    return QTest::qWaitFor([&] { return p.state() == QProcess::Running && holdsDatabase(p.processId(), home); },
                           60000);
}

}  // namespace

class OneFolderTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void secondStartOnTheSameFolderEnds();
    void lockOfAKilledProgramDoesNotBlock();
    void startedInItsFolderWorksElsewhere();
};

void OneFolderTest::initTestCase()
{
    QVERIFY2(QFileInfo(program()).isExecutable(), qPrintable(program()));
}

void OneFolderTest::secondStartOnTheSameFolderEnds()
{
    QTemporaryDir home;
    QProcess first;
    start(first, home.path());
    QVERIFY(waitForLogin(first, home.path()));
    // The first program keeps its handles; any opening from now on is the
    // second program's.
    OpenWatch watch(OpenWatch::databaseFiles(home.path()));
    QVERIFY(watch.watching());
    // On a loaded machine the first may still be opening its files: the
    // second starts once a whole second has passed without an opening.
    int still = 0;
    for (int i = 0; i < 60 && still < 1; ++i) {
        QTest::qWait(1000);
        still = watch.opened().isEmpty() ? still + 1 : 0;
    }
    QCOMPARE(still, 1);

    QProcess second;
    start(second, home.path());
    // It says why and ends by itself; a login window would keep it running.
    QVERIFY(second.waitForFinished(60000));
    QCOMPARE(second.exitStatus(), QProcess::NormalExit);
    QCOMPARE(second.exitCode(), 1);
    QVERIFY(QString::fromUtf8(second.readAllStandardError())
                .contains(QStringLiteral("门禁管理系统已经在这个文件夹中运行")));
    QCOMPARE(watch.opened(), QStringList());
    // The watch does see an opening.
    QVERIFY(QFile(home.filePath(QStringLiteral("door.db"))).open(QIODevice::ReadOnly));
    QCOMPARE(watch.opened(), QStringList{QStringLiteral("door.db")});
    QCOMPARE(first.state(), QProcess::Running);

    // Another folder is another program.
    QTemporaryDir other;
    QProcess elsewhere;
    start(elsewhere, other.path());
    QVERIFY(waitForLogin(elsewhere, other.path()));
    elsewhere.kill();
    elsewhere.waitForFinished();
    first.kill();
    first.waitForFinished();
}

void OneFolderTest::lockOfAKilledProgramDoesNotBlock()
{
    QTemporaryDir home;
    QProcess killed;
    start(killed, home.path());
    QVERIFY(waitForLogin(killed, home.path()));
    ::kill(static_cast<pid_t>(killed.processId()), SIGKILL);
    QVERIFY(killed.waitForFinished());
    QVERIFY(QFile::exists(home.filePath(QStringLiteral("door.lock"))));

    QProcess next;
    start(next, home.path());
    QVERIFY2(waitForLogin(next, home.path()), next.readAllStandardError().constData());
    next.kill();
    next.waitForFinished();
}

// Dialogs that Qt opens by itself (the print dialog's file chooser) start in
// the current folder; listing the program folder there would open door.db
// behind SQLite's back.
void OneFolderTest::startedInItsFolderWorksElsewhere()
{
    QTemporaryDir home;
    QProcess p;
    start(p, home.path(), home.path());
    QVERIFY(waitForLogin(p, home.path()));
    const QString cwd = QFileInfo(QStringLiteral("/proc/%1/cwd").arg(p.processId())).symLinkTarget();
    const QString folder = QFileInfo(home.path()).canonicalFilePath();
    p.kill();
    p.waitForFinished();
    QVERIFY(!cwd.isEmpty());
    QVERIFY2(cwd != folder && !cwd.startsWith(folder + QLatin1Char('/')), qPrintable(cwd));
}

QTEST_MAIN(OneFolderTest)
#include "tst_onefolder.moc"
