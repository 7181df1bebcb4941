#include "core/UserDefaults.h"

#include <cmath>

std::optional<bool> UserDefaults::boolValue(const QString &key) const
{
    const auto v = object(key);
    if (!v || !v->isBool())
        return std::nullopt;
    return v->toBool();
}

std::optional<qint64> UserDefaults::integerValue(const QString &key) const
{
    const auto v = object(key);
    if (!v || !v->isDouble())
        return std::nullopt;
    const double d = v->toDouble();
    constexpr double limit = 9007199254740992.0; // 2^53: beyond it doubles skip integers
    if (!std::isfinite(d) || std::trunc(d) != d || std::fabs(d) > limit)
        return std::nullopt;
    return static_cast<qint64>(d);
}

std::optional<QString> UserDefaults::stringValue(const QString &key) const
{
    const auto v = object(key);
    if (!v || !v->isString())
        return std::nullopt;
    return v->toString();
}

std::optional<QJsonValue> MemoryUserDefaults::object(const QString &key) const
{
    const auto it = m_values.constFind(key);
    if (it == m_values.constEnd())
        return std::nullopt;
    return *it;
}
