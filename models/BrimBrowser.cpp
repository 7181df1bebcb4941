#include "models/BrimBrowser.h"

#include <QCoreApplication>

namespace {

struct KnownBrowser {
    const char *identifier;
    const char *title;
};

// Probed in this order. Debian's own browser comes first, where the
// platform's own browser would be.
constexpr KnownBrowser knownBrowsers[] = {
    {"org.mozilla.firefox", QT_TRANSLATE_NOOP("BrimBrowser", "Firefox")},
    {"com.google.Chrome", QT_TRANSLATE_NOOP("BrimBrowser", "Google Chrome")},
    {"org.chromium.Chromium", QT_TRANSLATE_NOOP("BrimBrowser", "Chromium")},
    {"com.brave.Browser", QT_TRANSLATE_NOOP("BrimBrowser", "Brave")},
    {"com.microsoft.Edge", QT_TRANSLATE_NOOP("BrimBrowser", "Microsoft Edge")},
};

QString tr(const char *text)
{
    return QCoreApplication::translate("BrimBrowser", text);
}

} // namespace

QList<BrimBrowser> BrimBrowser::discover(const BrimWorkspace &workspace)
{
    QList<BrimBrowser> browsers;
    for (const KnownBrowser &known : knownBrowsers) {
        const QString identifier = QLatin1String(known.identifier);
        const std::optional<QUrl> app = workspace.applicationURL(identifier);
        if (!app)
            continue;
        browsers.append({identifier, tr(known.title), *app, std::nullopt});
        if (identifier != chromeIdentifier)
            continue;
        for (const BrimChromeProfile &profile : workspace.chromeProfiles(*app)) {
            browsers.append({identifier + QLatin1Char(':') + profile.directory,
                             tr(QT_TRANSLATE_NOOP("BrimBrowser", "Chrome · %1")).arg(profile.name), *app,
                             profile.directory});
        }
    }
    return browsers;
}

void BrimBrowser::open(const QString &url, BrimWorkspace &workspace,
                       const std::function<void(const QString &)> &failure) const
{
    const QString notOpened = tr(QT_TRANSLATE_NOOP("BrimBrowser", "The selected browser could not be opened."));
    if (!profile) {
        const Result<void, BrimLaunchError> launched = workspace.launch(app, {url});
        if (!launched.ok())
            failure(launched.error().kind == BrimLaunchError::notFound ? notOpened : launched.error().description);
        return;
    }
    // The directory name goes in as it is: no quoting, one argument.
    const QStringList arguments{QStringLiteral("--profile-directory=") + *profile, QStringLiteral("--new-window"), url};
    const Result<void, BrimLaunchError> launched = workspace.launch(app, arguments);
    if (launched.ok())
        return;
    if (launched.error().kind == BrimLaunchError::notFound)
        failure(notOpened);
    else
        failure(tr(QT_TRANSLATE_NOOP("BrimBrowser", "Chrome could not open this profile: %1"))
                    .arg(launched.error().description));
}

size_t qHash(const BrimBrowser &browser, size_t seed) noexcept
{
    return qHashMulti(seed, browser.id, browser.title, browser.app, browser.profile.value_or(QString()),
                      browser.profile.has_value());
}
