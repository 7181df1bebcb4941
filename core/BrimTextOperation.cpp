#include "core/BrimTextOperation.h"

#include "core/UnicodeText.h"


namespace {

using UnicodeText::Writer;

bool isLineBreak(char16_t unit)
{
    return unit == u'\n' || unit == u'\r';
}

// Index just past the line break at index: "\r\n", "\r" and "\n" each end
// one line.
qsizetype pastLineBreak(QStringView text, qsizetype index)
{
    return text[index] == u'\r' && index + 1 < text.size() && text[index + 1] == u'\n' ? index + 2 : index + 1;
}

QString trimmedLines(QStringView text)
{
    Writer out(text.size());
    qsizetype lineStart = 0;
    while (true) {
        qsizetype lineEnd = lineStart;
        while (lineEnd < text.size() && !isLineBreak(text[lineEnd].unicode()))
            ++lineEnd;
        // Every Zs character is in the Basic Multilingual Plane, so the edges
        // can be checked one code unit at a time.
        qsizetype begin = lineStart;
        qsizetype end = lineEnd;
        while (begin < end && UnicodeText::isSpaceOrTab(text[begin].unicode()))
            ++begin;
        while (end > begin && UnicodeText::isSpaceOrTab(text[end - 1].unicode()))
            --end;
        out.put(text.sliced(begin, end - begin));
        if (lineEnd == text.size())
            break;
        out.put(u'\n');
        lineStart = pastLineBreak(text, lineEnd);
    }
    return out.take();
}

QString collapsedSpaces(QStringView text)
{
    Writer out(text.size());
    bool lineHasText = false;
    bool pendingSpace = false;
    bool afterCarriageReturn = false;
    const char16_t *units = text.utf16();
    const std::uint8_t *flags = UnicodeText::bmpCharacterFlags();
    UnicodeText::forEachCharacterScalar(text, [&](qsizetype i, qsizetype length, char32_t c, bool, bool separator) {
        // Line breaks always stand alone as characters ("\r\n" as one).
        if (c == u'\n' || c == u'\r') {
            if (!(c == u'\n' && afterCarriageReturn))
                out.put(u'\n');
            afterCarriageReturn = c == u'\r';
            lineHasText = false;
            pendingSpace = false;
            return i + length;
        }
        afterCarriageReturn = false;
        if (separator) {
            pendingSpace = lineHasText;
            return i + length;
        }
        if (pendingSpace)
            out.put(u' ');
        pendingSpace = false;
        lineHasText = true;
        // Copy the rest of the word in one go.
        qsizetype end = i + length;
        while (end < text.size() && !QChar::isSurrogate(units[end]) && !(flags[units[end]] & UnicodeText::whiteSpaceFlag))
            ++end;
        out.put(text.sliced(i, end - i));
        return end;
    });
    return out.take();
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
    case plain: return tr("Plain text");
    case uppercase: return tr("UPPERCASE");
    case lowercase: return tr("lowercase");
    case titleCase: return tr("Title Case");
    case trimLines: return tr("Trim line edges");
    case collapseSpaces: return tr("Collapse spaces");
    }
    return {};
}

QString BrimTextOperation::apply(const QString &text) const
{
    switch (m_value) {
    case plain: return text;
    case uppercase: return UnicodeText::upper(text);
    case lowercase: return UnicodeText::lower(text);
    case titleCase: return UnicodeText::title(text);
    case trimLines: return trimmedLines(text);
    case collapseSpaces: return collapsedSpaces(text);
    }
    return text;
}
