#pragma once
#include <QString>
#include <QStringList>
#include <QVariant>
#include <QVariantList>

// The passing modes of a lock as the card reports print them. The stored
// codes 0 to 3 stand for in and out, in only, out only and no passing.
namespace CardStateWords {

// The words of the codes 0, 1, 2 and 3, in that order.
inline QStringList all()
{
    return {QStringLiteral("进出"), QStringLiteral("进"), QStringLiteral("出"), QStringLiteral("禁止")};
}

// "CASE <field> WHEN 0 THEN ? ... END": the word of a stored code, Null for
// any other value; all() gives the values to bind, in order.
inline QString caseOf(const QString& field)
{
    return QStringLiteral("CASE %1 WHEN 0 THEN ? WHEN 1 THEN ? WHEN 2 THEN ? WHEN 3 THEN ? END").arg(field);
}

// The values to bind for `cases` such CASE expressions in a row.
inline QVariantList bindings(int cases)
{
    QVariantList values;
    for (int i = 0; i < cases; ++i)
        for (const QString& w : all())
            values << w;
    return values;
}

}  // namespace CardStateWords
