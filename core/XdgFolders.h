#pragma once
// The XDG base folders, as QStandardPaths finds them, except that a relative
// value of the variables is ignored as the XDG rules ask (Qt takes it as it is).

#include <QString>
#include <QStringList>

namespace XdgFolders {
// $XDG_CONFIG_HOME, default ~/.config
QString configHome();
// $XDG_DATA_HOME, default ~/.local/share
QString dataHome();
// The data search path: dataHome() then each $XDG_DATA_DIRS entry (default
// /usr/local/share, /usr/share), most important first, each once.
QStringList dataDirs();
} // namespace XdgFolders
