#include "admin/CollectSchedule.h"

#include "session/Session.h"
#include "db/Transaction.h"

#include <QSqlError>
#include <QSqlQuery>

namespace CollectSchedule {

std::optional<Schedule> load(QSqlDatabase db)
{
    QSqlQuery q(db);
    if (!q.exec(QStringLiteral("SELECT 采集类型, 采集时间 FROM cjtype ORDER BY rowid LIMIT 1")) || !q.next())
        return std::nullopt;
    Schedule s;
    s.type = static_cast<qint16>(q.value(0).toInt());
    s.time = q.value(1).toString();
    return s;
}

Schedule timed(const QTime& at)
{
    return {1, at.toString(QStringLiteral("HH:mm"))};
}

Schedule manual()
{
    return {0, QStringLiteral("0")};
}

SettingsWrite save(QSqlDatabase db, const Schedule& s)
{
    SettingsWrite w;
    Transaction t(db);
    if (!t.begun()) {
        w.error = db.lastError().text();
        return w;
    }
    QSqlQuery find(db);
    if (!find.exec(QStringLiteral("SELECT rowid FROM cjtype ORDER BY rowid LIMIT 1"))) {
        w.error = find.lastError().text();
        return w;
    }
    QSqlQuery write(db);
    if (find.next()) {
        write.prepare(QStringLiteral("UPDATE cjtype SET 采集类型 = ?, 采集时间 = ? WHERE rowid = ?"));
        write.addBindValue(s.type);
        write.addBindValue(s.time);
        write.addBindValue(find.value(0));
    } else {
        write.prepare(QStringLiteral("INSERT INTO cjtype (采集类型, 采集时间) VALUES (?, ?)"));
        write.addBindValue(s.type);
        write.addBindValue(s.time);
    }
    if (!write.exec()) {
        w.error = write.lastError().text();
        return w;
    }
    if (!t.commit()) {
        w.error = db.lastError().text();
        return w;
    }
    Session::CollectType = s.type;
    Session::CollectTime = s.time;
    emit Session::events().scheduleChanged();
    w.ok = true;
    return w;
}

bool timerOn(qint16 collectType)
{
    return collectType == 1;
}

bool isDue(const QTime& now, const QString& collectTime)
{
    return now.isValid() && now.toString(QStringLiteral("HH:mm")) == collectTime;
}

}  // namespace CollectSchedule
