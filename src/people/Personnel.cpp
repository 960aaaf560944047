#include "people/Personnel.h"

#include "db/Clock.h"
#include "db/DateText.h"
#include "db/Transaction.h"

#include <QSqlError>
#include <QSqlRecord>

namespace {

// The text fields of `people` and where they live in Person.
struct TextField {
    const char* column;
    QString Person::*member;
};
const TextField kTextFields[] = {
    {"姓名", &Person::name},          {"部门", &Person::department},     {"职务", &Person::position},
    {"身份证号", &Person::idNumber},  {"rmno", &Person::room},           {"sex", &Person::sex},
    {"marriage", &Person::marriage},  {"tel", &Person::tel},             {"hukou", &Person::hukou},
    {"company", &Person::company},    {"fcz", &Person::fcz},             {"nation", &Person::nation},
    {"spouse", &Person::spouse},      {"ssex", &Person::spouseSex},      {"shukou", &Person::spouseHukou},
    {"scompany", &Person::spouseCompany}, {"child1", &Person::child1},   {"child2", &Person::child2},
    {"child3", &Person::child3},      {"others", &Person::others},
};

// The fields a deleted person keeps in `dpeople`.
const char* kHistoryFields[] = {
    "卡号", "姓名", "部门", "职务", "身份证号", "rmno", "sex", "marriage", "hukou", "company",
    "tel", "fcz", "spouse", "ssex", "scompany", "shukou", "child1", "child2", "child3", "nation",
};

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

QString text(const QSqlQuery& q, const QString& field)
{
    const QVariant v = q.value(field);
    return v.isNull() ? QString() : v.toString();
}

// The filter's WHERE and ORDER BY, with their values.
QString filterClause(const Personnel::Filter& f, QVariantList& values)
{
    if (!f.range)
        return QString();
    values << f.first.trimmed() << f.last.trimmed();
    // Card numbers compare as text, so "12" lies between "100000" and
    // "200000"; the listing goes by their value.
    return QStringLiteral(" WHERE 卡号 BETWEEN ? AND ? ORDER BY CAST(卡号 AS INTEGER), 卡号");
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
    p.cardNo = text(q, QStringLiteral("卡号"));
    for (const TextField& f : kTextFields)
        p.*f.member = text(q, u(f.column));
    p.photo = text(q, QStringLiteral("照片"));
    p.birthday = DateText::toDate(q.value(QStringLiteral("birthday")));
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
    QStringList columns{QStringLiteral("卡号"), QStringLiteral("birthday")};
    QVariantList values{person.cardNo, DateText::bindDate(person.birthday)};
    for (const TextField& f : kTextFields) {
        columns << u(f.column);
        values << person.*f.member;
    }
    if (!person.photo.isEmpty()) {
        columns << QStringLiteral("照片");
        values << person.photo;
    }
    QSqlQuery q(db);
    q.prepare(QStringLiteral("INSERT INTO people (%1) VALUES (%2)")
                  .arg(columns.join(QLatin1Char(',')), QStringList(columns.size(), QStringLiteral("?")).join(QLatin1Char(','))));
    for (const QVariant& v : values)
        q.addBindValue(v);
    if (!q.exec())
        return failure(q.lastError().text());
    return {};
}

Result change(QSqlDatabase db, const Person& person)
{
    QStringList sets{QStringLiteral("birthday = ?")};
    QVariantList values{DateText::bindDate(person.birthday)};
    for (const TextField& f : kTextFields) {
        sets << u(f.column) + QStringLiteral(" = ?");
        values << person.*f.member;
    }
    if (!person.photo.isEmpty()) {
        sets << QStringLiteral("照片 = ?");
        values << person.photo;
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
    return {};
}

Result remove(QSqlDatabase db, const QString& cardNo)
{
    if (isIssued(db, cardNo))
        return {Outcome::CardIssued, {}};
    if (!find(db, cardNo))
        return {Outcome::CardMissing, {}};

    QStringList fields;
    for (const char* f : kHistoryFields)
        fields << u(f);
    const QString list = fields.join(QLatin1Char(','));

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

Statement listStatement(const Filter& filter)
{
    Statement s;
    s.sql = QStringLiteral("SELECT * FROM people") + filterClause(filter, s.values);
    return s;
}

QSqlQuery cardNumberQuery(QSqlDatabase db)
{
    QSqlQuery q(db);
    q.exec(QStringLiteral("SELECT DISTINCT 卡号 FROM people"));
    return q;
}

QStringList cardNumbersStartingWith(QSqlDatabase db, const QString& prefix, int limit)
{
    QSqlQuery q(db);
    q.setForwardOnly(true);
    if (prefix.isEmpty()) {
        q.prepare(QStringLiteral("SELECT 卡号 FROM people ORDER BY 卡号 LIMIT ?"));
    } else {
        // A range on the key rather than LIKE, so the index is used.
        q.prepare(QStringLiteral("SELECT 卡号 FROM people WHERE 卡号 >= ? AND 卡号 < ? ORDER BY 卡号 LIMIT ?"));
        q.addBindValue(prefix);
        q.addBindValue(prefix + QChar(0xFFFF));
    }
    q.addBindValue(limit);
    QStringList out;
    if (q.exec()) {
        while (q.next())
            out << q.value(0).toString();
    }
    return out;
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
