#include "platform/DesktopWorkspace.h"

#include "core/XdgFolders.h"
#include "platform/ChromeLocalState.h"
#include "platform/PlatformLogging.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>

namespace {

struct Aliases {
    const char *identifier;
    std::initializer_list<const char *> desktopIds;
};

// Native package first, then Flatpak, then Snap.
const Aliases knownAliases[] = {
    {"org.mozilla.firefox", {"firefox", "firefox-esr", "org.mozilla.firefox", "firefox_firefox"}},
    {"com.google.Chrome", {"google-chrome", "com.google.Chrome"}},
    {"org.chromium.Chromium", {"chromium", "org.chromium.Chromium", "chromium_chromium"}},
    {"com.brave.Browser", {"brave-browser", "com.brave.Browser"}},
    {"com.microsoft.Edge", {"microsoft-edge", "com.microsoft.Edge"}},
};

const QString flatpakChrome = QStringLiteral("com.google.Chrome");

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
    for (const Aliases &known : knownAliases) {
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
