// "编辑打印" on a desktop whose launcher starts for any file: only a
// desktop that names a program for the document opens it; otherwise the
// operator is told, instead of waiting for a window that never comes.

#include "attendance/FrmMon.h"
#include "support/Controls.h"
#include "support/ScriptedPrompter.h"
#include "support/TestHome.h"

#include <QFile>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

namespace {

void script(const QString& path, const QByteArray& body)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write("#!/bin/sh\n" + body);
    f.close();
    QVERIFY(f.setPermissions(f.permissions() | QFileDevice::ExeOwner));
}

}  // namespace

class TestWordProcessor : public QObject {
    Q_OBJECT
private slots:
    void editAndPrintNeedsAProgramForTheDocument_data();
    void editAndPrintNeedsAProgramForTheDocument();
};

void TestWordProcessor::editAndPrintNeedsAProgramForTheDocument_data()
{
    QTest::addColumn<QByteArray>("handler");
    QTest::addColumn<bool>("opens");
    QTest::newRow("no program for .doc") << QByteArray() << false;
    QTest::newRow("a word processor") << QByteArray("writer.desktop") << true;
}

void TestWordProcessor::editAndPrintNeedsAProgramForTheDocument()
{
    QFETCH(QByteArray, handler);
    QFETCH(bool, opens);
    QTemporaryDir bin;
    const QString log = bin.filePath(QStringLiteral("opened"));
    script(bin.filePath(QStringLiteral("xdg-mime")), "[ \"$3\" = application/msword ] && echo '" + handler + "'\n");
    script(bin.filePath(QStringLiteral("xdg-open")), "echo \"$1\" > '" + log.toUtf8() + "'\n");
    const QByteArray path = qgetenv("PATH");
    qputenv("PATH", bin.path().toUtf8() + ':' + path);

    TestHome home;
    ScriptedPrompter prompter;
    FrmMon w;
    const QString doc = home.file(QStringLiteral("三月.doc"));
    w.saveDialog = [&](QWidget*, const QString&) { return doc; };
    child<QPushButton>(w, "Command6")->click();
    child<QPushButton>(w, "Command7")->click();
    qputenv("PATH", path);

    QCOMPARE(prompter.shown.size(), opens ? 1 : 2);   // the missing work times, then maybe ours
    QCOMPARE(prompter.last().contains(QStringLiteral("没有能打开")), !opens);
    if (opens)
        QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(log), 10000);
    QFile opened(log);
    QCOMPARE(opened.open(QIODevice::ReadOnly) ? opened.readAll().trimmed() : QByteArray(), opens ? doc.toUtf8() : QByteArray());
}

QTEST_MAIN(TestWordProcessor)
#include "tst_wordprocessor.moc"
