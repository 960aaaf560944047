#include "people/Personnel.h"

#include "db/NameKey.h"
#include "db/Clock.h"
#include "db/DateText.h"
#include "db/Transaction.h"

#include <QSqlError>
#include <QSqlRecord>

namespace {

// The grid's columns and captions, in the grid's order.
const char* kGrid[][2] = {
    {"卡号", "卡号"},         {"姓名", "业主姓名"},     {"rmno", "房号"},       {"sex", "性别"},
    {"birthday", "出生年月"}, {"nation", "民族"},       {"marriage", "婚姻状况"}, {"tel", "联系电话"},
    {"职务", "职务"},         {"hukou", "户口所在地"},  {"company", "工作单位"}, {"fcz", "房产证号"},
    {"身份证号", "身份证号"}, {"spouse", "配偶姓名"},   {"shukou", "配偶户口"}, {"scompany", "配偶工作单位"},
    {"child1", "小孩姓名"},   {"child2", "小孩姓名"},   {"child3", "小孩姓名"}, {"部门", "大厦"},
};

QString u(const char* s)
{
    return QString::fromUtf8(s);
}

Personnel::Result failure(const QString& error)
{
    return {Personnel::Outcome::Failed, error};
}

QString column(const PersonField& f)
{
    return QString::fromUtf8(f.column);
}

bool isPhoto(const PersonField& f)
{
    return f.kind == PersonField::Kind::Photo;
}

// The filter's WHERE and ORDER BY, with their values.
QString filterClause(const Personnel::Filter& f, QVariantList& values)
{
    if (!f.range)
        return QString();
    values << f.first.trimmed() << f.last.trimmed();
    // Card numbers compare as text, so "12" lies between "100000" and
    // "200000"; the listing goes by their value.
    // "+" walks the index of that order, testing each row, rather than
    // gathering a range of maybe every person and sorting it.
    return QStringLiteral(" WHERE +卡号 BETWEEN ? AND ? ORDER BY CAST(卡号 AS INTEGER), 卡号");
}

}  // namespace

namespace Personnel {

std::optional<Person> find(QSqlDatabase db, const QString& cardNo)
{
    QSqlQuery q(db);
    q.setForwardOnly(true);
    q.prepare(QStringLiteral("SELECT * FROM people WHERE 卡号 = ?"));
    q.addBindValue(cardNo);
    if (!q.exec() || !q.next())
        return std::nullopt;
    Person p;
    for (const PersonField& f : PersonFields::all())
        PersonFields::setValue(p, f, q.value(column(f)));
    return p;
}

bool isIssued(QSqlDatabase db, const QString& cardNo)
{
    QSqlQuery q(db);
    q.prepare(QStringLiteral("SELECT 1 FROM faka WHERE 卡号 = ? LIMIT 1"));
    q.addBindValue(cardNo);
    return q.exec() && q.next();
}

Result add(QSqlDatabase db, const Person& person)
{
    if (person.cardNo.isEmpty())
        return {Outcome::EmptyCardNo, {}};
    if (find(db, person.cardNo))
        return {Outcome::CardExists, {}};
    QStringList columns;
    QVariantList values;
    for (const PersonField& f : PersonFields::all()) {
        // A person added without a picture has none, not an empty name.
        if (isPhoto(f) && person.photo.isEmpty())
            continue;
        columns << column(f);
        values << PersonFields::value(person, f);
    }
    QSqlQuery q(db);
    q.prepare(QStringLiteral("INSERT INTO people (%1) VALUES (%2)")
                  .arg(columns.join(QLatin1Char(',')), QStringList(columns.size(), QStringLiteral("?")).join(QLatin1Char(','))));
    for (const QVariant& v : values)
        q.addBindValue(v);
    if (!q.exec())
        return failure(q.lastError().text());
    NameKey::fill(db, QStringLiteral("people"));
    return {};
}

Result change(QSqlDatabase db, const Person& person)
{
    QStringList sets;
    QVariantList values;
    for (const PersonField& f : PersonFields::all()) {
        // The card number is the key, and no new picture keeps the old one.
        if (f.text == &Person::cardNo || (isPhoto(f) && person.photo.isEmpty()))
            continue;
        sets << column(f) + QStringLiteral(" = ?");
        values << PersonFields::value(person, f);
    }
    values << person.cardNo;
    QSqlQuery q(db);
    q.prepare(QStringLiteral("UPDATE people SET %1 WHERE 卡号 = ?").arg(sets.join(QStringLiteral(", "))));
    for (const QVariant& v : values)
        q.addBindValue(v);
    if (!q.exec())
        return failure(q.lastError().text());
    if (q.numRowsAffected() == 0)
        return {Outcome::CardMissing, {}};
    NameKey::fill(db, QStringLiteral("people"));
    return {};
}

Result remove(QSqlDatabase db, const QString& cardNo)
{
    if (isIssued(db, cardNo))
        return {Outcome::CardIssued, {}};
    if (!find(db, cardNo))
        return {Outcome::CardMissing, {}};

    const QString list = PersonFields::columns(true).join(QLatin1Char(','));

    Transaction tx(db);
    if (!tx.begun())
        return failure(db.lastError().text());
    QSqlQuery copy(db);
    copy.prepare(QStringLiteral("INSERT INTO dpeople (%1, 日期) SELECT %1, ? FROM people WHERE 卡号 = ?").arg(list));
    copy.addBindValue(DateText::fromDate(Clock::today()));
    copy.addBindValue(cardNo);
    if (!copy.exec())
        return failure(copy.lastError().text());
    QSqlQuery drop(db);
    drop.prepare(QStringLiteral("DELETE FROM people WHERE 卡号 = ?"));
    drop.addBindValue(cardNo);
    if (!drop.exec())
        return failure(drop.lastError().text());
    if (!tx.commit())
        return failure(db.lastError().text());
    return {};
}

QStringList gridFields()
{
    QStringList out;
    for (const auto& c : kGrid)
        out << u(c[0]);
    return out;
}

QStringList gridCaptions()
{
    QStringList out;
    for (const auto& c : kGrid)
        out << u(c[1]);
    return out;
}

QSqlQuery gridQuery(QSqlDatabase db, const Filter& filter)
{
    QVariantList values;
    const QString clause = filterClause(filter, values);
    QSqlQuery q(db);
    q.setForwardOnly(false);
    q.prepare(QStringLiteral("SELECT %1 FROM people%2").arg(gridFields().join(QLatin1Char(',')), clause));
    for (const QVariant& v : values)
        q.addBindValue(v);
    q.exec();
    return q;
}

ReportStaging report(QSqlDatabase db)
{
    return ReportStaging(db, QStringLiteral("peoplept"), QStringLiteral("pl.rpt"));
}

ReportOutcome stageReport(QSqlDatabase db, const Filter& filter)
{
    QVariantList values;
    const QString clause = filterClause(filter, values);
    return report(db).stage(QStringLiteral("SELECT * FROM people") + clause, values);
}

QSqlQuery cardNumberQuery(QSqlDatabase db)
{
    QSqlQuery q(db);
    q.exec(QStringLiteral("SELECT DISTINCT 卡号 FROM people"));
    return q;
}

QStringList departmentNames(QSqlDatabase db)
{
    QSqlQuery q(db);
    q.setForwardOnly(true);
    QStringList out;
    if (q.exec(QStringLiteral("SELECT 部门 FROM department ORDER BY rowid"))) {
        while (q.next())
            out << q.value(0).toString();
    }
    return out;
}

}  // namespace Personnel
