#include "cards/CardLists.h"

#include "cards/CardRows.h"
#include "db/BoundQuery.h"
#include "db/DateText.h"
#include "db/NumberText.h"
#include "db/Transaction.h"

#include <QSqlQuery>
#include <QSqlRecord>
#include <QVariant>

namespace {

QSqlQuery run(QSqlDatabase db, const QString& sql, const QVariantList& values, bool* ok = nullptr)
{
    QSqlQuery q(db);
    q.setForwardOnly(true);
    bool done = q.prepare(sql);
    if (done) {
        for (const QVariant& v : values)
            q.addBindValue(v);
        done = q.exec();
    }
    if (ok)
        *ok = done;
    return q;
}

bool blank(const QVariant& v)
{
    return v.isNull() || v.toString().trimmed().isEmpty();
}

// A stored date or time that is there but does not read is a damaged row,
// never the same as no limit.
bool readDate(const QVariant& v, QDate* out)
{
    if (blank(v))
        return true;
    *out = DateText::toDate(v);
    return out->isValid();
}

bool readTime(const QVariant& v, QTime* out)
{
    if (blank(v))
        return true;
    *out = DateText::toTime(v);
    return out->isValid();
}

bool readWhole(const QVariant& v, std::optional<int>* out)
{
    if (blank(v))
        return true;
    bool ok = false;
    const int n = v.toString().trimmed().toInt(&ok);
    if (ok)
        *out = n;
    return ok;
}

std::optional<FakaRow> rowOf(const QSqlRecord& r)
{
    FakaRow row;
    bool ok = false;
    row.address = r.value(QStringLiteral("地址")).toInt(&ok);
    if (!ok)
        return std::nullopt;
    row.card = r.value(QStringLiteral("卡号")).toString().trimmed();
    row.physical = r.value(QStringLiteral("物理卡号")).toString().trimmed();
    std::optional<int> w1, w2;
    if (!readDate(r.value(QStringLiteral("开始日期")), &row.limits.startDate)
        || !readDate(r.value(QStringLiteral("截止日期")), &row.limits.endDate)
        || !readTime(r.value(QStringLiteral("开始时间")), &row.limits.startTime)
        || !readTime(r.value(QStringLiteral("截止时间")), &row.limits.endTime)
        || !readWhole(r.value(QStringLiteral("开始星期")), &w1) || !readWhole(r.value(QStringLiteral("截止星期")), &w2)
        || !readWhole(r.value(QStringLiteral("ctrl_state1")), &row.mode1)
        || !readWhole(r.value(QStringLiteral("ctrl_state2")), &row.mode2))
        return std::nullopt;
    row.weekStored = w1.has_value() && w2.has_value();
    row.limits.weekStart = w1.value_or(0);
    row.limits.weekEnd = w2.value_or(0);
    row.limits.lock1Mode = row.mode1.value_or(0);
    row.limits.lock2Mode = row.mode2.value_or(0);
    return row;
}

std::optional<QList<SourceCard>> sources(QSqlDatabase db, const QString& sql, const QVariantList& values)
{
    bool ok = false;
    QSqlQuery q = run(db, sql, values, &ok);
    if (!ok)
        return std::nullopt;
    QList<SourceCard> out;
    while (q.next())
        out.append({q.value(0).toString().trimmed(), q.value(1).toString().trimmed()});
    return out;
}

std::optional<QStringList> cardNumbers(QSqlDatabase db, const QString& sql, const QVariantList& values)
{
    bool ok = false;
    QSqlQuery q = run(db, sql, values, &ok);
    if (!ok)
        return std::nullopt;
    QStringList out;
    while (q.next()) {
        const QString card = q.value(0).toString().trimmed();
        if (!card.isEmpty() && !out.contains(card))
            out << card;
    }
    return out;
}

}  // namespace

namespace CardLists {

PairOutcome pairOutcome(CardLineResult r)
{
    switch (r) {
    case CardLineResult::Acknowledged: return PairOutcome::Done;
    case CardLineResult::Refused: return PairOutcome::Refused;
    case CardLineResult::PortNotOpen: return PairOutcome::PortNotOpen;
    case CardLineResult::NoAnswer: return PairOutcome::NoAnswer;
    case CardLineResult::WrongAnswer: return PairOutcome::WrongAnswer;
    case CardLineResult::LateAnswer: return PairOutcome::LateAnswer;
    case CardLineResult::Disturbed: return PairOutcome::Disturbed;
    }
    return PairOutcome::NoAnswer;
}

std::optional<CardDoubt> doubtOf(PairOutcome outcome)
{
    if (outcome == PairOutcome::WrongAnswer)
        return CardDoubt::WrongAddress;
    if (outcome == PairOutcome::LateAnswer)
        return CardDoubt::Late;
    if (outcome == PairOutcome::Disturbed)
        return CardDoubt::Disturbed;
    return std::nullopt;
}

std::optional<int> parseAddress(const QString& text)
{
    return NumberText::address(text);
}

QStringList peopleDepartments(QSqlDatabase db)
{
    return BoundQuery::distinctColumn(db, QStringLiteral("SELECT DISTINCT 部门 FROM people ORDER BY 部门"));
}

QStringList holderDepartments(QSqlDatabase db)
{
    return BoundQuery::distinctColumn(db, QStringLiteral("SELECT DISTINCT 部门 FROM fakapl ORDER BY 部门"));
}

QStringList issuedCards(QSqlDatabase db)
{
    return BoundQuery::distinctColumn(db, QStringLiteral("SELECT DISTINCT 卡号 FROM faka ORDER BY 卡号"));
}

QStringList issuedAddresses(QSqlDatabase db)
{
    return BoundQuery::distinctColumn(db, QStringLiteral("SELECT DISTINCT 地址 FROM faka ORDER BY 地址"));
}

QList<int> holdersOf(QSqlDatabase db, const QString& card)
{
    QList<int> out;
    QSqlQuery q = run(db,
                      QStringLiteral("SELECT DISTINCT d.地址 FROM faka f JOIN doors d ON f.地址 = d.地址 "
                                     "WHERE f.卡号 = ? ORDER BY d.地址"),
                      {card.trimmed()});
    while (q.next())
        out.append(q.value(0).toInt());
    return out;
}

std::optional<QList<StoredCard>> storedCards(QSqlDatabase db, int address)
{
    bool ok = false;
    QSqlQuery q = run(db, QStringLiteral("SELECT * FROM faka WHERE 地址 = ? ORDER BY 卡号"), {address}, &ok);
    if (!ok)
        return std::nullopt;
    QList<StoredCard> out;
    while (q.next())
        out.append({q.value(QStringLiteral("卡号")).toString().trimmed(), rowOf(q.record())});
    return out;
}

std::optional<FakaRow> fakaRow(QSqlDatabase db, int address, const QString& card)
{
    QSqlQuery q = run(db, QStringLiteral("SELECT * FROM faka WHERE 地址 = ? AND 卡号 = ?"), {address, card.trimmed()});
    return q.next() ? rowOf(q.record()) : std::nullopt;
}

std::optional<FakaRow> firstRowOf(QSqlDatabase db, const QString& card)
{
    QSqlQuery q = run(db, QStringLiteral("SELECT * FROM fakapl WHERE 卡号 = ? ORDER BY 地址 LIMIT 1"), {card.trimmed()});
    return q.next() ? rowOf(q.record()) : std::nullopt;
}

std::optional<bool> isIssued(QSqlDatabase db, int address, const QString& card)
{
    return CardRows::holds(db, address, card.trimmed());
}

bool personExists(QSqlDatabase db, const QString& card)
{
    QSqlQuery q = run(db, QStringLiteral("SELECT 1 FROM people WHERE 卡号 = ?"), {card.trimmed()});
    return q.next();
}

std::optional<QStringList> cardsOn(QSqlDatabase db, int address)
{
    return cardNumbers(db, QStringLiteral("SELECT DISTINCT 卡号 FROM faka WHERE 地址 = ? ORDER BY 卡号"), {address});
}

std::optional<QStringList> cardsOfDepartment(QSqlDatabase db, const QString& department)
{
    return cardNumbers(db, QStringLiteral("SELECT DISTINCT 卡号 FROM fakapl WHERE 部门 = ? ORDER BY 卡号"),
                       {department.trimmed()});
}

std::optional<QList<SourceCard>> sourceCard(QSqlDatabase db, const QString& card)
{
    return sources(db, QStringLiteral("SELECT 卡号, 物理卡号 FROM faka WHERE 卡号 = ? ORDER BY 地址 LIMIT 1"),
                   {card.trimmed()});
}

std::optional<QList<SourceCard>> sourcesOn(QSqlDatabase db, int address)
{
    return sources(db, QStringLiteral("SELECT 卡号, 物理卡号 FROM faka WHERE 地址 = ? ORDER BY 卡号"), {address});
}

std::optional<QList<SourceCard>> sourcesOfDepartment(QSqlDatabase db, const QString& department)
{
    return sources(db, QStringLiteral("SELECT 卡号, 物理卡号 FROM fakapl WHERE 部门 = ? ORDER BY 卡号, 地址"),
                   {department.trimmed()});
}

PairOutcome removeCard(LinePort& port, const LineParams& params, QSqlDatabase db, int address,
                       const QString& card, const QDate& today)
{
    const QString kh = card.trimmed();
    const std::optional<bool> issued = isIssued(db, address, kh);
    if (!issued)
        return PairOutcome::ReadFailed;
    if (!*issued)
        return PairOutcome::NotHeld;
    const CardLineResult sent = CardListLine::remove(port, params, address, kh);
    if (sent != CardLineResult::Acknowledged)
        return pairOutcome(sent);

    Transaction t(db);
    if (!t.begun() || !CardRows::moveToHistory(db, address, kh, today) || !t.commit())
        return PairOutcome::DatabaseFailed;
    return PairOutcome::Done;
}

PairOutcome extendCard(LinePort& port, const LineParams& params, QSqlDatabase db, int address,
                       QString& physical, const QString& card, const ExtensionLimits& run_)
{
    const QString kh = card.trimmed();
    CardLimits sent = run_.limits;
    if (!run_.dateOn)
        sent.startDate = sent.endDate = QDate();
    if (!run_.weekOn)
        sent.weekStart = sent.weekEnd = 0;
    if (!run_.timeOn)
        sent.startTime = sent.endTime = QTime();
    const CardLineResult r = CardListLine::add(port, params, address, physical, kh, sent, CardPacing::AroundSend);
    if (r != CardLineResult::Acknowledged)
        return pairOutcome(r);

    Transaction t(db);
    if (!t.begun())
        return PairOutcome::DatabaseFailed;
    bool ok = false;
    run(db,
        QStringLiteral("INSERT INTO faka (地址, 卡号, 物理卡号, ctrl_state1, ctrl_state2) VALUES (?, ?, ?, ?, ?)"),
        {address, kh, physical, sent.lock1Mode, sent.lock2Mode}, &ok);
    if (ok && run_.dateOn)
        run(db, QStringLiteral("UPDATE faka SET 开始日期 = ?, 截止日期 = ? WHERE 卡号 = ? AND 地址 = ?"),
            {DateText::bindDate(sent.startDate), DateText::bindDate(sent.endDate), kh, address}, &ok);
    if (ok && run_.weekOn)
        run(db, QStringLiteral("UPDATE faka SET 开始星期 = ?, 截止星期 = ? WHERE 卡号 = ? AND 地址 = ?"),
            {sent.weekStart, sent.weekEnd, kh, address}, &ok);
    if (ok && run_.timeOn)
        run(db, QStringLiteral("UPDATE faka SET 开始时间 = ?, 截止时间 = ? WHERE 卡号 = ? AND 地址 = ?"),
            {DateText::bindTime(sent.startTime), DateText::bindTime(sent.endTime), kh, address}, &ok);
    if (!ok || !t.commit())
        return PairOutcome::DatabaseFailed;
    return PairOutcome::Done;
}

}  // namespace CardLists
