#include "services/BetaSupportInformation.h"

#include "telemetry/AppSignalContext.h"

#include <QStringList>

QString BetaSupportInformation::text(const QString &appName, const AppBundle &bundle)
{
    const AppSignalContext context = AppSignalContext::live(bundle);
    return text(appName, bundle, context.os(), context.architecture());
}

QString BetaSupportInformation::text(const QString &appName, const AppBundle &bundle, const QString &os,
                                     const QString &architecture)
{
    // Report data read by the developers: kept in English whatever the user's language.
    const QString unavailable = QStringLiteral("Unavailable");
    return QStringList{
        QStringLiteral("App: ") + appName,
        QStringLiteral("Version: ") + bundle.shortVersion.value_or(unavailable),
        QStringLiteral("Build: ") + bundle.buildNumber.value_or(unavailable),
        QStringLiteral("Linux: ") + os,
        QStringLiteral("App architecture: ") + architecture,
    }.join(QLatin1Char('\n'));
}
