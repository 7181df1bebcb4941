#include "models/BrimBrowser.h"

#include "models/BrimKnownBrowsers.h"

#include <QCoreApplication>
#include <QSet>

#include <algorithm>

namespace {

QString tr(const char *text)
{
    return QCoreApplication::translate("BrimBrowser", text);
}

} // namespace

QList<BrimBrowser> BrimBrowser::discover(const BrimWorkspace &workspace)
{
    QList<BrimBrowser> browsers;
    QSet<QString> known;
    for (const BrimKnownBrowser &browser : brimKnownBrowsers) {
        const QString identifier = QLatin1String(browser.identifier);
        known << identifier;
        const std::optional<QUrl> app = workspace.applicationURL(identifier);
        if (!app)
            continue;
        browsers.append({identifier, tr(browser.title), *app, std::nullopt});
        if (identifier != chromeIdentifier)
            continue;
        for (const BrimChromeProfile &profile : workspace.chromeProfiles(*app)) {
            browsers.append({identifier + QLatin1Char(':') + profile.directory,
                             tr(QT_TRANSLATE_NOOP("BrimBrowser", "Chrome · %1")).arg(profile.name), *app,
                             profile.directory});
        }
    }
    // Then every other browser the user has, by name; stored by the
    // platform's id, which never takes a known one's.
    QList<BrimWebApp> others = workspace.webBrowsers();
    others.removeIf([&](const BrimWebApp &app) {
        return known.contains(app.identifier) || std::any_of(browsers.cbegin(), browsers.cend(), [&](const BrimBrowser &b) {
                   return b.app == app.location;
               });
    });
    std::sort(others.begin(), others.end(), [](const BrimWebApp &a, const BrimWebApp &b) {
        const int order = QString::localeAwareCompare(a.name, b.name);
        return order != 0 ? order < 0 : a.identifier < b.identifier;
    });
    for (const BrimWebApp &app : others)
        browsers.append({app.identifier, app.name, app.location, std::nullopt});
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
