#include "reports/ReportDocument.h"
#include "reports/ReportPrint.h"
#include "reports/ReportStaging.h"
#include "reports/ReportTemplate.h"
#include "reports/ReportViewer.h"
#include "support/ReportCapture.h"
#include "support/ScriptedPrompter.h"
#include "support/TestHome.h"

#include <QBuffer>
#include <QFile>
#include <QPdfWriter>
#include <QRegularExpression>
#include <QProcess>
#include <QSqlQuery>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

namespace {

void writeFile(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

const char* kSmallTemplate =
    "# test\n"
    "title = 测试报表\n"
    "orientation = portrait\n"
    "font-size = 10\n"
    "header = 左 | 中 | 右 {date}\n"
    "footer = | 第 {page} 页 共 {pages} 页 |\n"
    "column = 卡号 | 卡号 | 2 | right\n"
    "column = 姓名 | 姓名 | 3\n"
    "column = 大厦 | 部门 | 3 | center\n";

}  // namespace

class TestReports : public QObject {
    Q_OBJECT
private slots:
    void parsesEverySetting();
    void brokenTemplatesNameTheLine_data();
    void brokenTemplatesNameTheLine();
    void programFolderFileOverridesTheBuiltIn();
    void missingTemplateIsReturnedNotShown();
    void templateFieldOutsideTheStagingTableIsBroken();
    void stagingReplacesTheLastRowsInOrder();
    void failedStagingKeepsTheLastRows();
    void stagedRowsMatchColumnsByName();
    void pdfRepeatsCaptionsAndNumbersPages();
    void longValuesWrapInTallerRows();
    void hoursPrintWithTwoDecimals_data();
    void hoursPrintWithTwoDecimals();
};

void TestReports::parsesEverySetting()
{
    const TemplateLoad r = ReportTemplates::parse(QString::fromUtf8(kSmallTemplate), QStringLiteral("t.rpt"));
    QVERIFY2(r.ok(), qPrintable(r.detail));
    const ReportTemplate& t = *r.report;
    QCOMPARE(t.title, QStringLiteral("测试报表"));
    QCOMPARE(t.orientation, QPageLayout::Portrait);
    QCOMPARE(t.fontSize, 10.0);
    QCOMPARE(t.header, (QStringList{QStringLiteral("左"), QStringLiteral("中"), QStringLiteral("右 {date}")}));
    QCOMPARE(t.footer.at(1), QStringLiteral("第 {page} 页 共 {pages} 页"));
    QCOMPARE(t.columns.size(), 3);
    QCOMPARE(t.columns.at(0).field, QStringLiteral("卡号"));
    QCOMPARE(t.columns.at(0).width, 2.0);
    QCOMPARE(t.columns.at(0).alignment, Qt::AlignRight);
    QCOMPARE(t.columns.at(1).alignment, Qt::AlignLeft);
    QCOMPARE(t.columns.at(2).alignment, Qt::AlignHCenter);

    // The delivered personnel template parses and names only peoplept fields.
    const TemplateLoad pl = ReportTemplates::parse(
        [] {
            QFile f(ReportTemplates::builtIn(QStringLiteral("PL.rpt")));
            return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
        }(),
        QStringLiteral("pl.rpt"));
    QVERIFY2(pl.ok(), qPrintable(pl.detail));
    QCOMPARE(pl.report->orientation, QPageLayout::Landscape);
}

void TestReports::brokenTemplatesNameTheLine_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("detail");
    QTest::newRow("no equals") << "title = a\ncolumn 卡号 | 卡号 | 1" << "第 2 行";
    QTest::newRow("unknown key") << "colour = red\ncolumn = a | b | 1" << "第 1 行";
    QTest::newRow("bad width") << "column = a | b | wide" << "第 1 行";
    QTest::newRow("zero width") << "column = a | b | 0" << "第 1 行";
    QTest::newRow("bad alignment") << "column = a | b | 1 | middle" << "第 1 行";
    QTest::newRow("bad decimals") << "column = a | b | 1\ncolumn = a | b | 1 | right | two" << "第 2 行";
    QTest::newRow("too many parts") << "column = a | b | 1 | right | 2 | x" << "第 1 行";
    QTest::newRow("no field") << "column = a |  | 1" << "第 1 行";
    QTest::newRow("bad orientation") << "# x\n\norientation = sideways\ncolumn = a | b | 1" << "第 3 行";
    QTest::newRow("no columns") << "title = 空" << "没有任何列";
}

void TestReports::brokenTemplatesNameTheLine()
{
    QFETCH(QString, text);
    QFETCH(QString, detail);
    const TemplateLoad r = ReportTemplates::parse(text, QStringLiteral("x.rpt"));
    QVERIFY(!r.ok());
    QCOMPARE(r.problem, TemplateLoad::Problem::Broken);
    QVERIFY2(r.detail.contains(detail), qPrintable(r.detail));
}

void TestReports::programFolderFileOverridesTheBuiltIn()
{
    TestHome home;
    const TemplateLoad builtIn = ReportTemplates::load(QStringLiteral("pl.rpt"));
    QVERIFY2(builtIn.ok(), qPrintable(builtIn.detail));
    QVERIFY(builtIn.report->source.startsWith(QLatin1String(":/reports/")));

    writeFile(home.file(QStringLiteral("PL.RPT")), "title = 本地版式\ncolumn = 卡号 | 卡号 | 1\n");
    const TemplateLoad local = ReportTemplates::load(QStringLiteral("pl.rpt"));
    QVERIFY2(local.ok(), qPrintable(local.detail));
    QCOMPARE(local.report->title, QStringLiteral("本地版式"));
    QCOMPARE(local.report->columns.size(), 1);

    // A broken local file is reported, not silently replaced by the built-in.
    writeFile(home.file(QStringLiteral("PL.RPT")), "title = 坏\n");
    const TemplateLoad bad = ReportTemplates::load(QStringLiteral("pl.rpt"));
    QVERIFY(!bad.ok());
    QCOMPARE(bad.problem, TemplateLoad::Problem::Broken);
    QVERIFY(bad.detail.contains(QStringLiteral("PL.RPT")));
}

void TestReports::missingTemplateIsReturnedNotShown()
{
    TestHome home;
    ScriptedPrompter prompter;
    KeepingViewer viewer;
    ReportStaging report(home.db(), QStringLiteral("peoplept"), QStringLiteral("nosuch.rpt"));
    QVERIFY(report.stage(QStringLiteral("SELECT * FROM people")).ok());
    const ReportOutcome o = ReportPrint::preview(nullptr, report);
    QCOMPARE(o.status, ReportOutcome::Status::TemplateMissing);
    QVERIFY2(o.message().contains(QStringLiteral("nosuch.rpt")), qPrintable(o.message()));
    QVERIFY(viewer.shown.isEmpty());

    // A broken override comes back the same way.
    writeFile(home.file(QStringLiteral("pl.rpt")), "column = a | b | x\n");
    ReportStaging pl(home.db(), QStringLiteral("peoplept"), QStringLiteral("pl.rpt"));
    const ReportOutcome broken = ReportPrint::preview(nullptr, pl);
    QCOMPARE(broken.status, ReportOutcome::Status::TemplateBroken);
    QVERIFY(broken.message().contains(QStringLiteral("第 1 行")));
    QVERIFY(viewer.shown.isEmpty());
    // The service shows no box: telling the operator is the window's part.
    QVERIFY(prompter.shown.isEmpty());
}

void TestReports::templateFieldOutsideTheStagingTableIsBroken()
{
    TestHome home;
    writeFile(home.file(QStringLiteral("x.rpt")), "column = 卡号 | 卡号 | 1\ncolumn = 颜色 | colour | 1\n");
    ReportStaging report(home.db(), QStringLiteral("peoplept"), QStringLiteral("x.rpt"));
    ReportOutcome o;
    QVERIFY(!report.document(&o));
    QCOMPARE(o.status, ReportOutcome::Status::TemplateBroken);
    QVERIFY(o.detail.contains(QStringLiteral("colour")));
    QVERIFY(!QFile::exists(home.file(QStringLiteral("x.pdf"))));
    QVERIFY(!report.renderPdf(home.file(QStringLiteral("x.pdf"))).ok());
    QVERIFY(!QFile::exists(home.file(QStringLiteral("x.pdf"))));
}

void TestReports::stagingReplacesTheLastRowsInOrder()
{
    TestHome home;
    for (const char* card : {"000300", "000100", "000200", "O'Neil"})
        home.exec(QStringLiteral("INSERT INTO people (卡号, 姓名) VALUES (?, ?)"),
                  {QString::fromUtf8(card), QStringLiteral("人") + QString::fromUtf8(card)});
    home.exec(QStringLiteral("INSERT INTO peoplept (卡号) VALUES ('stale')"));

    ReportStaging report(home.db(), QStringLiteral("PeoplePT"), QStringLiteral("pl.rpt"));
    ReportOutcome o = report.stage(QStringLiteral("SELECT * FROM people WHERE 卡号 <> ? ORDER BY 卡号 DESC"),
                                   {QStringLiteral("000200")});
    QVERIFY2(o.ok(), qPrintable(o.detail));
    QCOMPARE(o.rows, 3);
    QSqlQuery q(home.db());
    QVERIFY(q.exec(QStringLiteral("SELECT 卡号, 姓名 FROM peoplept ORDER BY rowid")));
    QStringList cards;
    while (q.next())
        cards << q.value(0).toString();
    QCOMPARE(cards, (QStringList{QStringLiteral("O'Neil"), QStringLiteral("000300"), QStringLiteral("000100")}));

    // A value holding a quote is bound, not spliced into the statement.
    o = report.stage(QStringLiteral("SELECT * FROM people WHERE 卡号 = ?"), {QStringLiteral("O'Neil")});
    QVERIFY2(o.ok(), qPrintable(o.detail));
    QCOMPARE(home.scalar(QStringLiteral("SELECT count(*) FROM peoplept")).toInt(), 1);
    QCOMPARE(home.scalar(QStringLiteral("SELECT 姓名 FROM peoplept")).toString(), QStringLiteral("人O'Neil"));

    // Printing from the document keeps the staged order and turns Null into empty text.
    std::optional<ReportDocument> doc = report.document(&o);
    QVERIFY2(doc, qPrintable(o.detail));
    QCOMPARE(doc->rows().size(), 1);
    QCOMPARE(doc->rows().first().first(), QStringLiteral("O'Neil"));
    QVERIFY(doc->rows().first().at(2).isEmpty());
}

void TestReports::failedStagingKeepsTheLastRows()
{
    TestHome home;
    home.exec(QStringLiteral("INSERT INTO peoplept (卡号) VALUES ('kept')"));
    ReportStaging report(home.db(), QStringLiteral("peoplept"), QStringLiteral("pl.rpt"));

    // The rows arrive, but the staging table refuses one of them half-way.
    home.exec(QStringLiteral("CREATE TRIGGER refuse BEFORE INSERT ON peoplept WHEN NEW.卡号 = 'bad' "
                             "BEGIN SELECT RAISE(ABORT, 'refused'); END"));
    const ReportOutcome o = report.stageRows({QStringLiteral("卡号")},
                                             {{QStringLiteral("a")}, {QStringLiteral("bad")}, {QStringLiteral("c")}});
    QCOMPARE(o.status, ReportOutcome::Status::DataFailed);
    QVERIFY2(o.message().contains(QStringLiteral("refused")), qPrintable(o.message()));
    QCOMPARE(home.scalar(QStringLiteral("SELECT group_concat(卡号) FROM peoplept")).toString(), QStringLiteral("kept"));

    // A statement that does not run changes nothing either.
    QCOMPARE(report.stage(QStringLiteral("SELECT * FROM nosuchtable")).status, ReportOutcome::Status::DataFailed);
    QCOMPARE(home.scalar(QStringLiteral("SELECT group_concat(卡号) FROM peoplept")).toString(), QStringLiteral("kept"));
}

void TestReports::stagedRowsMatchColumnsByName()
{
    TestHome home;
    ReportStaging report(home.db(), QStringLiteral("dataPT"), QStringLiteral("none.rpt"));
    const ReportOutcome o = report.stageRows({QStringLiteral("FLAG"), QStringLiteral("卡号"), QStringLiteral("not_there")},
                                         {{QStringLiteral("锁一进"), QStringLiteral("000001"), 5},
                                          {QStringLiteral("锁二出"), QStringLiteral("000002"), 6}});
    QVERIFY2(o.ok(), qPrintable(o.detail));
    QCOMPARE(o.rows, 2);
    QCOMPARE(home.scalar(QStringLiteral("SELECT group_concat(flag || ':' || 卡号, ',') FROM dataPT")).toString(),
             QStringLiteral("锁一进:000001,锁二出:000002"));
}

void TestReports::pdfRepeatsCaptionsAndNumbersPages()
{
    TestHome home;
    writeFile(home.file(QStringLiteral("t.rpt")), kSmallTemplate);
    QList<QVariantList> rows;
    for (int i = 1; i <= 130; ++i)
        rows << QVariantList{QStringLiteral("C%1").arg(i, 5, 10, QLatin1Char('0')), QStringLiteral("名%1").arg(i),
                             QStringLiteral("一号楼")};
    ReportStaging report(home.db(), QStringLiteral("peoplept"), QStringLiteral("t.rpt"));
    QVERIFY(report.stageRows({QStringLiteral("卡号"), QStringLiteral("姓名"), QStringLiteral("部门")}, rows).ok());

    std::optional<ReportDocument> doc = report.document();
    QVERIFY(doc);
    const QString pdf = home.file(QStringLiteral("t.pdf"));
    QString error;
    QVERIFY2(doc->renderPdf(pdf, &error), qPrintable(error));
    QVERIFY(QFileInfo(pdf).size() > 1000);

    const QString text = pdfText(pdf);
    if (text.isNull())
        QSKIP("pdftotext is not installed");
    const QStringList pages = text.split(QLatin1Char('\f'), Qt::SkipEmptyParts);
    QVERIFY2(pages.size() >= 3, qPrintable(QString::number(pages.size())));
    const int total = int(pages.size());
    for (int p = 0; p < total; ++p) {
        const QString& page = pages.at(p);
        QVERIFY2(page.contains(QStringLiteral("测试报表")), qPrintable(QString::number(p)));
        QVERIFY(page.contains(QStringLiteral("卡号")));
        QVERIFY(page.contains(QStringLiteral("大厦")));
        // pdftotext drops the blanks between Chinese text and digits.
        QString bare = page;
        bare.remove(QLatin1Char(' '));
        QVERIFY2(bare.contains(QStringLiteral("第%1页共%2页").arg(p + 1).arg(total)), qPrintable(page));
    }
    for (const QVariantList& r : rows)
        QVERIFY2(text.contains(r.at(0).toString()), qPrintable(r.at(0).toString()));
    // Rows come in staged order: the last row sits on the last page.
    QVERIFY(pages.last().contains(QStringLiteral("C00130")));
    QVERIFY(pages.first().contains(QStringLiteral("C00001")));
}

void TestReports::longValuesWrapInTallerRows()
{
    TestHome home;
    writeFile(home.file(QStringLiteral("w.rpt")), "orientation = portrait\ncolumn = 卡号 | 卡号 | 1\n"
                                                  "column = 电话 | tel | 1\ncolumn = 姓名 | 姓名 | 4\n");
    ReportStaging report(home.db(), QStringLiteral("peoplept"), QStringLiteral("w.rpt"));
    auto pagesFor = [&](const QString& tel) {
        QList<QVariantList> rows;
        for (int i = 0; i < 80; ++i)
            rows << QVariantList{QStringLiteral("%1").arg(i, 6, 10, QLatin1Char('0')), tel};
        if (!report.stageRows({QStringLiteral("卡号"), QStringLiteral("tel")}, rows).ok())
            return -1;
        QBuffer sink;
        sink.open(QIODevice::WriteOnly);
        QPdfWriter pdf(&sink);
        pdf.setResolution(600);
        const std::optional<ReportDocument> doc = report.document();
        doc->setUpPage(&pdf);
        return doc->pageCount(&pdf);
    };
    const QString phone = QStringLiteral("1357924680").repeated(4);
    // Rows that wrap take more room: the pages follow the rows' heights.
    QVERIFY(pagesFor(phone) > pagesFor(QStringLiteral("1")));

    QVERIFY(report.stageRows({QStringLiteral("卡号"), QStringLiteral("tel")}, {{QStringLiteral("000001"), phone}}).ok());
    const QString file = home.file(QStringLiteral("w.pdf"));
    QVERIFY(report.renderPdf(file).ok());
    QString text = pdfText(file);
    if (text.isNull())
        QSKIP("pdftotext is not installed");
    text.remove(QRegularExpression(QStringLiteral("\\s")));
    QVERIFY2(text.contains(QStringLiteral("000001") + phone), qPrintable(text));
    // A row taller than a page names its card on every page it takes.
    QVERIFY(report.stageRows({QStringLiteral("卡号"), QStringLiteral("tel")}, {{QStringLiteral("000002"), phone.repeated(80)}}).ok());
    QVERIFY(report.renderPdf(file).ok());
    const QStringList pages = pdfText(file).split(QLatin1Char('\f'), Qt::SkipEmptyParts);
    QVERIFY2(pages.size() > 2, qPrintable(QString::number(pages.size())));
    for (const QString& page : pages)
        QVERIFY2(page.contains(QStringLiteral("000002")), qPrintable(page));
}

void TestReports::hoursPrintWithTwoDecimals_data()
{
    QTest::addColumn<QString>("stored");
    QTest::addColumn<QString>("printed");
    QTest::newRow("whole hours") << "8" << "8.00";
    QTest::newRow("one place") << "7.5" << "7.50";
    QTest::newRow("two places") << "6.17" << "6.17";
    QTest::newRow("rounded") << "6.166666" << "6.17";
    QTest::newRow("none") << "" << "";
    QTest::newRow("not a number") << "x" << "x";
}

// The attendance report prints hours as the grid shows them.
void TestReports::hoursPrintWithTwoDecimals()
{
    QFETCH(QString, stored);
    QFETCH(QString, printed);
    const TemplateLoad load = ReportTemplates::load(QStringLiteral("drkq.rpt"));
    QVERIFY2(load.ok(), qPrintable(load.detail));
    int hours = -1, card = -1;
    for (int c = 0; c < load.report->columns.size(); ++c) {
        if (load.report->columns.at(c).field == QLatin1String("hrs"))
            hours = c;
        if (load.report->columns.at(c).field == QStringLiteral("卡号"))
            card = c;
    }
    QVERIFY(hours >= 0 && card >= 0);
    QStringList row(load.report->columns.size());
    row[hours] = stored;
    row[card] = QStringLiteral("8");   // a number in a column without places stays as it is
    const ReportDocument doc(*load.report, {row}, QDateTime());
    QCOMPARE(doc.rows().first().at(hours), printed);
    QCOMPARE(doc.rows().first().at(card), QStringLiteral("8"));
}

QTEST_MAIN(TestReports)
#include "tst_reports.moc"
