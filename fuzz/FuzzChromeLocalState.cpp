// Chrome's profile list: no crash on any file; only "Default" and
// "Profile <digits>" directories, each once, in ascending order; and the
// same list as a plain reading of the whole file with QJsonDocument, which
// the fast reader must match on every input.
#include "fuzz/FuzzSupport.h"
#include "platform/ChromeLocalState.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>

namespace {

QList<BrimChromeProfile> referenceProfiles(const QByteArray &json)
{
    const QJsonDocument document = QJsonDocument::fromJson(json);
    if (!document.isObject() || document.object().isEmpty())
        return {};
    const QJsonValue profile = document.object().value(QLatin1String("profile"));
    const QJsonValue infoCache = profile.toObject().value(QLatin1String("info_cache"));
    if (!profile.isObject() || !infoCache.isObject())
        return {};
    const QJsonObject cache = infoCache.toObject();
    // \z, not $: "$" would also accept a name that ends in a line break.
    static const QRegularExpression accepted(QStringLiteral("\\A(Default|Profile [0-9]+)\\z"));
    QStringList names;
    for (auto it = cache.constBegin(); it != cache.constEnd(); ++it) {
        if (!it.value().isObject())
            return {};
        if (accepted.match(it.key()).hasMatch())
            names << it.key();
    }
    std::sort(names.begin(), names.end());
    QList<BrimChromeProfile> result;
    for (const QString &directory : std::as_const(names)) {
        const QJsonValue name = cache.value(directory).toObject().value(QLatin1String("name"));
        result.append({directory, name.isString() ? name.toString() : directory});
    }
    return result;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArray json(reinterpret_cast<const char *>(data), qsizetype(size));
    const QList<BrimChromeProfile> profiles = ChromeLocalState::profiles(json);
    for (qsizetype i = 1; i < profiles.size(); ++i)
        FUZZ_CHECK(profiles[i - 1].directory < profiles[i].directory);
    // QString::fromUtf8 drops a U+FEFF that starts a raw string, which makes
    // QJsonDocument's lookups miss such keys: no reference for those inputs.
    if (!json.contains("\xEF\xBB\xBF"))
        FUZZ_CHECK(profiles == referenceProfiles(json));
    return 0;
}
