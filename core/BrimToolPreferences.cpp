#include "core/BrimToolPreferences.h"

#include "core/UserDefaults.h"

namespace {

// Spaces and tabs; line breaks are deliberately not trimmed.
bool isPieceEdge(QChar c)
{
    return c == u'\t' || c.category() == QChar::Separator_Space;
}

QStringView trimmedPiece(QStringView piece)
{
    qsizetype begin = 0;
    qsizetype end = piece.size();
    while (begin < end && isPieceEdge(piece[begin]))
        ++begin;
    while (end > begin && isPieceEdge(piece[end - 1]))
        --end;
    return piece.sliced(begin, end - begin);
}

} // namespace

QList<BrimTool> BrimToolPreferences::parse(QStringView raw)
{
    QList<BrimTool> tools;
    bool seen[BrimTool::allCases().size()] = {};
    for (QStringView piece : raw.tokenize(u',', Qt::SkipEmptyParts)) {
        const std::optional<BrimTool> tool = BrimTool::fromRawValue(trimmedPiece(piece));
        if (tool && !seen[tool->value()]) {
            seen[tool->value()] = true;
            tools.append(*tool);
        }
    }
    return tools;
}

QList<BrimTool> BrimToolPreferences::enabled(QStringView raw)
{
    if (raw.isEmpty()) {
        const auto all = BrimTool::allCases();
        return QList<BrimTool>(all.begin(), all.end());
    }
    return parse(raw);
}

QList<BrimTool> BrimToolPreferences::favorites(QStringView raw, const QList<BrimTool> &enabled)
{
    QList<BrimTool> result;
    for (BrimTool tool : parse(raw)) {
        if (enabled.contains(tool))
            result.append(tool);
    }
    return result;
}

QList<BrimTool> BrimToolPreferences::ordered(QStringView enabledRaw, QStringView favoritesRaw)
{
    const QList<BrimTool> on = enabled(enabledRaw);
    QList<BrimTool> result = favorites(favoritesRaw, on);
    const QList<BrimTool> pinned = result;
    for (BrimTool tool : on) {
        if (!pinned.contains(tool))
            result.append(tool);
    }
    return result;
}

QString BrimToolPreferences::join(const QList<BrimTool> &tools)
{
    QString text;
    for (BrimTool tool : tools) {
        if (!text.isEmpty())
            text += u',';
        text += tool.rawValue();
    }
    return text;
}

QString BrimToolPreferences::enabling(BrimTool tool, QStringView enabledRaw)
{
    QList<BrimTool> tools = enabled(enabledRaw);
    if (!tools.contains(tool))
        tools.append(tool);
    return join(tools);
}

QString BrimToolPreferences::disabling(BrimTool tool, QStringView enabledRaw)
{
    QList<BrimTool> tools = enabled(enabledRaw);
    tools.removeAll(tool);
    return tools.isEmpty() ? QString(none) : join(tools);
}

QString BrimToolPreferences::togglingFavorite(BrimTool tool, QStringView favoritesRaw)
{
    const QString raw = tool.rawValue();
    QList<QStringView> pieces;
    for (QStringView piece : favoritesRaw.tokenize(u',', Qt::SkipEmptyParts))
        pieces.append(piece);
    const qsizetype before = pieces.size();
    pieces.removeIf([&](QStringView piece) { return piece == raw; });
    QString text;
    for (QStringView piece : pieces) {
        if (!text.isEmpty())
            text += u',';
        text += piece;
    }
    if (pieces.size() == before) {
        if (!text.isEmpty())
            text += u',';
        text += raw;
    }
    return text;
}

BrimToolPreferences::Migration BrimToolPreferences::migration(const std::optional<QString> &enabledRaw,
                                                              std::optional<qint64> toolsVersion)
{
    Migration result;
    QString current = enabledRaw.value_or(QString(defaultEnabled));
    qint64 version = toolsVersion.value_or(defaultToolsVersion);

    if (version < 2) {
        if (current != none) {
            QList<BrimTool> tools = enabled(current);
            for (BrimTool added : {BrimTool::colors, BrimTool::text, BrimTool::qr}) {
                if (!tools.contains(added))
                    tools.append(added);
            }
            current = join(tools);
            result.enabled = current;
        }
        version = 2;
        result.toolsVersion = version;
    }
    if (version <= 2) {
        if (current != none) {
            QList<BrimTool> tools = enabled(current);
            if (!tools.contains(BrimTool::alarms)) {
                tools.append(BrimTool::alarms);
                result.enabled = join(tools);
            }
        }
        result.toolsVersion = 3;
    }
    return result;
}

void BrimToolPreferences::migrate(UserDefaults &defaults)
{
    const Migration result = migration(defaults.stringValue(enabledKey), defaults.integerValue(toolsVersionKey));
    if (result.enabled)
        defaults.setString(enabledKey, *result.enabled);
    if (result.toolsVersion)
        defaults.setInteger(toolsVersionKey, *result.toolsVersion);
}

QString BrimToolPreferences::enabledText(const UserDefaults &defaults)
{
    return defaults.stringValue(enabledKey).value_or(QString(defaultEnabled));
}

QString BrimToolPreferences::favoritesText(const UserDefaults &defaults)
{
    return defaults.stringValue(favoritesKey).value_or(QString(defaultFavorites));
}
