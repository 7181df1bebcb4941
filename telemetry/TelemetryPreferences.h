#pragma once
// The user's two consent choices. Both default to on; an explicit choice is
// remembered per key, and anything but a Boolean under a key reads as off.

#include "core/UserDefaults.h"

#include <QString>
#include <optional>

struct TelemetryPreferences {
    bool usage = true;
    bool city = true;

    TelemetryPreferences(std::optional<bool> usageChoice = std::nullopt, std::optional<bool> cityChoice = std::nullopt)
        : usage(usageChoice.value_or(true)), city(cityChoice.value_or(true))
    {
    }

    static QString usageKey() { return QStringLiteral("ostrel.usageConsent.v1"); }
    static QString cityKey() { return QStringLiteral("ostrel.cityConsent.v1"); }

    static TelemetryPreferences load(const UserDefaults &defaults);

    // The city choice only counts while usage statistics are on.
    bool effectiveCity() const { return usage && city; }

    friend bool operator==(const TelemetryPreferences &, const TelemetryPreferences &) = default;
};
