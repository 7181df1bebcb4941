#pragma once
// An update the updater offers: only the build version it installs matters here.

#include <QString>

struct AppUpdateItem {
    QString versionString;
};
