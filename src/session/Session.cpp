#include "session/Session.h"

#include "db/Database.h"
#include "db/ProgramFolder.h"

#include <QSqlQuery>
#include <QVariant>

#include <cmath>
#include <limits>

namespace {

struct SystemRow {
    bool found = false;
    QVariant zhi;
    QVariant detail;
};

SystemRow readRow(QSqlDatabase db, const QString& name)
{
    QSqlQuery q(db);
    q.prepare(QStringLiteral("SELECT zhi, detail FROM system WHERE name = ? LIMIT 1"));
    q.addBindValue(name);
    SystemRow r;
    if (q.exec() && q.next()) {
        r.found = true;
        r.zhi = q.value(0);
        r.detail = q.value(1);
    }
    return r;
}

// A whole number that fits the 16-bit variables, or the default.
qint16 wholeNumber(const QVariant& v, qint16 fallback)
{
    if (v.isNull() || v.toString().trimmed().isEmpty())
        return fallback;
    bool ok = false;
    const double d = v.toDouble(&ok);
    if (!ok || !std::isfinite(d) || d < std::numeric_limits<qint16>::min() || d > std::numeric_limits<qint16>::max())
        return fallback;
    return static_cast<qint16>(std::lround(d));
}

}  // namespace

namespace Session {

QSqlDatabase db()
{
    return Database::shared();
}

LineParams lineParams()
{
    LineParams p;
    p.portNo = PortNo;
    p.settings = CommSettings;
    p.inBufSize = InBufSize;
    p.outBufSize = OutBufSize;
    p.programFolder = ProgramFolder::path();
    return p;
}

void loadSystemSettings(QSqlDatabase db)
{
    const SystemRow port = readRow(db, QStringLiteral("串口号"));
    PortNo = wholeNumber(port.zhi, 1);
    TitlePrefix = port.detail.isNull() ? QString() : port.detail.toString();

    const SystemRow settings = readRow(db, QStringLiteral("通讯设置"));
    const QString text = settings.detail.toString().trimmed();
    CommSettings = text.isEmpty() ? QStringLiteral("9600,n,8,1") : text;

    InBufSize = wholeNumber(readRow(db, QStringLiteral("输入缓冲区")).zhi, 2048);
    OutBufSize = wholeNumber(readRow(db, QStringLiteral("输出缓冲区")).zhi, 512);
    ReaderAddress = wholeNumber(readRow(db, QStringLiteral("发卡机")).zhi, 1);
}

bool loadSchedule(QSqlDatabase db)
{
    QSqlQuery q(db);
    if (!q.exec(QStringLiteral("SELECT 采集类型, 采集时间 FROM cjtype LIMIT 1")) || !q.next())
        return false;
    CollectType = wholeNumber(q.value(0), 0);
    CollectTime = q.value(1).toString();
    return true;
}

SessionEvents& events()
{
    static SessionEvents e;
    return e;
}

void reset()
{
    ConnectStr.clear();
    CurrentUser.clear();
    UserLevel = 0;
    PortNo = 0;
    CommSettings.clear();
    InBufSize = 0;
    OutBufSize = 0;
    ReaderAddress = 0;
    TitlePrefix.clear();
    CollectType = 0;
    CollectTime.clear();
    MonitorFlag = 0;
}

}  // namespace Session
