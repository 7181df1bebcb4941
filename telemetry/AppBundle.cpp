#include "telemetry/AppBundle.h"

#include "BuildInfo.h"

namespace {
std::optional<QString> setting(const char *value)
{
    const QString text = QString::fromUtf8(value);
    if (text.isEmpty())
        return std::nullopt;
    return text;
}
} // namespace

AppBundle AppBundle::main()
{
    AppBundle bundle;
    bundle.identifier = setting(BuildInfo::bundleIdentifier);
    bundle.shortVersion = setting(BuildInfo::shortVersion);
    bundle.buildNumber = setting(BuildInfo::buildNumber);
    bundle.displayName = setting(BuildInfo::displayName);
    bundle.bundleName = setting(BuildInfo::bundleName);
    bundle.tellixEndpoint = setting(BuildInfo::tellixEndpoint);
    bundle.tellixKey = setting(BuildInfo::tellixKey);
    bundle.updateFeed = setting(BuildInfo::updateFeed);
    bundle.updateKey = setting(BuildInfo::updateKey);
    if (BuildInfo::reviewBuild)
        bundle.reviewLibrary = QStringLiteral("true");
    return bundle;
}

QString AppBundle::appName() const
{
    if (displayName)
        return *displayName;
    if (bundleName)
        return *bundleName;
    return QStringLiteral("Ostrel");
}
