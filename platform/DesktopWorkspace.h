#pragma once
// Applications from desktop entries: an identifier maps to the desktop-file
// ids under which its native, Flatpak and Snap packages install it; an
// application's location is its desktop file. Launching expands that file's
// Exec line into an argument list and starts it detached (its own session,
// output to the null device), never through a shell.

#include "models/BrimWorkspace.h"
#include "platform/DesktopEntries.h"

#include <optional>

class DesktopWorkspace final : public BrimWorkspace {
public:
    explicit DesktopWorkspace(DesktopEntries entries);

    // The desktop-file ids tried for an identifier, in order.
    static QStringList desktopIds(const QString &identifier);

    std::optional<QUrl> applicationURL(const QString &identifier) const override;
    // Entries that handle https or are in the WebBrowser category; hidden
    // and NoDisplay ones, and those whose TryExec is missing, left out.
    QList<BrimWebApp> webBrowsers() const override;
    // From ~/.config/google-chrome, or from the Flatpak's own folder when the
    // location is the Flatpak's desktop file.
    QList<BrimChromeProfile> chromeProfiles(const QUrl &chrome) const override;
    Result<void, BrimLaunchError> launch(const QUrl &application, const QStringList &arguments) override;

private:
    QList<BrimWebApp> scanForBrowsers() const;

    DesktopEntries m_entries;
    // Reading every entry costs milliseconds, on each opening of the panel:
    // the last scan is kept until a folder changes.
    struct BrowserScan {
        QList<std::pair<QString, qint64>> folders;
        QList<BrimWebApp> browsers;
    };
    mutable std::optional<BrowserScan> m_browserScan;
};
