#include "telemetry/TelemetryPreferences.h"

namespace {
std::optional<bool> savedChoice(const UserDefaults &defaults, const QString &key)
{
    const std::optional<QJsonValue> stored = defaults.object(key);
    if (!stored)
        return std::nullopt;
    return stored->isBool() ? stored->toBool() : false;
}
} // namespace

TelemetryPreferences TelemetryPreferences::load(const UserDefaults &defaults)
{
    return TelemetryPreferences(savedChoice(defaults, usageKey()), savedChoice(defaults, cityKey()));
}
