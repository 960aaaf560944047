#pragma once
// Records a simulated controller holds, and the rows collection stores,
// for the tests of the collection windows.
#include "doorsim/Devices.h"
#include "support/Controls.h"
#include "support/TestHome.h"

#include <QDateTime>
#include <QSqlQuery>
#include <QStringList>

namespace CollectedRecords {

// `n` records a minute apart from `first`, cards 000100 upwards, the
// four channels in turn.
inline void addRecords(Controller& c, int n, const QDateTime& first = QDateTime(QDate(2024, 3, 5), QTime(8, 0)))
{
    for (int i = 0; i < n; ++i)
        c.records.append({QStringLiteral("%1").arg(100 + i, 6, 10, QLatin1Char('0')), first.addSecs(60 * i), i % 4 + 1});
}

// A record sent as the ten bytes written in hex.
inline void addRaw(Controller& c, const char* bytes)
{
    StoredRecord r;
    r.raw = hex(bytes);
    c.records.append(r);
}

// Every stored record as "address|card|date|time|flag|flagIO", in order.
inline QStringList dataRows(const TestHome& h)
{
    QSqlQuery q(h.db());
    q.exec(QStringLiteral("SELECT 地址, 卡号, 日期, 时间, flag, flagIO FROM data ORDER BY rowid"));
    QStringList out;
    while (q.next())
        out << QStringLiteral("%1|%2|%3|%4|%5|%6")
                   .arg(q.value(0).toString(), q.value(1).toString(), q.value(2).toString(), q.value(3).toString(),
                        q.value(4).toString(), q.value(5).toString());
    return out;
}

}  // namespace CollectedRecords
