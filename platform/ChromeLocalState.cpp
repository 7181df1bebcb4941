#include "platform/ChromeLocalState.h"

#include "platform/PlatformLogging.h"

#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>

#include <algorithm>

namespace {

// "^Profile [0-9]+$", without a regular expression engine.
bool isProfileDirectory(const QString &name)
{
    if (name == QLatin1String("Default"))
        return true;
    const QLatin1String prefix("Profile ");
    if (!name.startsWith(prefix) || name.size() == prefix.size())
        return false;
    return std::all_of(name.begin() + prefix.size(), name.end(),
                       [](QChar c) { return c >= u'0' && c <= u'9'; });
}

} // namespace

QList<BrimChromeProfile> ChromeLocalState::profiles(const QByteArray &json)
{
    const QJsonDocument document = QJsonDocument::fromJson(json);
    const QJsonObject top = document.object();
    if (!document.isObject() || top.isEmpty())
        return {};
    const QJsonValue profile = top.value(QLatin1String("profile"));
    if (!profile.isObject())
        return {};
    const QJsonValue infoCache = profile.toObject().value(QLatin1String("info_cache"));
    if (!infoCache.isObject())
        return {};
    const QJsonObject cache = infoCache.toObject();
    for (auto it = cache.begin(); it != cache.end(); ++it) {
        if (!it.value().isObject())
            return {};
    }
    // Accepted names are ASCII, where UTF-16 order is code-point order.
    QStringList names = cache.keys();
    names.removeIf([](const QString &name) { return !isProfileDirectory(name); });
    std::sort(names.begin(), names.end());
    QList<BrimChromeProfile> result;
    for (const QString &directory : std::as_const(names)) {
        const QJsonValue name = cache.value(directory).toObject().value(QLatin1String("name"));
        result.append({directory, name.isString() ? name.toString() : directory});
    }
    return result;
}

QList<BrimChromeProfile> ChromeLocalState::read(const QString &path)
{
    // Only a regular file has a size; a pipe or a device would block the read.
    const QFileInfo info(path);
    if (!info.isFile())
        return {};
    const qint64 size = info.size();
    if (size > maximumSize) {
        qCWarning(lcPlatform) << "Chrome's profile list is" << size << "bytes, more than we read:" << path;
        return {};
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        qCWarning(lcPlatform) << "cannot read Chrome's profile list" << path << file.errorString();
        return {};
    }
    // Read at most one byte beyond the cap, in case the file grew since.
    const QByteArray data = file.read(maximumSize + 1);
    if (data.size() > maximumSize)
        return {};
    return profiles(data);
}
