#include "admin/Form3.h"
#include "support/OperatorInput.h"
#include "admin/Operators.h"
#include "session/Session.h"
#include "db/Schema.h"
#include "support/ScriptedPrompter.h"
#include "support/TestHome.h"

#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QtTest>

namespace {

const QStringList kEmptied = {"user",  "department", "doors",  "key",    "datakq",
                              "data",  "faka",       "people", "dfaka",  "dpeople"};
const QStringList kKept = {"cjtype", "owt", "asta", "peoplept", "fakapt", "dfakapt", "dataPT", "datakqPT"};

// Something in every table a site fills.
void fillEverything(const TestHome& h)
{
    h.exec(QStringLiteral("INSERT INTO user (sysname, syspword, r3) VALUES ('bob', 'x', 1)"));
    h.exec(QStringLiteral("INSERT INTO department VALUES ('一号楼')"));
    h.exec(QStringLiteral("INSERT INTO doors (地址, namedr1, delay1, dtype1) VALUES (3, '大门', 0.5, '铁')"));
    h.exec(QStringLiteral("INSERT INTO \"key\" VALUES (1, 'k')"));
    h.exec(QStringLiteral("UPDATE system SET zhi = 4, detail = '旧名', dw = '口' WHERE name = '串口号'"));
    h.exec(QStringLiteral("UPDATE system SET zhi = 9, detail = '19200,n,8,1', dw = '设' WHERE name = '通讯设置'"));
    h.exec(QStringLiteral("UPDATE system SET zhi = 1, detail = '输入' WHERE name = '输入缓冲区'"));
    h.exec(QStringLiteral("UPDATE system SET zhi = 2, detail = '输出' WHERE name = '输出缓冲区'"));
    h.exec(QStringLiteral("UPDATE system SET zhi = 7, detail = '读卡', dw = '台' WHERE name = '发卡机'"));
    h.exec(QStringLiteral("INSERT INTO datakq (卡号, 日期, 姓名) VALUES ('000001', '2024-03-01', '张三')"));
    h.exec(QStringLiteral("INSERT INTO data VALUES (3, '000001', '2024-03-01', '08:00:00', 1, '锁一进')"));
    h.exec(QStringLiteral("INSERT INTO faka (地址, 卡号, 物理卡号) VALUES (3, '000001', '0000012345')"));
    h.exec(QStringLiteral("INSERT INTO people (卡号, 姓名, 部门) VALUES ('000001', '张三', '一号楼')"));
    h.exec(QStringLiteral("INSERT INTO dfaka (地址, 卡号, 日期) VALUES (3, '000002', '2024-02-01')"));
    h.exec(QStringLiteral("INSERT INTO dpeople (卡号, 姓名, 日期) VALUES ('000002', '李四', '2024-02-01')"));
    h.exec(QStringLiteral("INSERT INTO cjtype VALUES (1, '23:30')"));
    h.exec(QStringLiteral("INSERT INTO owt (上班时间) VALUES ('08:00:00')"));
    h.exec(QStringLiteral("INSERT INTO asta VALUES ('000001', '2024-03-01')"));
    h.exec(QStringLiteral("INSERT INTO peoplept (卡号) VALUES ('000001')"));
    h.exec(QStringLiteral("INSERT INTO fakapt (卡号) VALUES ('000001')"));
    h.exec(QStringLiteral("INSERT INTO dfakapt (卡号) VALUES ('000002')"));
    h.exec(QStringLiteral("INSERT INTO dataPT (卡号) VALUES ('000001')"));
    h.exec(QStringLiteral("INSERT INTO datakqPT (卡号) VALUES ('000001')"));
}

// Every row of every table, in a stable order. A password digest differs
// from run to run by its salt, so it is replaced by whether it opens.
QStringList dump(QSqlDatabase db)
{
    QStringList out;
    QSqlQuery tables(db);
    tables.exec(QStringLiteral("SELECT name FROM sqlite_master WHERE type = 'table' ORDER BY name"));
    while (tables.next()) {
        const QString t = tables.value(0).toString();
        QSqlQuery q(db);
        q.exec(QStringLiteral("SELECT * FROM \"%1\"").arg(t));
        QStringList rows;
        while (q.next()) {
            QStringList cells;
            const QSqlRecord r = q.record();
            for (int i = 0; i < r.count(); ++i) {
                if (t == QLatin1String("user") && r.fieldName(i) == QLatin1String("syspword")) {
                    const QString name = r.value(0).toString();
                    cells << (Operators::authenticate(db, name, name) ? QStringLiteral("name-as-password")
                                                                      : QStringLiteral("other"));
                } else {
                    cells << (r.isNull(i) ? QStringLiteral("<null>") : r.value(i).toString());
                }
            }
            rows << cells.join(QLatin1Char('|'));
        }
        rows.sort();
        out << t + QStringLiteral(": ") + rows.join(QStringLiteral(" / "));
    }
    return out;
}

QString systemRow(const TestHome& h, const QString& name)
{
    QSqlQuery q(h.db());
    q.prepare(QStringLiteral("SELECT zhi, detail, dw FROM system WHERE name = ?"));
    q.addBindValue(name);
    if (!q.exec() || !q.next())
        return QStringLiteral("<missing>");
    QStringList cells;
    for (int i = 0; i < 3; ++i)
        cells << (q.isNull(i) ? QStringLiteral("<null>") : q.value(i).toString());
    return cells.join(QLatin1Char('|'));
}

struct Window {
    Form3 w;
    QLineEdit* name = w.findChild<QLineEdit*>(QStringLiteral("Text1"));
    QPushButton* start = w.findChild<QPushButton*>(QStringLiteral("Command1"));
    QProgressBar* bar = w.findChild<QProgressBar*>(QStringLiteral("Pro"));

    // Runs the initialisation, answering Yes.
    void run(ScriptedPrompter& prompts, const QString& typed)
    {
        OperatorInput::typeInto(name, typed);
        prompts.answerNext(Prompter::Answer::Yes);
        start->click();
    }
};

const QString kQuestion = QStringLiteral("此操作将初始化所有系统数据库,\n\n继续吗？");

}  // namespace

class TestForm3 : public QObject {
    Q_OBJECT
private slots:
    void answeringNoChangesNothing()
    {
        TestHome home;
        fillEverything(home);
        const QStringList before = dump(home.db());
        Window win;
        QCOMPARE(win.w.windowTitle(), QStringLiteral("数据库初始化"));
        ScriptedPrompter prompts;
        win.w.show();
        QVERIFY(!win.bar->isVisible());
        const int value = win.bar->value();
        prompts.answerNext(Prompter::Answer::No);
        win.start->click();
        QCOMPARE(prompts.texts(), QStringList{kQuestion});
        QCOMPARE(prompts.shown.last().icon, Prompter::Icon::Exclamation);
        QCOMPARE(prompts.shown.last().buttons, Prompter::Buttons::YesNo);
        QCOMPARE(dump(home.db()), before);
        QVERIFY(!win.bar->isVisible());
        QCOMPARE(win.bar->value(), value);
    }

    void initialisationLeavesANewInstallation()
    {
        TestHome home;
        fillEverything(home);
        QMap<QString, int> kept;
        for (const QString& t : kKept)
            kept[t] = home.scalar(QStringLiteral("SELECT count(*) FROM %1").arg(t)).toInt();

        Window win;
        win.w.show();
        QSignalSpy steps(win.bar, &QProgressBar::valueChanged);
        ScriptedPrompter prompts;
        const QString typed = QStringLiteral(" O'Brien \"大厦\"; --% ");
        win.run(prompts, typed);
        QCOMPARE(prompts.texts(), QStringList{kQuestion});

        QList<int> values;
        for (const QList<QVariant>& s : steps)
            values << s.at(0).toInt();
        QCOMPARE(values, (QList<int>{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12}));
        QCOMPARE(win.bar->maximum(), 12);
        QVERIFY(!win.bar->isVisible());

        for (const QString& t : kEmptied) {
            if (t == QLatin1String("user"))
                continue;
            QVERIFY2(home.scalar(QStringLiteral("SELECT count(*) FROM \"%1\"").arg(t)).toInt() == 0, qPrintable(t));
        }
        for (const QString& t : kKept)
            QVERIFY2(home.scalar(QStringLiteral("SELECT count(*) FROM %1").arg(t)).toInt() == kept[t], qPrintable(t));

        QCOMPARE(home.scalar(QStringLiteral("SELECT count(*) FROM user")).toInt(), 1);
        const std::optional<Operators::Operator> op =
            Operators::authenticate(home.db(), QStringLiteral("quorvy"), QStringLiteral("quorvy"));
        QVERIFY(op);
        QCOMPARE(op->name, QStringLiteral("quorvy"));
        QStringList yes;
        for (const QString& f : Schema::userFields().mid(2))
            yes << f + QStringLiteral(" = 1");
        QCOMPARE(home.scalar(QStringLiteral("SELECT count(*) FROM user WHERE %1").arg(yes.join(QStringLiteral(" AND "))))
                     .toInt(),
                 1);

        // The named fields are reset; the others stay as they were.
        QCOMPARE(systemRow(home, QStringLiteral("串口号")), QStringLiteral("1|%1|口").arg(typed));
        QCOMPARE(systemRow(home, QStringLiteral("通讯设置")), QStringLiteral("0|9600,n,8,1|设"));
        QCOMPARE(systemRow(home, QStringLiteral("输入缓冲区")), QStringLiteral("2048|输入|字节"));
        QCOMPARE(systemRow(home, QStringLiteral("输出缓冲区")), QStringLiteral("512|输出|字符"));
        QCOMPARE(systemRow(home, QStringLiteral("发卡机")), QStringLiteral("1|读卡|台"));
        QCOMPARE(home.scalar(QStringLiteral("SELECT count(*) FROM system")).toInt(), 5);
        // The title takes the new name at the next start.
        Session::loadSystemSettings(home.db());
        QCOMPARE(Session::TitlePrefix, typed);
    }

    void twiceIsTheSameAsOnce()
    {
        TestHome home;
        fillEverything(home);
        Window win;
        ScriptedPrompter prompts;
        win.run(prompts, QStringLiteral("某公司"));
        const QStringList once = dump(home.db());
        win.run(prompts, QStringLiteral("某公司"));
        QCOMPARE(dump(home.db()), once);
        QCOMPARE(prompts.texts(), (QStringList{kQuestion, kQuestion}));

        // An empty name gives an empty prefix.
        win.run(prompts, QString());
        QCOMPARE(systemRow(home, QStringLiteral("串口号")), QStringLiteral("1||口"));
    }

    void missingSystemRowsAreWritten()
    {
        TestHome home;
        home.exec(QStringLiteral("DELETE FROM system WHERE name IN ('发卡机', '输入缓冲区')"));
        Window win;
        ScriptedPrompter prompts;
        win.run(prompts, QStringLiteral("X"));
        QCOMPARE(systemRow(home, QStringLiteral("发卡机")), QStringLiteral("1|<null>|<null>"));
        QCOMPARE(systemRow(home, QStringLiteral("输入缓冲区")), QStringLiteral("2048|<null>|字节"));
        QCOMPARE(home.scalar(QStringLiteral("SELECT count(*) FROM system")).toInt(), 5);
    }

    void anInjectedFailureChangesNothing_data()
    {
        QTest::addColumn<QString>("sabotage");
        QTest::newRow("operator refused") << QStringLiteral(
            "CREATE TRIGGER refuse BEFORE INSERT ON user BEGIN SELECT RAISE(ABORT, 'injected'); END");
        QTest::newRow("late table missing") << QStringLiteral("DROP TABLE dpeople");
        QTest::newRow("settings refused") << QStringLiteral(
            "CREATE TRIGGER refuse BEFORE UPDATE ON system BEGIN SELECT RAISE(ABORT, 'injected'); END");
    }

    void anInjectedFailureChangesNothing()
    {
        QFETCH(QString, sabotage);
        TestHome home;
        fillEverything(home);
        home.exec(sabotage);
        const QStringList before = dump(home.db());
        Window win;
        win.w.show();
        ScriptedPrompter prompts;
        win.run(prompts, QStringLiteral("新名称"));
        QCOMPARE(prompts.shown.size(), 2);
        QVERIFY(prompts.last().startsWith(QStringLiteral("数据库初始化失败，数据没有任何改动。")));
        QCOMPARE(prompts.shown.last().icon, Prompter::Icon::Exclamation);
        QCOMPARE(dump(home.db()), before);
        QVERIFY(!win.bar->isVisible());
    }
};

QTEST_MAIN(TestForm3)
#include "tst_form3.moc"
