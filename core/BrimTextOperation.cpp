#include "core/BrimTextOperation.h"

#include "core/UnicodeText.h"

#include <QTextBoundaryFinder>

namespace {

QString withNewlines(const QString &text)
{
    if (!text.contains(u'\r'))
        return text;
    QString normalized = text;
    normalized.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    normalized.replace(u'\r', u'\n');
    return normalized;
}

QString trimmedLines(const QString &text)
{
    const QString normalized = withNewlines(text);
    const qsizetype size = normalized.size();
    QString out;
    out.reserve(size);
    qsizetype lineStart = 0;
    while (true) {
        qsizetype lineEnd = normalized.indexOf(u'\n', lineStart);
        const bool last = lineEnd < 0;
        if (last)
            lineEnd = size;
        // Every Zs character is in the Basic Multilingual Plane, so the edges
        // can be checked one code unit at a time.
        qsizetype begin = lineStart;
        qsizetype end = lineEnd;
        while (begin < end && UnicodeText::isSpaceOrTab(normalized[begin].unicode()))
            ++begin;
        while (end > begin && UnicodeText::isSpaceOrTab(normalized[end - 1].unicode()))
            --end;
        out += QStringView(normalized).sliced(begin, end - begin);
        if (last)
            break;
        out += u'\n';
        lineStart = lineEnd + 1;
    }
    return out;
}

// Walks the text one scalar at a time and reports, for each, whether it
// begins a user-perceived character and whether the character it belongs to
// is word-separating whitespace (decided by the character's first scalar).
template <class Visit>
void forEachScalar(const QString &text, Visit visit)
{
    QTextBoundaryFinder graphemes(QTextBoundaryFinder::Grapheme, text);
    bool separator = false;
    qsizetype i = 0;
    while (i < text.size()) {
        qsizetype length = 0;
        const char32_t c = UnicodeText::scalarAt(text, i, &length);
        graphemes.setPosition(i);
        const bool starts = graphemes.isAtBoundary();
        if (starts)
            separator = UnicodeText::isWhiteSpace(c);
        visit(i, length, c, starts, separator);
        i += length;
    }
}

QString collapsedSpaces(const QString &text)
{
    const QString normalized = withNewlines(text);
    QString out;
    out.reserve(normalized.size());
    bool lineHasText = false;
    bool pendingSpace = false;
    forEachScalar(normalized, [&](qsizetype i, qsizetype length, char32_t c, bool, bool separator) {
        // A line feed always stands alone as a character.
        if (c == u'\n') {
            out += u'\n';
            lineHasText = false;
            pendingSpace = false;
        } else if (separator) {
            pendingSpace = lineHasText;
        } else {
            if (pendingSpace)
                out += u' ';
            pendingSpace = false;
            lineHasText = true;
            out += QStringView(normalized).sliced(i, length);
        }
    });
    return out;
}

QString titleCased(const QString &text)
{
    QString out;
    out.reserve(text.size() + text.size() / 8);
    bool inWord = false;
    forEachScalar(text, [&](qsizetype i, qsizetype length, char32_t c, bool starts, bool separator) {
        if (separator) {
            out += QStringView(text).sliced(i, length);
            inWord = false;
        } else if (starts && !inWord) {
            UnicodeText::appendTitle(out, c);
            inWord = true;
        } else {
            UnicodeText::appendLower(out, text, i, c);
        }
    });
    return out;
}

} // namespace

std::optional<BrimTextOperation> BrimTextOperation::fromRawValue(QStringView raw)
{
    for (BrimTextOperation operation : allCases()) {
        if (operation.rawValue() == raw)
            return operation;
    }
    return std::nullopt;
}

QString BrimTextOperation::rawValue() const
{
    switch (m_value) {
    case plain: return QStringLiteral("plain");
    case uppercase: return QStringLiteral("uppercase");
    case lowercase: return QStringLiteral("lowercase");
    case titleCase: return QStringLiteral("titleCase");
    case trimLines: return QStringLiteral("trimLines");
    case collapseSpaces: return QStringLiteral("collapseSpaces");
    }
    return {};
}

QString BrimTextOperation::title() const
{
    switch (m_value) {
    case plain: return QStringLiteral("Plain text");
    case uppercase: return QStringLiteral("UPPERCASE");
    case lowercase: return QStringLiteral("lowercase");
    case titleCase: return QStringLiteral("Title Case");
    case trimLines: return QStringLiteral("Trim line edges");
    case collapseSpaces: return QStringLiteral("Collapse spaces");
    }
    return {};
}

QString BrimTextOperation::apply(const QString &text) const
{
    switch (m_value) {
    case plain: return text;
    case uppercase: return UnicodeText::upper(text);
    case lowercase: return UnicodeText::lower(text);
    case titleCase: return titleCased(text);
    case trimLines: return trimmedLines(text);
    case collapseSpaces: return collapsedSpaces(text);
    }
    return text;
}
