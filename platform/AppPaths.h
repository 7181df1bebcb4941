#pragma once
// Where this application keeps its files, below the XDG base folders
// (core/XdgFolders.h).

#include <QString>

namespace AppPaths {
// $XDG_CONFIG_HOME/app.ostrel.brimkit (default ~/.config/app.ostrel.brimkit)
QString configFolder();
// $XDG_DATA_HOME/app.ostrel.brimkit (default ~/.local/share/app.ostrel.brimkit)
QString applicationSupportFolder();
QString defaultsFile();
} // namespace AppPaths
