#include "platform/XdgAutostartLoginItems.h"

#include "core/AtomicFile.h"
#include "core/XdgFolders.h"
#include "platform/AppInstallation.h"
#include "platform/PlatformLogging.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QStandardPaths>
#include <QtConcurrent/QtConcurrentRun>
#include <QCoro/QCoroFuture>

namespace {

const QByteArray mainGroup = QByteArrayLiteral("[Desktop Entry]");

QString text(const char *source)
{
    return QCoreApplication::translate("XdgAutostartLoginItems", source);
}

QByteArray keyOf(const QByteArray &line)
{
    const qsizetype equals = line.indexOf('=');
    return equals < 0 ? QByteArray() : line.left(equals).trimmed();
}

QByteArray valueOf(const QByteArray &line)
{
    return line.mid(line.indexOf('=') + 1).trimmed();
}

bool isGroupHeader(const QByteArray &trimmed)
{
    return trimmed.startsWith('[') && trimmed.endsWith(']');
}

// The [Desktop Entry] group without the dropped keys, with `added` after its
// last line; nothing when the text has no such group.
std::optional<QByteArray> editMainGroup(const QByteArray &entry, const QList<QByteArray> &dropped,
                                        const QList<QByteArray> &added)
{
    QList<QByteArray> lines = entry.split('\n');
    for (QByteArray &line : lines) {
        if (line.endsWith('\r'))
            line.chop(1);
    }
    QList<QByteArray> kept;
    qsizetype insertAt = -1;
    bool inMain = false;
    for (const QByteArray &line : std::as_const(lines)) {
        const QByteArray trimmed = line.trimmed();
        if (isGroupHeader(trimmed)) {
            inMain = trimmed == mainGroup && insertAt < 0;
            kept.append(line);
            if (inMain)
                insertAt = kept.size();
            continue;
        }
        if (inMain && dropped.contains(keyOf(trimmed)))
            continue;
        kept.append(line);
        if (inMain && !trimmed.isEmpty())
            insertAt = kept.size();
    }
    if (insertAt < 0)
        return std::nullopt;
    for (qsizetype i = 0; i < added.size(); ++i)
        kept.insert(insertAt + i, added[i]);
    while (!kept.isEmpty() && kept.last().trimmed().isEmpty())
        kept.removeLast();
    return kept.join('\n') + '\n';
}

std::optional<QByteArray> mainGroupValue(const QByteArray &entry, const QByteArray &key)
{
    bool inMain = false;
    for (const QByteArray &line : entry.split('\n')) {
        const QByteArray trimmed = line.trimmed();
        if (isGroupHeader(trimmed))
            inMain = trimmed == mainGroup;
        else if (inMain && keyOf(trimmed) == key)
            return valueOf(trimmed);
    }
    return std::nullopt;
}

QByteArray minimalEntry(const QString &displayName)
{
    return mainGroup + "\nType=Application\nName=" + displayName.toUtf8() + '\n';
}

std::optional<QByteArray> readFile(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    return file.readAll();
}

bool existsUnreadable(const QString &path)
{
    const QFileInfo info(path);
    return info.exists() && !QFile(path).open(QIODevice::ReadOnly);
}

Result<void, QString> writeEntry(const QString &path, const QByteArray &contents)
{
    if (!QDir().mkpath(QFileInfo(path).absolutePath()))
        return Failure{text("The autostart folder could not be created.")};
    return writeFileAtomically(path, contents);
}

} // namespace

XdgAutostartLoginItems::Locations XdgAutostartLoginItems::Locations::current()
{
    const AppInstallation installation = AppInstallation::current();
    QStringList configFolders = QStandardPaths::standardLocations(QStandardPaths::GenericConfigLocation);
    Locations locations;
    locations.userAutostartFolder = XdgFolders::configHome() + QStringLiteral("/autostart");
    for (const QString &folder : std::as_const(configFolders)) {
        const QString autostart = folder + QStringLiteral("/autostart");
        if (autostart != locations.userAutostartFolder)
            locations.systemAutostartFolders.append(autostart);
    }
    locations.installedEntries = installation.desktopEntries();
    locations.program = installation.program();
    locations.fileName = AppInstallation::identifier() + QStringLiteral(".desktop");
    locations.displayName = QGuiApplication::applicationDisplayName();
    return locations;
}

XdgAutostartLoginItems::XdgAutostartLoginItems(Locations locations, std::optional<AutostartSettingsTool> settingsTool)
    : m_locations(std::move(locations))
    , m_settingsTool(std::move(settingsTool))
{
}

QString XdgAutostartLoginItems::userEntry() const
{
    return m_locations.userAutostartFolder + QLatin1Char('/') + m_locations.fileName;
}

std::optional<QString> XdgAutostartLoginItems::systemEntry() const
{
    for (const QString &folder : m_locations.systemAutostartFolders) {
        const QString path = folder + QLatin1Char('/') + m_locations.fileName;
        if (QFileInfo(path).isFile())
            return path;
    }
    return std::nullopt;
}

LoginItemStatus XdgAutostartLoginItems::status()
{
    // The user's entry overrides a system-wide one of the same name.
    QString effective = userEntry();
    if (!QFileInfo::exists(effective)) {
        const std::optional<QString> system = systemEntry();
        if (!system)
            return LoginItemStatus::notRegistered;
        effective = *system;
    }
    const std::optional<QByteArray> contents = readFile(effective);
    if (!contents) {
        qCWarning(lcPlatform) << "cannot read the autostart entry" << effective;
        return LoginItemStatus::notFound;
    }
    return isHidden(*contents) ? LoginItemStatus::notRegistered : LoginItemStatus::enabled;
}

QCoro::Task<Result<void, QString>> XdgAutostartLoginItems::registerItem()
{
    const std::optional<QString> exec = execArgument(m_locations.program);
    if (!exec)
        co_return Failure{text("This program's location cannot be used in an autostart entry.")};
    const QString target = userEntry();
    const Locations locations = m_locations;
    // Built before the co_await: g++ 12 destroys a capturing lambda inside one twice.
    QFuture<Result<void, QString>> written = QtConcurrent::run([target, locations, exec = *exec]() -> Result<void, QString> {
        if (existsUnreadable(target))
            return Failure{text("The existing autostart entry cannot be read.")};
        std::optional<QByteArray> installed;
        for (const QString &path : locations.installedEntries) {
            if ((installed = readFile(path)))
                break;
            qCWarning(lcPlatform) << "cannot read the installed desktop entry" << path;
        }
        return writeEntry(target, autostartEntry(installed, exec, locations.displayName));
    });
    co_return co_await written;
}

QCoro::Task<Result<void, QString>> XdgAutostartLoginItems::unregisterItem()
{
    const QString target = userEntry();
    const std::optional<QString> system = systemEntry();
    const QString displayName = m_locations.displayName;
    QFuture<Result<void, QString>> removed = QtConcurrent::run([target, system, displayName]() -> Result<void, QString> {
        if (existsUnreadable(target))
            return Failure{text("The existing autostart entry cannot be read.")};
        if (system) {
            const QByteArray systemContents = readFile(*system).value_or(minimalEntry(displayName));
            if (!isHidden(systemContents))
                return writeEntry(target, hiddenEntry(systemContents));
        }
        QFile file(target);
        if (file.exists() && !file.remove())
            return Failure{file.errorString()};
        return {};
    });
    co_return co_await removed;
}

void XdgAutostartLoginItems::openSettings()
{
    if (m_settingsTool)
        m_settingsTool->open();
}

std::optional<QString> XdgAutostartLoginItems::execArgument(const QString &program)
{
    if (program.isEmpty())
        return std::nullopt;
    const QString reserved = QStringLiteral(" \t\n\"'\\><~|&;$*?#()`");
    bool quote = false;
    for (const QChar c : program) {
        if (c.unicode() < 0x20 || c.unicode() == 0x7f)
            return std::nullopt;
        quote = quote || reserved.contains(c);
    }
    QString argument;
    if (quote) {
        argument += QLatin1Char('"');
        for (const QChar c : program) {
            if (c == QLatin1Char('"') || c == QLatin1Char('`') || c == QLatin1Char('$') || c == QLatin1Char('\\'))
                argument += QLatin1Char('\\');
            argument += c;
        }
        argument += QLatin1Char('"');
    } else {
        argument = program;
    }
    argument.replace(QLatin1Char('%'), QStringLiteral("%%"));
    // Exec is a string value: its own backslashes are escaped once more.
    argument.replace(QLatin1Char('\\'), QStringLiteral("\\\\"));
    return argument;
}

QByteArray XdgAutostartLoginItems::autostartEntry(const std::optional<QByteArray> &installed, const QString &exec,
                                                  const QString &displayName)
{
    static const QList<QByteArray> replaced = {"Exec", "TryExec", "Hidden", "X-GNOME-Autostart-enabled", "DBusActivatable"};
    const QList<QByteArray> added = {"Exec=" + exec.toUtf8()};
    if (installed) {
        if (std::optional<QByteArray> edited = editMainGroup(*installed, replaced, added))
            return *edited;
    }
    return *editMainGroup(minimalEntry(displayName), replaced, added);
}

QByteArray XdgAutostartLoginItems::hiddenEntry(const QByteArray &entry)
{
    static const QList<QByteArray> replaced = {"Hidden"};
    const QList<QByteArray> added = {"Hidden=true"};
    if (std::optional<QByteArray> edited = editMainGroup(entry, replaced, added))
        return *edited;
    return mainGroup + "\nHidden=true\n";
}

bool XdgAutostartLoginItems::isHidden(const QByteArray &entry)
{
    return mainGroupValue(entry, "Hidden") == QByteArray("true")
        || mainGroupValue(entry, "X-GNOME-Autostart-enabled") == QByteArray("false");
}
