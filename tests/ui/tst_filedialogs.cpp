// Every file dialog and file list of the program, shown on the program
// folder, must leave door.db and its logs alone: a handle opened and closed
// on them by this process drops the locks SQLite holds there.

#include "admin/Form1.h"
#include "attendance/AttendanceQuery.h"
#include "attendance/FrmMon.h"
#include "db/Database.h"
#include "db/ProgramFolder.h"
#include "people/Frmxg.h"
#include "reports/ReportPrint.h"
#include "reports/ReportStaging.h"
#include "session/Session.h"
#include "support/OpenWatch.h"
#include "support/OperatorInput.h"
#include "support/ScriptedPrompter.h"
#include "support/TestHome.h"

#include <QAction>
#include <QApplication>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QPrintPreviewDialog>
#include <QProcess>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTimer>

#include <cstdio>
#include <QtTest>

#include <functional>
#include <memory>

namespace {

QFileDialog* shownFileDialog()
{
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (auto* d = qobject_cast<QFileDialog*>(w); d && d->isVisible())
            return d;
    }
    return nullptr;
}

// What the next file dialog showed: the folder it started in, and whether
// it listed `folder` with every file's type (the type is what the default
// icon provider reads a file for).
struct Look {
    bool shown = false;
    bool native = true;
    QString startedIn;
    bool listed = false;
};

// Waits for the next file dialog, turns it to `folder` as an operator
// would, waits until its list is complete, then hands it to `finish`.
void lookAtNextFileDialog(Look* look, const QString& folder, const std::function<void(QFileDialog*)>& finish)
{
    auto* timer = new QTimer(qApp);
    QObject::connect(timer, &QTimer::timeout, timer, [=] {
        QFileDialog* d = shownFileDialog();
        if (!d)
            return;
        timer->stop();
        timer->deleteLater();
        look->shown = true;
        look->native = !d->testOption(QFileDialog::DontUseNativeDialog);
        look->startedIn = d->directory().absolutePath();
        d->setViewMode(QFileDialog::Detail);
        auto* model = d->findChild<QFileSystemModel*>();
        if (!model) {
            finish(d);
            return;
        }
        d->setDirectory(folder);
        // A name filter hides door.db from the list, though it is looked at
        // all the same; typing "*" as the name shows every file.
        model->setNameFilters({});
        const QString db = QDir(folder).filePath(QStringLiteral("door.db"));
        look->listed = QTest::qWaitFor(
            [&] {
                const QModelIndex shown = model->index(db, 2);
                return shown.isValid() && !model->data(shown).toString().isEmpty();
            },
            20000);
        finish(d);
    });
    timer->start(20);
}

// Types `name` over the file dialog's name and presses Enter; a dialog
// that stays open (it refused the name) is cancelled.
std::function<void(QFileDialog*)> typeName(const QString& name)
{
    return [name](QFileDialog* d) {
        OperatorInput::typeInto(d->findChild<QWidget*>(QStringLiteral("fileNameEdit")), name);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        if (d->isVisible())
            d->reject();
    };
}

// Triggers the preview's PDF button once the preview is shown, saving the
// proposed name into `target` (or typing `typed`), then closes the preview.
void savePdfFromNextPreview(Look* look, const QString& folder, const QString& target, const QString& typed = {})
{
    auto* timer = new QTimer(qApp);
    QObject::connect(timer, &QTimer::timeout, timer, [=] {
        QPrintPreviewDialog* preview = nullptr;
        for (QWidget* w : QApplication::topLevelWidgets()) {
            if (auto* p = qobject_cast<QPrintPreviewDialog*>(w); p && p->isVisible())
                preview = p;
        }
        if (!preview)
            return;
        timer->stop();
        timer->deleteLater();
        QAction* save = nullptr;
        for (QAction* a : preview->findChildren<QAction*>()) {
            if (a->text() == QStringLiteral("保存为PDF"))
                save = a;
        }
        if (save) {
            lookAtNextFileDialog(look, folder, [target, typed](QFileDialog* d) {
                if (!typed.isEmpty())
                    return typeName(typed)(d);
                d->setDirectory(target);
                static_cast<QDialog*>(d)->accept();
            });
            save->trigger();
        }
        preview->reject();
    });
    timer->start(20);
}

enum class Dialog { PdfSave, RestoreChooser, PhotoChooser, MonthlySheetSave, BackupWindowLists };

}  // namespace

Q_DECLARE_METATYPE(Dialog)

class FileDialogsTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void dialogsLeaveTheDatabaseAlone_data();
    void dialogsLeaveTheDatabaseAlone();
    void monthlySheetSaveAddsItsSuffix();
    void ownFilesAreRefused_data();
    void ownFilesAreRefused();

private:
    QTemporaryDir user_;
    QTemporaryDir saved_;
};

void FileDialogsTest::initTestCase()
{
    // The operator's documents folder, where the first PDF goes.
    QVERIFY(QDir(user_.path()).mkpath(QStringLiteral("Documents")));
    qputenv("HOME", user_.path().toLocal8Bit());
    qunsetenv("XDG_CONFIG_HOME");
}

void FileDialogsTest::dialogsLeaveTheDatabaseAlone_data()
{
    // Each row starts where the rows before it left the last folder used.
    QTest::addColumn<Dialog>("dialog");
    QTest::addColumn<QString>("startsIn");  // "documents", "last", "home": the program folder
    QTest::newRow("PDF save in the print preview") << Dialog::PdfSave << "documents";
    QTest::newRow("restore chooser") << Dialog::RestoreChooser << "last";
    QTest::newRow("photo chooser") << Dialog::PhotoChooser << "home";
    QTest::newRow("monthly sheet save") << Dialog::MonthlySheetSave << "last";
    QTest::newRow("backup window's folder and file lists") << Dialog::BackupWindowLists << "";
}

void FileDialogsTest::dialogsLeaveTheDatabaseAlone()
{
    QFETCH(Dialog, dialog);
    QFETCH(QString, startsIn);
    TestHome home;
    ScriptedPrompter prompts;
    home.exec(QStringLiteral("INSERT INTO datakq (卡号, 日期, 姓名) VALUES ('000001', '2024-03-04', '张三')"));
    OpenWatch watch(OpenWatch::databaseFiles(home.path()));
    QCOMPARE(watch.opened(), QStringList());
    QCOMPARE(OpenWatch::databaseFiles(home.path()).size(), 3);

    Look look;
    const auto cancel = [](QFileDialog* d) { d->reject(); };
    switch (dialog) {
    case Dialog::PdfSave: {
        AttendanceQuery::Filter all;
        QVERIFY(AttendanceQuery::stage(home.db(), AttendanceQuery::statement(home.db(), all)).ok());
        savePdfFromNextPreview(&look, home.path(), saved_.path());
        QVERIFY(ReportPrint::preview(nullptr, AttendanceQuery::report(home.db())).ok());
        const QStringList pdfs = QDir(saved_.path()).entryList({QStringLiteral("*.pdf")});
        QVERIFY2(pdfs.size() == 1 && QFileInfo(saved_.filePath(pdfs.first())).size() > 0,
                 qPrintable(prompts.texts().join('|')));
        break;
    }
    case Dialog::RestoreChooser: {
        Form1 form;
        lookAtNextFileDialog(&look, home.path(), cancel);
        QVERIFY(form.chooseRestoreFile(&form).isEmpty());
        break;
    }
    case Dialog::PhotoChooser: {
        Frmxg form;
        lookAtNextFileDialog(&look, home.path(), cancel);
        QVERIFY(form.photoDialog(&form).isEmpty());
        break;
    }
    case Dialog::MonthlySheetSave: {
        FrmMon form;
        lookAtNextFileDialog(&look, home.path(), cancel);
        QVERIFY(form.saveDialog(&form, QString()).isEmpty());
        break;
    }
    case Dialog::BackupWindowLists: {
        // The backup window opens on the program folder and lists its files.
        Form1 form;
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        QTest::qWait(300);
        break;
    }
    }
    if (dialog != Dialog::BackupWindowLists) {
        QVERIFY(look.shown);
        QVERIFY(!look.native);
        QVERIFY(look.listed);
        const QString expected = startsIn == QLatin1String("documents") ? QDir(user_.path()).filePath(QStringLiteral("Documents"))
                                 : startsIn == QLatin1String("last")     ? saved_.path()
                                                                         : home.path();
        QCOMPARE(QFileInfo(look.startedIn).canonicalFilePath(), QFileInfo(expected).canonicalFilePath());
    }
    QCOMPARE(watch.opened(), QStringList());

    // An edit after it is in door.db for another process to read.
    home.exec(QStringLiteral("UPDATE datakq SET 姓名 = '李四' WHERE 卡号 = '000001'"));
    QProcess reader;
    reader.start(QCoreApplication::applicationFilePath(),
                 {QStringLiteral("--read"), Database::livePath(), QStringLiteral("SELECT 姓名 FROM datakq")});
    QVERIFY(reader.waitForFinished(60000));
    QCOMPARE(QString::fromUtf8(reader.readAllStandardOutput()).trimmed(), QStringLiteral("李四"));
    // The watch does see an opening.
    QVERIFY(QFile(Database::livePath()).open(QIODevice::ReadOnly));
    QVERIFY(watch.opened().contains(QStringLiteral("door.db")));
}

// A name typed without a suffix is saved with the one the dialog lists.
void FileDialogsTest::monthlySheetSaveAddsItsSuffix()
{
    TestHome home;
    ScriptedPrompter prompts;
    FrmMon form;
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    Look look;
    lookAtNextFileDialog(&look, home.path(), [](QFileDialog* d) {
        auto* name = d->findChild<QWidget*>(QStringLiteral("fileNameEdit"));
        QTest::mouseClick(name, Qt::LeftButton);
        QTest::keyClicks(name, QStringLiteral("month_000101"));
        QTest::keyClick(name, Qt::Key_Return);
    });
    QTest::mouseClick(form.findChild<QWidget*>(QStringLiteral("Command6")), Qt::LeftButton);
    QCOMPARE(QDir(home.path()).entryList({QStringLiteral("month_000101*")}), QStringList{"month_000101.doc"});
}

void FileDialogsTest::ownFilesAreRefused_data()
{
    // Typed into a dialog turned to the program folder, whose folder "sub"
    // holds links to it ("up"), to door.db ("door.doc") and to seda.dat
    // before it exists ("spool.doc"). `own` is the file the refusal names;
    // none in the one row that saves, through the PDF button.
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("own");
    QTest::newRow("sheet: bare name") << "door.db" << "door.db";
    QTest::newRow("sheet: the log") << "door.db-wal" << "door.db-wal";
    QTest::newRow("sheet: other case") << "Door.DB" << "door.db";
    QTest::newRow("sheet: relative with ..") << "sub/../seda.rej" << "seda.rej";
    QTest::newRow("sheet: folder through a link") << "sub/up/SysInf.ini" << "SysInf.ini";
    QTest::newRow("sheet: a link to door.db") << "sub/door.doc" << "door.db";
    QTest::newRow("sheet: a link to a file yet to come") << "sub/spool.doc" << "seda.dat";
    QTest::newRow("pdf: door.db gets its suffix first") << "door.db" << "";
}

// Nothing the operator names may replace or be read in place of the
// program's own files: each keeps every byte, and door.db its data.
void FileDialogsTest::ownFilesAreRefused()
{
    QFETCH(QString, typed);
    QFETCH(QString, own);
    TestHome home;
    ScriptedPrompter prompts;
    home.exec(QStringLiteral("INSERT INTO department (部门) VALUES ('保存前')"));  // in the log, not in door.db
    QVERIFY(QDir(home.path()).mkdir(QStringLiteral("sub")));
    QVERIFY(QFile::link(home.path(), home.file(QStringLiteral("sub/up"))));
    QVERIFY(QFile::link(home.file(QStringLiteral("door.db")), home.file(QStringLiteral("sub/door.doc"))));
    QVERIFY(QFile::link(home.file(QStringLiteral("seda.dat")), home.file(QStringLiteral("sub/spool.doc"))));
    // A file written anew shows as well. The log index changes with every
    // reader; the log itself may not. (The one PDF saved is no file of ours.)
    const auto contents = [&] {
        QStringList all;
        for (const QString& f : QDir(home.path()).entryList(QDir::Files | QDir::Hidden, QDir::Name))
            if (QFile file(home.file(f)); !f.endsWith(u"-shm") && !f.endsWith(u".pdf") && file.open(QIODevice::ReadOnly))
                all << f + QLatin1Char(':') + QString::fromLatin1(file.readAll().toHex());
        return all;
    };
    const QStringList before = contents();

    Look look;
    FrmMon sheet;  // tells that no work times are set
    prompts.clear();
    if (!own.isEmpty()) {
        lookAtNextFileDialog(&look, home.path(), typeName(typed));
        QTest::mouseClick(sheet.findChild<QWidget*>(QStringLiteral("Command6")), Qt::LeftButton);
    } else {
        savePdfFromNextPreview(&look, home.path(), QString(), typed);
        QVERIFY(ReportPrint::preview(nullptr, AttendanceQuery::report(home.db())).ok());
        QVERIFY(QFileInfo(home.file(QStringLiteral("door.db.pdf"))).size() > 0);
    }
    // One box that names the file, and no question about replacing one.
    QCOMPARE(prompts.texts().size(), own.isEmpty() ? 0 : 1);
    if (!own.isEmpty())
        QVERIFY2(prompts.last().contains(QDir::toNativeSeparators(home.file(own))), qPrintable(prompts.last()));
    QVERIFY(contents() == before);  // seda.dat not made either
}

// Another process reading the database: prints the first value of `sql`.
int readHelper(const QString& file, const QString& sql)
{
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("reader"));
    db.setDatabaseName(file);
    if (!db.open())
        return 2;
    QSqlQuery q(db);
    if (!q.exec(sql) || !q.next())
        return 3;
    std::printf("%s\n", q.value(0).toString().toUtf8().constData());
    return 0;
}

int main(int argc, char** argv)
{
    if (argc == 4 && qstrcmp(argv[1], "--read") == 0) {
        QCoreApplication app(argc, argv);
        return readHelper(QString::fromLocal8Bit(argv[2]), QString::fromUtf8(argv[3]));
    }
    QApplication app(argc, argv);
    FileDialogsTest t;
    return QTest::qExec(&t, argc, argv);
}

#include "tst_filedialogs.moc"
