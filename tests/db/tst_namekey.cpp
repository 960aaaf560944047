// Names in the order a Chinese reader expects, kept as a plain key column
// that any SQLite tool can read and write around.

#include "attendance/AttendanceQuery.h"
#include "attendance/MonthlySheet.h"
#include "cards/IssuedCardQuery.h"
#include "cards/RemovedCardQuery.h"
#include "db/Database.h"
#include "db/NameKey.h"
#include "db/Schema.h"
#include "people/Personnel.h"
#include "records/RecordQuery.h"
#include "support/TestHome.h"

#include <QCollator>
#include <QRegularExpression>
#include <QSqlError>
#include <QSqlQuery>
#include <QtTest>

#include <algorithm>

namespace {

// A row with a name and what else the table cannot do without.
QString insertInto(const QString& table)
{
    return table == QLatin1String("people")
               ? QStringLiteral("INSERT INTO people (卡号, 姓名) VALUES (?, ?)")
               : QStringLiteral("INSERT INTO \"%1\" (卡号, 姓名, 日期) VALUES (?, ?, '2024-03-01')").arg(table);
}

}  // namespace

class TestNameKey : public QObject {
    Q_OBJECT
private slots:
    void keysOrderAsTheCollator_data();
    void keysOrderAsTheCollator();
    void keysFollowNamesWrittenElsewhere_data();
    void keysFollowNamesWrittenElsewhere();
    void databaseNeedsNoCollationOfOurs();
    void theProgramWritesTheKeyWithTheName();
    void everyNameListIsInPinyinOrder_data();
    void everyNameListIsInPinyinOrder();
    void openingGivesEveryNameItsKey_data();
    void openingGivesEveryNameItsKey();
    void openingTellsHowFarTheKeysHaveCome();
};

void TestNameKey::keysOrderAsTheCollator_data()
{
    QTest::addColumn<QStringList>("names");
    QTest::addColumn<QStringList>("sorted");
    QTest::newRow("surnames by pinyin") << QStringList{"张伟", "李娜", "王芳", "赵磊", "陈静", "安娜"}
                                        << QStringList{"安娜", "陈静", "李娜", "王芳", "张伟", "赵磊"};
    QTest::newRow("same surname, then given name") << QStringList{"张三丰", "张三", "张伟", "张爱玲"}
                                                   << QStringList{"张爱玲", "张三", "张三丰", "张伟"};
    // Where Latin names fall among Chinese ones is the collator's to say.
    QTest::newRow("empty first, Latin among them") << QStringList{"Zoe", "王芳", "", "Anna", "阿明"} << QStringList{};
}

void TestNameKey::keysOrderAsTheCollator()
{
    QFETCH(QStringList, names);
    QFETCH(QStringList, sorted);
    const QCollator collator(QLocale(QLocale::Chinese, QLocale::China));
    QStringList byCollator = names;
    std::sort(byCollator.begin(), byCollator.end(),
              [&](const QString& a, const QString& b) { return collator.compare(a, b) < 0; });
    // The collator itself sorts by pinyin: Qt was built with ICU.
    if (!sorted.isEmpty())
        QCOMPARE(byCollator, sorted);
    else
        QCOMPARE(byCollator.first(), QString());
    QStringList byKey = names;
    std::sort(byKey.begin(), byKey.end(),
              [](const QString& a, const QString& b) { return NameKey::of(a) < NameKey::of(b); });
    QCOMPARE(byKey, byCollator);
}

void TestNameKey::keysFollowNamesWrittenElsewhere_data()
{
    QTest::addColumn<QString>("table");
    for (const QString& t : NameKey::tables())
        QTest::newRow(qPrintable(t)) << t;
}

void TestNameKey::keysFollowNamesWrittenElsewhere()
{
    QFETCH(QString, table);
    TestHome home;
    const QString insert = insertInto(table);
    home.exec(insert, {QStringLiteral("000001"), QStringLiteral("赵磊")});
    home.exec(insert, {QStringLiteral("000002"), QStringLiteral("陈静")});
    home.exec(insert, {QStringLiteral("000003"), QStringLiteral("王芳")});
    const QString ordered = QStringLiteral("SELECT group_concat(姓名, ' ') FROM (SELECT 姓名 FROM \"%1\" ORDER BY name_key)").arg(table);
    QVERIFY(NameKey::fill(home.db(), table));
    QCOMPARE(home.scalar(ordered).toString(), QStringLiteral("陈静 王芳 赵磊"));
    QVERIFY(!home.scalar(QStringLiteral("SELECT name_key FROM \"%1\" WHERE 卡号 = '000001'").arg(table)).isNull());
    // A name changed by a plain statement loses its stale key ...
    home.exec(QStringLiteral("UPDATE \"%1\" SET 姓名 = '安娜' WHERE 卡号 = '000001'").arg(table));
    QVERIFY(home.scalar(QStringLiteral("SELECT name_key FROM \"%1\" WHERE 卡号 = '000001'").arg(table)).isNull());
    // ... and gets the new one before the next listing; the others keep theirs.
    QVERIFY(NameKey::fill(home.db(), table));
    QCOMPARE(home.scalar(ordered).toString(), QStringLiteral("安娜 陈静 王芳"));
    QCOMPARE(home.scalar(QStringLiteral("SELECT count(*) FROM \"%1\" WHERE name_key IS NULL").arg(table)).toInt(), 0);
    // The listing walks the index, not a sort of every row.
    QSqlQuery plan(home.db());
    QVERIFY(plan.exec(QStringLiteral("EXPLAIN QUERY PLAN SELECT 姓名 FROM \"%1\" ORDER BY name_key").arg(table)));
    QString steps;
    while (plan.next())
        steps += plan.value(3).toString() + QLatin1Char('\n');
    QVERIFY2(steps.contains(QStringLiteral("%1_name_key").arg(table)) && !steps.contains(QStringLiteral("TEMP B-TREE")),
             qPrintable(steps));
}

// Another SQLite tool has no collation or function of ours: every index,
// view and trigger must still work for it, writes included.
void TestNameKey::databaseNeedsNoCollationOfOurs()
{
    TestHome home;
    const QString file = home.db().databaseName();
    {
        QSqlDatabase plain = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("plain tool"));
        plain.setDatabaseName(file);
        QVERIFY(plain.open());
        QSqlQuery q(plain);
        QVERIFY(q.exec(QStringLiteral("SELECT sql FROM sqlite_master WHERE sql IS NOT NULL")));
        while (q.next()) {
            const QString sql = q.value(0).toString().toUpper();
            static const QRegularExpression collate(QStringLiteral("COLLATE\\s+\"?(\\w+)"));
            for (const QRegularExpressionMatch& m : collate.globalMatch(sql))
                QVERIFY2(QStringList({"NOCASE", "BINARY", "RTRIM"}).contains(m.captured(1)), qPrintable(sql));
        }
        for (const QString& table : NameKey::tables()) {
            q.prepare(insertInto(table));
            q.addBindValue(QStringLiteral("000009"));
            q.addBindValue(QStringLiteral("李娜"));
            QVERIFY2(q.exec(), qPrintable(q.lastError().text()));
            QVERIFY2(q.exec(QStringLiteral("UPDATE \"%1\" SET 姓名 = '李四' WHERE 卡号 = '000009'").arg(table)),
                     qPrintable(q.lastError().text()));
            QVERIFY(q.exec(QStringLiteral("SELECT 姓名 FROM \"%1\" ORDER BY name_key").arg(table)));
        }
        QVERIFY(q.exec(QStringLiteral("PRAGMA integrity_check")) && q.next());
        QCOMPARE(q.value(0).toString(), QStringLiteral("ok"));
    }
    QSqlDatabase::removeDatabase(QStringLiteral("plain tool"));
}

void TestNameKey::theProgramWritesTheKeyWithTheName()
{
    TestHome home;
    Person p;
    p.cardNo = QStringLiteral("000001");
    p.name = QStringLiteral("赵磊");
    QVERIFY(Personnel::add(home.db(), p).ok());
    const QString key = QStringLiteral("SELECT name_key FROM people WHERE 卡号 = '000001'");
    QCOMPARE(home.scalar(key).toByteArray(), NameKey::of(QStringLiteral("赵磊")));
    p.name = QStringLiteral("安娜");
    QVERIFY(Personnel::change(home.db(), p).ok());
    QCOMPARE(home.scalar(key).toByteArray(), NameKey::of(QStringLiteral("安娜")));
}

void TestNameKey::everyNameListIsInPinyinOrder_data()
{
    QTest::addColumn<int>("list");
    QTest::newRow("发卡信息查询") << 0;
    QTest::newRow("退卡查询") << 1;
    QTest::newRow("打卡数据查询") << 2;
    QTest::newRow("考勤数据查询") << 3;
    QTest::newRow("个人月总查询") << 4;
}

void TestNameKey::everyNameListIsInPinyinOrder()
{
    QFETCH(int, list);
    TestHome home;
    const QStringList names{"张伟", "李娜", "王芳", "赵磊", "陈静", "安娜", "李娜"};
    for (int i = 0; i < names.size(); ++i) {
        const QString card = QStringLiteral("%1").arg(i + 1, 6, 10, QLatin1Char('0'));
        home.exec(QStringLiteral("INSERT INTO people (卡号, 姓名) VALUES (?, ?)"), {card, names.at(i)});
        home.exec(QStringLiteral("INSERT INTO faka (地址, 卡号, 物理卡号) VALUES (1, ?, ?)"), {card, card + card});
        home.exec(insertInto(QStringLiteral("dfaka")), {card, names.at(i)});
        home.exec(insertInto(QStringLiteral("datakq")), {card, names.at(i)});
    }
    QStringList got;
    auto all = [&](QSqlQuery q) {
        while (q.next())
            got << q.value(0).toString();
    };
    switch (list) {
    case 0: all(IssuedCardQuery::choices(home.db(), IssuedCardQuery::Choices::Names)); break;
    case 1: all(RemovedCardQuery::choices(home.db(), RemovedCardQuery::Choices::Names)); break;
    case 2: all(RecordQuery::names(home.db())); break;
    case 3: all(AttendanceQuery::choices(home.db(), AttendanceQuery::Choices::Names)); break;
    case 4: all(MonthlySheet::names(home.db())); break;
    }
    QCOMPARE(got, (QStringList{"安娜", "陈静", "李娜", "王芳", "张伟", "赵磊"}));
}

void TestNameKey::openingGivesEveryNameItsKey_data()
{
    QTest::addColumn<bool>("olderFile");
    QTest::newRow("a file from before the keys") << true;
    QTest::newRow("names written by another tool") << false;
}

void TestNameKey::openingGivesEveryNameItsKey()
{
    QFETCH(bool, olderFile);
    TestHome home;
    const int current = Schema::currentVersion();
    Database::closeShared();
    {
        QSqlDatabase plain = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("plain tool"));
        plain.setDatabaseName(home.file(Database::fileName()));
        QVERIFY(plain.open());
        if (olderFile) {
            for (const QString& table : NameKey::tables()) {
                TestHome::exec(plain, QStringLiteral("DROP TRIGGER \"%1_name_changed\"").arg(table));
                TestHome::exec(plain, QStringLiteral("DROP INDEX \"%1_name_key\"").arg(table));
                TestHome::exec(plain, QStringLiteral("ALTER TABLE \"%1\" DROP COLUMN name_key").arg(table));
            }
            TestHome::exec(plain, QStringLiteral("PRAGMA user_version = 1"));   // the keys came with the second version
        }
        for (const QString& name : {QStringLiteral("赵磊"), QStringLiteral("安娜"), QStringLiteral("陈静")}) {
            TestHome::exec(plain, insertInto(QStringLiteral("people")), {name, name});
            TestHome::exec(plain, insertInto(QStringLiteral("dfaka")), {name, name});
        }
    }
    QSqlDatabase::removeDatabase(QStringLiteral("plain tool"));
    QVERIFY(Database::openShared().ok());
    QCOMPARE(Schema::version(home.db()), current);
    for (const QString& table : {QStringLiteral("people"), QStringLiteral("dfaka")}) {
        QCOMPARE(home.scalar(QStringLiteral("SELECT count(*) FROM \"%1\" WHERE name_key IS NULL").arg(table)).toInt(), 0);
        QCOMPARE(home.scalar(QStringLiteral("SELECT group_concat(姓名, ' ') FROM (SELECT 姓名 FROM \"%1\" ORDER BY name_key)")
                                 .arg(table))
                     .toString(),
                 QStringLiteral("安娜 陈静 赵磊"));
    }
}

void TestNameKey::openingTellsHowFarTheKeysHaveCome()
{
    TestHome home;
    home.exec(QStringLiteral("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 30000) "
                             "INSERT INTO people (卡号, 姓名) SELECT printf('%06d', i), '业主' || i FROM n"));
    QList<int> seen;
    QVERIFY(Database::openShared([&seen](int permille) { seen << permille; }).ok());
    QCOMPARE(home.scalar(QStringLiteral("SELECT count(*) FROM people WHERE name_key IS NULL")).toInt(), 0);
    QVERIFY(seen.size() > 2);
    QCOMPARE(seen.last(), 1000);
    QVERIFY(std::is_sorted(seen.begin(), seen.end()));
}

QTEST_MAIN(TestNameKey)
#include "tst_namekey.moc"
