#include "doors/LockKind.h"

#include "db/NumberText.h"

#include <cfenv>
#include <cmath>

namespace LockKinds {

QString character(LockKind kind)
{
    switch (kind) {
    case LockKind::Glass: return QStringLiteral("玻");
    case LockKind::Wood: return QStringLiteral("木");
    case LockKind::Iron: return QStringLiteral("铁");
    }
    return {};
}

std::optional<LockKind> fromCharacter(const QString& c)
{
    for (LockKind k : {LockKind::Glass, LockKind::Wood, LockKind::Iron}) {
        if (c == character(k))
            return k;
    }
    return std::nullopt;
}

QString defaultDelay(LockKind kind)
{
    return kind == LockKind::Iron ? QStringLiteral("0.5") : QStringLiteral("5");
}

double maxDelay(LockKind kind)
{
    return kind == LockKind::Iron ? 2.0 : 25.0;
}

}  // namespace LockKinds

double delayValue(const QString& text)
{
    return NumberText::leading(text);
}

DelayCheck checkDelay(LockKind kind, const QString& text)
{
    const QString t = text.trimmed();
    if (t.isEmpty())
        return DelayCheck::Empty;
    const double v = delayValue(t);
    return (v >= 0 && v <= LockKinds::maxDelay(kind)) ? DelayCheck::InRange : DelayCheck::OutOfRange;
}

namespace DelayUnits {

std::optional<quint8> toCount(double seconds)
{
    if (!std::isfinite(seconds) || seconds < 0)
        return std::nullopt;
    // nearbyint follows the rounding mode; the default one sends a half to
    // the even neighbour (10.5 -> 10, 17.5 -> 18).
    const int saved = std::fegetround();
    std::fesetround(FE_TONEAREST);
    const double count = std::nearbyint(seconds * kPerSecond);
    std::fesetround(saved);
    if (count > kMaxCount)
        return std::nullopt;
    return static_cast<quint8>(count);
}

double toSeconds(quint8 count)
{
    return double(count) / kPerSecond;
}

QString largestDelayText()
{
    return QStringLiteral("18.2");
}

}  // namespace DelayUnits
