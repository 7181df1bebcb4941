#pragma once
// Rules for the panel's stored tool lists: which tools are enabled, which are
// favourites, the grid order, the edits made while customizing, and the
// migration of stored lists to the current catalogue. Everything works on the
// stored text values, so it needs no user interface to test.

#include "core/BrimTool.h"

#include <QLatin1String>
#include <QList>
#include <QString>
#include <QStringView>
#include <optional>

class UserDefaults;

class BrimToolPreferences {
public:
    BrimToolPreferences() = delete;

    static constexpr QLatin1String enabledKey{"brimkitEnabled"};
    static constexpr QLatin1String favoritesKey{"brimkitFavorites"};
    static constexpr QLatin1String toolsVersionKey{"brimkitToolsVersion"};
    static constexpr QLatin1String browserKey{"brimkitBrowser"};

    static constexpr QLatin1String defaultEnabled{"awake,timer,alarms,links,apps,colors,text,qr"};
    static constexpr QLatin1String defaultFavorites{"awake,timer"};
    static constexpr qint64 defaultToolsVersion = 1;
    // The system's own browser on Debian.
    static constexpr QLatin1String defaultBrowser{"org.mozilla.firefox"};
    // Stored enabled list meaning "no tool"; the empty text means "all tools".
    static constexpr QLatin1String none{"none"};
    static constexpr qint64 currentToolsVersion = 3;

    // Empty text: all tools in catalogue order; otherwise the parsed list.
    static QList<BrimTool> enabled(QStringView raw);
    // The parsed favourites that are also enabled, in the favourites' order.
    static QList<BrimTool> favorites(QStringView raw, const QList<BrimTool> &enabled);
    // Grid order: enabled favourites first, then the other enabled tools.
    static QList<BrimTool> ordered(QStringView enabledRaw, QStringView favoritesRaw);

    // The text to store after enabling or disabling a tool; always normalized.
    // Enabling a tool that is already enabled keeps it where it is.
    static QString enabling(BrimTool tool, QStringView enabledRaw);
    static QString disabling(BrimTool tool, QStringView enabledRaw);
    // The favourites text to store after pinning or unpinning a tool. Pieces
    // that name no tool are kept as they are.
    static QString togglingFavorite(BrimTool tool, QStringView favoritesRaw);

    // Raw values joined with "," and no spaces.
    static QString join(const QList<BrimTool> &tools);

    // What migration writes; absent members are left as stored.
    struct Migration {
        std::optional<QString> enabled;
        std::optional<qint64> toolsVersion;
        friend bool operator==(const Migration &, const Migration &) = default;
    };
    // Absent arguments mean the key is absent (or holds another type).
    static Migration migration(const std::optional<QString> &enabledRaw, std::optional<qint64> toolsVersion);
    // Reads the stored values, migrates them and writes back what changed.
    static void migrate(UserDefaults &defaults);

    // Stored values, or their defaults when absent or of another type.
    static QString enabledText(const UserDefaults &defaults);
    static QString favoritesText(const UserDefaults &defaults);

private:
    static QList<BrimTool> parse(QStringView raw);
};
