#include "admin/PortSettings.h"

#include "session/Session.h"
#include "db/Transaction.h"
#include "db/NumberText.h"

#include <QSqlError>

#include <cmath>
#include <limits>

namespace PortSettings {

std::optional<qint16> boxNumber(const QString& text)
{
    const double v = std::nearbyint(NumberText::leading(text));
    if (!std::isfinite(v) || v < std::numeric_limits<qint16>::min() || v > std::numeric_limits<qint16>::max())
        return std::nullopt;
    return static_cast<qint16>(v);
}

Read fromTexts(const QString& port, const QString& settings, const QString& inBuf, const QString& outBuf)
{
    Read r;
    const QString* texts[] = {&port, &settings, &inBuf, &outBuf};
    const Box boxes[] = {Box::Port, Box::Settings, Box::InBuf, Box::OutBuf};
    for (int i = 0; i < 4; ++i) {
        if (texts[i]->isEmpty()) {
            r.refused = boxes[i];
            return r;
        }
    }
    const auto p = boxNumber(port), in = boxNumber(inBuf), out = boxNumber(outBuf);
    if (!p || !in || !out) {
        r.refused = !p ? Box::Port : !in ? Box::InBuf : Box::OutBuf;
        return r;
    }
    r.values = Values{*p, settings.trimmed(), *in, *out};
    return r;
}

SettingsWrite apply(QSqlDatabase db, const Values& v)
{
    SettingsWrite w;
    Transaction t(db);
    if (!t.begun()) {
        w.error = db.lastError().text();
        return w;
    }
    if (!SystemRows::write(db, QStringLiteral("串口号"), QStringLiteral("zhi"), v.portNo, &w.error) ||
        !SystemRows::write(db, QStringLiteral("通讯设置"), QStringLiteral("detail"), v.commSettings, &w.error) ||
        !SystemRows::write(db, QStringLiteral("输入缓冲区"), QStringLiteral("zhi"), v.inBufSize, &w.error) ||
        !SystemRows::write(db, QStringLiteral("输出缓冲区"), QStringLiteral("zhi"), v.outBufSize, &w.error))
        return w;
    if (!t.commit()) {
        w.error = db.lastError().text();
        return w;
    }
    Session::PortNo = v.portNo;
    Session::CommSettings = v.commSettings;
    Session::InBufSize = v.inBufSize;
    Session::OutBufSize = v.outBufSize;
    w.ok = true;
    return w;
}

}  // namespace PortSettings
