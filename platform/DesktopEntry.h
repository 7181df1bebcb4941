#pragma once
// The [Desktop Entry] group of a desktop file, as the Desktop Entry
// Specification reads it: string escapes undone, the name in the user's
// language. Pure; the file itself is read by DesktopEntries.

#include <QByteArrayView>
#include <QHash>
#include <QString>

#include <optional>

class DesktopEntry {
public:
    // Nothing when the data is not a desktop file: no [Desktop Entry] group
    // first, or a line that is neither a comment, a group nor key=value.
    // locale is a QLocale name such as "de_DE".
    static std::optional<DesktopEntry> parse(QByteArrayView data, const QString &locale);

    // The value with its escapes (\s \n \t \r \\) undone; empty when absent.
    QString value(const QString &key) const { return m_values.value(key); }
    bool contains(const QString &key) const { return m_values.contains(key); }
    // Name in the most specific language given for locale.
    QString name() const { return m_name; }
    bool isApplication() const { return value(QStringLiteral("Type")) == QLatin1String("Application"); }
    bool hidden() const { return value(QStringLiteral("Hidden")) == QLatin1String("true"); }

private:
    DesktopEntry() = default;

    QHash<QString, QString> m_values;
    QString m_name;
};
