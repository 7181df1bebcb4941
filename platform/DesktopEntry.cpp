#include "platform/DesktopEntry.h"

#include <QStringList>

namespace {

const QString mainGroup = QStringLiteral("Desktop Entry");

// Only the escapes of the string types; any other backslash stays for the
// Exec quoting rules to read.
QString unescaped(QStringView raw)
{
    QString out;
    out.reserve(raw.size());
    for (qsizetype i = 0; i < raw.size(); ++i) {
        const QChar c = raw[i];
        if (c != u'\\' || i + 1 == raw.size()) {
            out += c;
            continue;
        }
        switch (raw[i + 1].unicode()) {
        case u's': out += u' '; break;
        case u'n': out += u'\n'; break;
        case u't': out += u'\t'; break;
        case u'r': out += u'\r'; break;
        case u'\\': out += u'\\'; break;
        default: out += c; continue;
        }
        ++i;
    }
    return out;
}

// "lang_COUNTRY", then "lang", then the unlocalized key.
QString localized(const QHash<QString, QString> &localizedNames, const QString &fallback, const QString &locale)
{
    QStringList candidates{locale};
    const qsizetype underscore = locale.indexOf(u'_');
    if (underscore > 0)
        candidates << locale.left(underscore);
    for (const QString &candidate : candidates) {
        const auto found = localizedNames.constFind(candidate);
        if (found != localizedNames.constEnd())
            return *found;
    }
    return fallback;
}

} // namespace

std::optional<DesktopEntry> DesktopEntry::parse(QByteArrayView data, const QString &locale)
{
    DesktopEntry entry;
    QHash<QString, QString> localizedNames;
    bool inMain = false;
    bool seenGroup = false;
    const QString text = QString::fromUtf8(data);
    for (QStringView line : QStringView(text).split(u'\n')) {
        if (line.endsWith(u'\r'))
            line.chop(1);
        if (line.trimmed().isEmpty() || line.startsWith(u'#'))
            continue;
        if (line.startsWith(u'[')) {
            if (!line.endsWith(u']'))
                return std::nullopt;
            const QStringView group = line.sliced(1, line.size() - 2);
            // The main group must come first; any later group ends it.
            if (!seenGroup && group != mainGroup)
                return std::nullopt;
            inMain = !seenGroup;
            seenGroup = true;
            continue;
        }
        const qsizetype equals = line.indexOf(u'=');
        if (!seenGroup || equals <= 0)
            return std::nullopt;
        if (!inMain)
            continue;
        const QString key = line.first(equals).trimmed().toString();
        QStringView raw = line.sliced(equals + 1);
        while (!raw.isEmpty() && (raw.front() == u' ' || raw.front() == u'\t'))
            raw = raw.sliced(1);
        if (key.startsWith(QLatin1String("Name[")) && key.endsWith(u']')) {
            localizedNames.insert(key.mid(5, key.size() - 6), unescaped(raw));
            continue;
        }
        // A repeated key is an error in the file; the first one counts.
        if (!entry.m_values.contains(key))
            entry.m_values.insert(key, unescaped(raw));
    }
    if (!seenGroup)
        return std::nullopt;
    entry.m_name = localized(localizedNames, entry.value(QStringLiteral("Name")), locale);
    return entry;
}
