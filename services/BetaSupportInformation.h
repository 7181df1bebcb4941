#pragma once
// Plain-text app details for support requests.

#include "telemetry/AppBundle.h"

#include <QString>

class BetaSupportInformation {
public:
    // Name, version, build, Linux version and the build's architecture, one per line.
    static QString text(const QString &appName, const AppBundle &bundle);
    // Same, with the operating-system version and architecture given.
    static QString text(const QString &appName, const AppBundle &bundle, const QString &os, const QString &architecture);
};
