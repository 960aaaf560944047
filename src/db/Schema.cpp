#include "db/Schema.h"

#include "db/NameKey.h"

#include "db/Password.h"
#include "db/PersonFields.h"

#include <QRegularExpression>
#include <QSqlError>
#include <QSqlQuery>

#include <iterator>

namespace {

// people and peoplept hold every person field, dpeople those the history
// keeps and the day the person went.
QString peopleColumns(bool withPrimaryKey, bool forHistory)
{
    QStringList cols;
    for (const QString& name : PersonFields::columns(forHistory)) {
        QString col = name + QStringLiteral(" TEXT");
        if (withPrimaryKey && name == QString::fromUtf8(PersonFields::kCardNo))
            col += QStringLiteral(" PRIMARY KEY NOT NULL");
        cols << col;
    }
    if (forHistory)
        cols << QStringLiteral("日期 TEXT");
    return cols.join(QStringLiteral(", "));
}

QString yesNoColumns(const QStringList& names)
{
    QStringList cols;
    for (const QString& n : names)
        cols << n + QStringLiteral(" INTEGER DEFAULT 0");
    return cols.join(QStringLiteral(", "));
}

QStringList statements()
{
    QStringList userYesNo = Schema::userFields().mid(2);
    return {
        // Settings and operators
        QStringLiteral("CREATE TABLE system (name TEXT, zhi NUMERIC, detail TEXT, dw TEXT)"),
        QStringLiteral("CREATE TABLE cjtype (采集类型 INTEGER, 采集时间 TEXT)"),
        QStringLiteral("CREATE TABLE user (sysname TEXT NOT NULL COLLATE NOCASE, syspword TEXT, %1)")
            .arg(yesNoColumns(userYesNo)),
        QStringLiteral("CREATE UNIQUE INDEX user_sysname ON user (sysname COLLATE NOCASE)"),
        QStringLiteral("CREATE TABLE \"key\" (id INTEGER, val TEXT)"),
        // Controllers
        QStringLiteral("CREATE TABLE doors (地址 INTEGER NOT NULL, namedr1 TEXT, delay1 REAL, dtype1 TEXT, "
                       "namedr2 TEXT, delay2 REAL, dtype2 TEXT, 门号 TEXT)"),
        QStringLiteral("CREATE UNIQUE INDEX doors_address ON doors (地址)"),
        // Personnel
        // Department names compare without regard to case, as they always
        // did: "abc" and "ABC" are one department.
        QStringLiteral("CREATE TABLE department (部门 TEXT COLLATE NOCASE)"),
        QStringLiteral("CREATE UNIQUE INDEX department_name ON department (部门 COLLATE NOCASE)"),
        QStringLiteral("CREATE TABLE people (%1)").arg(peopleColumns(true, false)),
        QStringLiteral("CREATE TABLE dpeople (%1)").arg(peopleColumns(false, true)),
        QStringLiteral("CREATE TABLE peoplept (%1)").arg(peopleColumns(false, false)),
        // Cards
        QStringLiteral("CREATE TABLE faka (地址 INTEGER NOT NULL, 卡号 TEXT NOT NULL, 开始日期 TEXT, 截止日期 TEXT, "
                       "开始星期 INTEGER, 截止星期 INTEGER, 开始时间 TEXT, 截止时间 TEXT, 物理卡号 TEXT, "
                       "ctrl_state1 INTEGER, ctrl_state2 INTEGER, PRIMARY KEY (地址, 卡号))"),
        QStringLiteral("CREATE INDEX faka_kh ON faka (卡号)"),
        QStringLiteral("CREATE INDEX faka_physical ON faka (物理卡号)"),
        QStringLiteral("CREATE VIEW fakapl AS SELECT f.地址 AS 地址, f.卡号 AS 卡号, f.开始日期 AS 开始日期, "
                       "f.截止日期 AS 截止日期, f.开始星期 AS 开始星期, f.截止星期 AS 截止星期, "
                       "f.开始时间 AS 开始时间, f.截止时间 AS 截止时间, f.物理卡号 AS 物理卡号, "
                       "f.ctrl_state1 AS ctrl_state1, f.ctrl_state2 AS ctrl_state2, p.姓名 AS 姓名, "
                       "p.部门 AS 部门, p.职务 AS 职务, p.身份证号 AS 身份证号 "
                       "FROM faka f LEFT JOIN people p ON p.卡号 = f.卡号"),
        QStringLiteral("CREATE TABLE dfaka (地址 INTEGER, 卡号 TEXT, 开始日期 TEXT, 截止日期 TEXT, 开始星期 INTEGER, "
                       "截止星期 INTEGER, 开始时间 TEXT, 截止时间 TEXT, 物理卡号 TEXT, 姓名 TEXT, 部门 TEXT, "
                       "ctrl_state1 INTEGER, ctrl_state2 INTEGER, 日期 TEXT)"),
        // One index per order of the removed-card query, so that a long
        // history shows its first rows without being sorted whole.
        QStringLiteral("CREATE INDEX dfaka_department ON dfaka (部门, 卡号, 日期)"),
        QStringLiteral("CREATE INDEX dfaka_name ON dfaka (姓名, 日期)"),
        QStringLiteral("CREATE INDEX dfaka_address ON dfaka (地址, 部门, 卡号, 日期)"),
        QStringLiteral("CREATE INDEX dfaka_card ON dfaka (卡号, 地址, 日期)"),
        QStringLiteral("CREATE INDEX dfaka_day ON dfaka (日期, 部门, 卡号)"),
        QStringLiteral("CREATE TABLE fakapt (物理卡号 TEXT, 卡号 TEXT, 地址 INTEGER, 开始日期 TEXT, 开始时间 TEXT, "
                       "开始星期 INTEGER, 截止日期 TEXT, 截止时间 TEXT, 截止星期 INTEGER, ctrl_state1 TEXT, "
                       "ctrl_state2 TEXT)"),
        QStringLiteral("CREATE TABLE dfakapt (姓名 TEXT, 部门 TEXT, 物理卡号 TEXT, 卡号 TEXT, 地址 INTEGER, "
                       "开始日期 TEXT, 开始时间 TEXT, 开始星期 INTEGER, 截止日期 TEXT, 截止时间 TEXT, "
                       "截止星期 INTEGER, ctrl_state1 TEXT, ctrl_state2 TEXT)"),
        // Door-open records and attendance
        QStringLiteral("CREATE TABLE data (地址 INTEGER, 卡号 TEXT, 日期 TEXT, 时间 TEXT, flag INTEGER, flagIO TEXT)"),
        // The collections' duplicate test runs on all five. The day leads:
        // new passes are recent and go in together at the index's end, and
        // queries by day (or day and card) use its first columns. Queries by
        // card alone (one person's passes, the list of cards) need the card
        // first.
        QStringLiteral("CREATE INDEX data_pass ON data (日期, 卡号, 时间, flag, 地址)"),
        QStringLiteral("CREATE INDEX data_card_day_time ON data (卡号, 日期, 时间)"),
        QStringLiteral("CREATE TABLE dataPT (姓名 TEXT, 部门 TEXT, 职务 TEXT, 地址 INTEGER, 卡号 TEXT, 日期 TEXT, "
                       "时间 TEXT, flag TEXT)"),
        QStringLiteral("CREATE TABLE datakq (卡号 TEXT NOT NULL, 日期 TEXT NOT NULL, 姓名 TEXT, 部门 TEXT, 职务 TEXT, "
                       "时间1 TEXT, 时间2 TEXT, 时间3 TEXT, 时间4 TEXT, hrs REAL, late INTEGER, leavee INTEGER, "
                       "absent INTEGER, PRIMARY KEY (卡号, 日期))"),
        QStringLiteral("CREATE INDEX datakq_day ON datakq (日期)"),
        QStringLiteral("CREATE TABLE datakqPT (卡号 TEXT, 日期 TEXT, 姓名 TEXT, 部门 TEXT, 职务 TEXT, 时间1 TEXT, "
                       "时间2 TEXT, 时间3 TEXT, 时间4 TEXT, hrs REAL, late INTEGER, leavee INTEGER, absent INTEGER)"),
        QStringLiteral("CREATE TABLE owt (上班时间 TEXT, 下班时间 TEXT, timeB TEXT, timeE TEXT, 迟到时间 TEXT, "
                       "早退时间 TEXT, lat TEXT, let TEXT)"),
        QStringLiteral("CREATE TABLE asta (卡号 TEXT, 日期 TEXT)"),
    };
}

bool run(QSqlQuery& q, QString* error)
{
    if (q.exec())
        return true;
    if (error)
        *error = q.lastError().text();
    return false;
}

bool runAll(QSqlDatabase db, const QStringList& sql, QString* error)
{
    QSqlQuery q(db);
    for (const QString& s : sql) {
        if (!q.prepare(s) || !run(q, error)) {
            if (error && error->isEmpty())
                *error = q.lastError().text();
            return false;
        }
        q.finish();
    }
    return true;
}

bool setVersion(QSqlDatabase db, int version, QString* error)
{
    // A pragma takes no bound value; the number is the program's own.
    return runAll(db, {QStringLiteral("PRAGMA user_version = %1").arg(version)}, error);
}

// The statements above make the shape of version 1; later versions are
// reached by the steps below, on new and older databases alike.
constexpr int kBaseVersion = 1;

// Databases made before the shape was numbered lack some of the indexes
// added since (the pass index, the removed-card indexes, the department
// names' uniqueness), and may hold the pass index in its older column
// order, the day index it replaced, and department names that differ in
// case only, which the program has always taken for one department.
bool numberTheFirstShape(QSqlDatabase db, QString* error)
{
    QSqlQuery q(db);
    q.exec(QStringLiteral("SELECT name FROM pragma_index_info('data_pass') WHERE seqno = 0"));
    const bool oldPassIndex = q.next() && q.value(0).toString() != QStringLiteral("日期");
    q.finish();
    QStringList sql;
    if (oldPassIndex)
        sql << QStringLiteral("DROP INDEX data_pass");
    sql << QStringLiteral("DROP INDEX IF EXISTS data_day")
        << QStringLiteral("DROP INDEX IF EXISTS department_name")
        << QStringLiteral("CREATE TABLE department_numbered (部门 TEXT COLLATE NOCASE)")
        // The first spelling of a name stays, in the order they were added.
        << QStringLiteral("INSERT INTO department_numbered (部门) SELECT 部门 FROM (SELECT 部门, min(rowid) AS first "
                          "FROM department GROUP BY 部门 COLLATE NOCASE) ORDER BY first")
        << QStringLiteral("DROP TABLE department")
        << QStringLiteral("ALTER TABLE department_numbered RENAME TO department");
    const QRegularExpression index(QStringLiteral("^CREATE (UNIQUE )?INDEX "));
    for (const QString& s : statements()) {
        if (index.match(s).hasMatch())
            sql << QString(s).replace(QStringLiteral("INDEX "), QStringLiteral("INDEX IF NOT EXISTS "));
    }
    return runAll(db, sql, error);
}

// Every order of the query windows follows an index, so that a first page
// shows without sorting years of rows: the passes by time and by address,
// the people by department (and by name for the name filter) and by the
// value of their card number, the attendance by department. The address
// index also lists the addresses in use one seek each. The card's index
// holds every field of a pass, so that the orders that walk the people
// first read each person's passes from it alone.
bool addQueryIndexes(QSqlDatabase db, QString* error)
{
    return runAll(db,
                  {QStringLiteral("CREATE INDEX IF NOT EXISTS data_card_pass ON data (卡号, 日期, 时间, 地址, flag, flagIO)"),
                   QStringLiteral("DROP INDEX IF EXISTS data_card_day_time"),
                   QStringLiteral("CREATE INDEX IF NOT EXISTS data_time ON data (时间)"),
                   QStringLiteral("CREATE INDEX IF NOT EXISTS data_address ON data (地址, 日期, 时间)"),
                   QStringLiteral("CREATE INDEX IF NOT EXISTS people_department ON people (部门)"),
                   QStringLiteral("CREATE INDEX IF NOT EXISTS people_name ON people (姓名)"),
                   QStringLiteral("CREATE INDEX IF NOT EXISTS people_card_value ON people (CAST(卡号 AS INTEGER), 卡号)"),
                   QStringLiteral("CREATE INDEX IF NOT EXISTS datakq_department ON datakq (部门, 日期)")},
                  error);
}

// A filter that keeps few rows is looked up by an index of its own: the
// attendance's names, and the departments as departments compare, without
// regard to case (the attendance's departments are also listed in that
// order).
bool addFilterIndexes(QSqlDatabase db, QString* error)
{
    return runAll(db,
                  {QStringLiteral("CREATE INDEX IF NOT EXISTS people_department_nocase ON people (部门 COLLATE NOCASE)"),
                   QStringLiteral("CREATE INDEX IF NOT EXISTS dfaka_department_nocase ON dfaka (部门 COLLATE NOCASE, 日期)"),
                   QStringLiteral("DROP INDEX IF EXISTS datakq_department"),
                   QStringLiteral("CREATE INDEX datakq_department ON datakq (部门 COLLATE NOCASE, 日期)"),
                   QStringLiteral("CREATE INDEX IF NOT EXISTS datakq_name ON datakq (姓名, 日期)")},
                  error);
}

// A door's records in card order, each whole: a query that sorts them
// (by department, say) joins each card's person once, one person after
// the next along the people's key, instead of seeking a person and a
// record at random for each record.
bool addDoorCardIndex(QSqlDatabase db, QString* error)
{
    return runAll(db,
                  {QStringLiteral("CREATE INDEX IF NOT EXISTS data_address_card ON data (地址, 卡号, 日期, 时间, flag, flagIO)")},
                  error);
}

struct Step {
    int version;  // the version the step reaches, from the one before it
    bool (*apply)(QSqlDatabase db, QString* error);
};

// One entry per change of shape, in order; a new entry takes the next
// number. Numbers, once given, are never changed: files carry them.
const Step kSteps[] = {
    {1, numberTheFirstShape},
    {2, NameKey::addTo},
    {3, addQueryIndexes},
    {4, addFilterIndexes},
    {5, addDoorCardIndex},
};

}  // namespace

namespace Schema {

QStringList requiredObjects()
{
    return {QStringLiteral("system"), QStringLiteral("cjtype"),  QStringLiteral("user"),
            QStringLiteral("key"),    QStringLiteral("doors"),   QStringLiteral("department"),
            QStringLiteral("people"), QStringLiteral("dpeople"), QStringLiteral("peoplept"),
            QStringLiteral("faka"),   QStringLiteral("fakapl"),  QStringLiteral("dfaka"),
            QStringLiteral("fakapt"), QStringLiteral("dfakapt"), QStringLiteral("data"),
            QStringLiteral("dataPT"), QStringLiteral("datakq"),  QStringLiteral("datakqPT"),
            QStringLiteral("owt"),    QStringLiteral("asta")};
}

QStringList userFields()
{
    QStringList f{QStringLiteral("sysname"), QStringLiteral("syspword"), QStringLiteral("usersetting"),
                  QStringLiteral("usermanage")};
    for (int i = 0; i <= 27; ++i)
        f << QStringLiteral("r%1").arg(i);
    return f;
}

bool create(QSqlDatabase db, QString* error)
{
    if (!runAll(db, statements(), error) || !setVersion(db, kBaseVersion, error))
        return false;
    for (const Step& step : kSteps) {
        if (step.version > kBaseVersion && !(step.apply(db, error) && setVersion(db, step.version, error)))
            return false;
    }
    return true;
}

int version(QSqlDatabase db)
{
    QSqlQuery q(db);
    if (q.exec(QStringLiteral("PRAGMA user_version")) && q.next())
        return q.value(0).toInt();
    return -1;
}

int currentVersion()
{
    return std::end(kSteps)[-1].version;
}

bool upgrade(QSqlDatabase db, QString* error)
{
    const int from = version(db);
    if (from < 0) {
        if (error)
            *error = db.lastError().text();
        return false;
    }
    for (const Step& step : kSteps) {
        if (step.version <= from)
            continue;
        if (!db.transaction()) {
            if (error)
                *error = db.lastError().text();
            return false;
        }
        if (!(step.apply(db, error) && setVersion(db, step.version, error) && db.commit())) {
            if (error && error->isEmpty())
                *error = db.lastError().text();
            db.rollback();
            return false;
        }
    }
    return true;
}

bool writeSystemRows(QSqlDatabase db, const QString& titlePrefix, QString* error)
{
    struct Row {
        const char* name;
        int zhi;
        QString detail;
        const char* dw;
    };
    const Row rows[] = {
        {"串口号", 1, titlePrefix, nullptr},
        {"通讯设置", 0, QStringLiteral("9600,n,8,1"), nullptr},
        {"输入缓冲区", 2048, QString(), "字节"},
        {"输出缓冲区", 512, QString(), "字符"},
        {"发卡机", 1, QString(), nullptr},
    };
    QSqlQuery find(db), update(db), insert(db);
    find.prepare(QStringLiteral("SELECT count(*) FROM system WHERE name = ?"));
    update.prepare(QStringLiteral("UPDATE system SET zhi = ?, detail = ?, dw = ? WHERE name = ?"));
    insert.prepare(QStringLiteral("INSERT INTO system (name, zhi, detail, dw) VALUES (?, ?, ?, ?)"));
    for (const Row& r : rows) {
        const QString name = QString::fromUtf8(r.name);
        const QVariant detail = r.detail.isNull() ? QVariant(QMetaType(QMetaType::QString)) : QVariant(r.detail);
        const QVariant dw = r.dw ? QVariant(QString::fromUtf8(r.dw)) : QVariant(QMetaType(QMetaType::QString));
        find.addBindValue(name);
        if (!run(find, error) || !find.next())
            return false;
        const bool exists = find.value(0).toInt() > 0;
        find.finish();
        QSqlQuery& q = exists ? update : insert;
        if (exists) {
            q.addBindValue(r.zhi);
            q.addBindValue(detail);
            q.addBindValue(dw);
            q.addBindValue(name);
        } else {
            q.addBindValue(name);
            q.addBindValue(r.zhi);
            q.addBindValue(detail);
            q.addBindValue(dw);
        }
        if (!run(q, error))
            return false;
    }
    return true;
}

bool insertBuiltInOperator(QSqlDatabase db, QString* error)
{
    const QStringList fields = userFields();
    QStringList marks;
    for (int i = 0; i < fields.size(); ++i)
        marks << QStringLiteral("?");
    QSqlQuery q(db);
    q.prepare(QStringLiteral("INSERT INTO user (%1) VALUES (%2)").arg(fields.join(QLatin1Char(',')),
                                                                      marks.join(QLatin1Char(','))));
    q.addBindValue(QString::fromLatin1(kBuiltInOperator));
    // The built-in password comes with the program and is no secret, so a
    // digest shared by the databases one run creates (initialisation can
    // make several) hides nothing less; it spares a memory-hard digest for
    // each. One weaker than the digests made now is made again.
    static QString builtIn;
    if (builtIn.isEmpty() || Password::needsUpgrade(builtIn))
        builtIn = Password::digest(QString::fromLatin1(kBuiltInOperator));
    q.addBindValue(builtIn);
    for (int i = 2; i < fields.size(); ++i)
        q.addBindValue(1);
    return run(q, error);
}

bool insertDeliveredRows(QSqlDatabase db, QString* error)
{
    return writeSystemRows(db, QString(), error) && insertBuiltInOperator(db, error);
}

}  // namespace Schema
