#pragma once
// Where this application keeps its files, per the XDG base directories.

#include <QString>
#include <QStringList>

namespace AppPaths {
// $XDG_CONFIG_HOME/app.ostrel.brimkit (default ~/.config/app.ostrel.brimkit)
QString configFolder();
// $XDG_DATA_HOME/app.ostrel.brimkit (default ~/.local/share/app.ostrel.brimkit)
QString applicationSupportFolder();
QString defaultsFile();
// The XDG base folders themselves: $XDG_CONFIG_HOME (default ~/.config),
// $XDG_DATA_HOME (default ~/.local/share), and the data search path
// $XDG_DATA_HOME then each $XDG_DATA_DIRS entry (default /usr/local/share,
// /usr/share), most important first.
QString configHome();
QString dataHome();
QStringList dataDirs();
} // namespace AppPaths
