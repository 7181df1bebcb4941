#include "platform/DesktopWorkspace.h"

#include "core/XdgFolders.h"
#include "models/BrimKnownBrowsers.h"
#include "platform/ChromeLocalState.h"
#include "platform/PlatformLogging.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>

namespace {

const QString flatpakChrome = QStringLiteral("com.google.Chrome");
// What an entry that opens web addresses declares.
constexpr char httpsHandler[] = "x-scheme-handler/https";
constexpr char browserCategory[] = "WebBrowser";

BrimLaunchError notFound(const QString &what)
{
    qCWarning(lcPlatform) << "cannot launch:" << what;
    return {BrimLaunchError::notFound, what};
}

} // namespace

DesktopWorkspace::DesktopWorkspace(DesktopEntries entries)
    : m_entries(std::move(entries))
{
}

QStringList DesktopWorkspace::desktopIds(const QString &identifier)
{
    for (const BrimKnownBrowser &known : brimKnownBrowsers) {
        if (identifier == QLatin1String(known.identifier)) {
            QStringList ids;
            for (const char *id : known.desktopIds)
                ids << QLatin1String(id);
            return ids;
        }
    }
    return {identifier};
}

std::optional<QUrl> DesktopWorkspace::applicationURL(const QString &identifier) const
{
    for (const QString &id : desktopIds(identifier)) {
        if (const std::optional<DesktopEntries::Found> found = m_entries.find(id))
            return QUrl::fromLocalFile(found->path);
    }
    return std::nullopt;
}

QList<BrimWebApp> DesktopWorkspace::webBrowsers() const
{
    QList<std::pair<QString, qint64>> folders = m_entries.folderStamps();
    if (!m_browserScan || m_browserScan->folders != folders)
        m_browserScan = BrowserScan{std::move(folders), scanForBrowsers()};
    return m_browserScan->browsers;
}

QList<BrimWebApp> DesktopWorkspace::scanForBrowsers() const
{
    QList<BrimWebApp> browsers;
    for (const auto &[id, path] : m_entries.allIds()) {
        QFile file(path);
        if (QFileInfo(path).size() > DesktopEntries::maximumSize || !file.open(QIODevice::ReadOnly))
            continue;
        // Most applications are no browsers: a glance at the bytes spares parsing them.
        const QByteArray data = file.read(DesktopEntries::maximumSize);
        if (!data.contains(httpsHandler) && !data.contains(browserCategory))
            continue;
        const std::optional<DesktopEntries::Found> found = DesktopEntries::parse(path, data);
        if (!found || !DesktopEntries::isInstalled(*found)
            || found->entry.value(QStringLiteral("NoDisplay")) == QLatin1String("true"))
            continue;
        const auto listed = [&](const char *key, const char *item) {
            return found->entry.value(QLatin1String(key)).split(u';').contains(QLatin1String(item));
        };
        if (listed("MimeType", httpsHandler) || listed("Categories", browserCategory))
            browsers.append({id, found->entry.name(), QUrl::fromLocalFile(path)});
    }
    return browsers;
}

QList<BrimChromeProfile> DesktopWorkspace::chromeProfiles(const QUrl &chrome) const
{
    const bool flatpak = QFileInfo(chrome.toLocalFile()).completeBaseName() == flatpakChrome;
    const QString folder = flatpak
        ? QDir::homePath() + QStringLiteral("/.var/app/com.google.Chrome/config/google-chrome")
        : XdgFolders::configHome() + QStringLiteral("/google-chrome");
    return ChromeLocalState::read(folder + QStringLiteral("/Local State"));
}

Result<void, BrimLaunchError> DesktopWorkspace::launch(const QUrl &application, const QStringList &arguments)
{
    if (!application.isLocalFile())
        return Failure{notFound(application.toString())};
    const std::optional<DesktopEntries::Found> found = DesktopEntries::load(application.toLocalFile());
    if (!found)
        return Failure{notFound(application.toLocalFile())};
    const QStringList command = found->exec.expand(
        {arguments, found->entry.value(QStringLiteral("Icon")), found->entry.name(), found->path});
    const QString program = DesktopEntries::resolveProgram(command.first());
    if (program.isEmpty())
        return Failure{notFound(command.first())};

    QProcess process;
    process.setProgram(program);
    process.setArguments(command.mid(1));
    process.setStandardInputFile(QProcess::nullDevice());
    process.setStandardOutputFile(QProcess::nullDevice());
    process.setStandardErrorFile(QProcess::nullDevice());
    const QString workingFolder = found->entry.value(QStringLiteral("Path"));
    if (!workingFolder.isEmpty())
        process.setWorkingDirectory(workingFolder);
    if (!process.startDetached()) {
        qCWarning(lcPlatform) << "cannot start" << program << process.errorString();
        return Failure{BrimLaunchError{BrimLaunchError::startFailed, process.errorString()}};
    }
    return {};
}
