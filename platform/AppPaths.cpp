#include "platform/AppPaths.h"

#include "BuildInfo.h"
#include "core/XdgFolders.h"

QString AppPaths::configFolder()
{
    return XdgFolders::configHome() + QLatin1Char('/') + QLatin1String(BuildInfo::bundleIdentifier);
}

QString AppPaths::applicationSupportFolder()
{
    return XdgFolders::dataHome() + QLatin1Char('/') + QLatin1String(BuildInfo::bundleIdentifier);
}

QString AppPaths::defaultsFile()
{
    return configFolder() + QStringLiteral("/defaults.json");
}
