#include "core/UnicodeText.h"

#include <QChar>
#include <QTextBoundaryFinder>

#include <algorithm>
#include <array>
#include <iterator>
#include <memory>

namespace {

constexpr char32_t capitalSigma = 0x03A3;
constexpr char16_t smallSigma = 0x03C3;
constexpr char16_t finalSigma = 0x03C2;
constexpr char32_t capitalIWithDot = 0x0130;

struct Range {
    char32_t first, last;
};

// Letters with the Other_Lowercase or Other_Uppercase property, which are
// cased although their general category is not Lu, Ll or Lt (Unicode 14).
constexpr Range otherCased[] = {
    {0x00AA, 0x00AA}, {0x00BA, 0x00BA}, {0x02B0, 0x02B8}, {0x02C0, 0x02C1}, {0x02E0, 0x02E4},
    {0x0345, 0x0345}, {0x037A, 0x037A}, {0x1D2C, 0x1D6A}, {0x1D78, 0x1D78}, {0x1D9B, 0x1DBF},
    {0x2071, 0x2071}, {0x207F, 0x207F}, {0x2090, 0x209C}, {0x2160, 0x217F}, {0x24B6, 0x24E9},
    {0x2C7C, 0x2C7D}, {0xA69C, 0xA69D}, {0xA770, 0xA770}, {0xA7F8, 0xA7F9}, {0xAB5C, 0xAB5F},
    {0x10780, 0x10780}, {0x10783, 0x10785}, {0x10787, 0x107B0}, {0x107B2, 0x107BA},
    {0x1F130, 0x1F149}, {0x1F150, 0x1F169}, {0x1F170, 0x1F189},
};

// Word_Break MidLetter, MidNumLet and Single_Quote: case-ignorable by
// property although their general category is punctuation.
constexpr char32_t midWordPunctuation[] = {
    0x0027, 0x002E, 0x003A, 0x00B7, 0x0387, 0x055F, 0x05F4, 0x2018, 0x2019,
    0x2024, 0x2027, 0xFE13, 0xFE52, 0xFE55, 0xFF07, 0xFF0E, 0xFF1A,
};

// Letters that are Prepend in grapheme clustering (the rest are format characters).
constexpr Range prependLetters[] = {
    {0x0D4E, 0x0D4E}, {0x111C2, 0x111C3}, {0x1193F, 0x1193F}, {0x11941, 0x11941},
    {0x11A3A, 0x11A3A}, {0x11A84, 0x11A89}, {0x11D46, 0x11D46},
};

bool inRanges(char32_t c, const Range *begin, const Range *end)
{
    const Range *it = std::upper_bound(begin, end, c, [](char32_t v, const Range &r) { return v < r.first; });
    return it != begin && c <= (it - 1)->last;
}

bool isCased(char32_t c)
{
    switch (QChar::category(c)) {
    case QChar::Letter_Uppercase:
    case QChar::Letter_Lowercase:
    case QChar::Letter_Titlecase:
        return true;
    default:
        return inRanges(c, std::begin(otherCased), std::end(otherCased));
    }
}

bool isCaseIgnorable(char32_t c)
{
    switch (QChar::category(c)) {
    case QChar::Mark_NonSpacing:
    case QChar::Mark_Enclosing:
    case QChar::Other_Format:
    case QChar::Letter_Modifier:
    case QChar::Symbol_Modifier:
        return true;
    default:
        return std::binary_search(std::begin(midWordPunctuation), std::end(midWordPunctuation), c);
    }
}

// Unicode's Final_Sigma condition: a cased letter (skipping case-ignorable
// characters) before, and none after.
bool isFinalSigma(QStringView text, qsizetype index)
{
    qsizetype i = index;
    bool casedBefore = false;
    while (i > 0) {
        qsizetype start = i - 1;
        if (start > 0 && text[start].isLowSurrogate() && text[start - 1].isHighSurrogate())
            --start;
        qsizetype length = 0;
        const char32_t c = UnicodeText::scalarAt(text, start, &length);
        i = start;
        if (isCaseIgnorable(c))
            continue;
        casedBefore = isCased(c);
        break;
    }
    if (!casedBefore)
        return false;
    i = index + 1;
    while (i < text.size()) {
        qsizetype length = 0;
        const char32_t c = UnicodeText::scalarAt(text, i, &length);
        i += length;
        if (isCaseIgnorable(c))
            continue;
        return !isCased(c);
    }
    return true;
}

// Full mappings longer than the simple one (SpecialCasing, unconditional
// entries). All of them are in the Basic Multilingual Plane.
struct Special {
    char16_t from;
    char16_t to[3];
};

constexpr Special upperSpecials[] = {
    {0x00DF, {0x0053, 0x0053}},
    {0x0149, {0x02BC, 0x004E}},
    {0x01F0, {0x004A, 0x030C}},
    {0x0390, {0x0399, 0x0308, 0x0301}},
    {0x03B0, {0x03A5, 0x0308, 0x0301}},
    {0x0587, {0x0535, 0x0552}},
    {0x1E96, {0x0048, 0x0331}},
    {0x1E97, {0x0054, 0x0308}},
    {0x1E98, {0x0057, 0x030A}},
    {0x1E99, {0x0059, 0x030A}},
    {0x1E9A, {0x0041, 0x02BE}},
    {0x1F50, {0x03A5, 0x0313}},
    {0x1F52, {0x03A5, 0x0313, 0x0300}},
    {0x1F54, {0x03A5, 0x0313, 0x0301}},
    {0x1F56, {0x03A5, 0x0313, 0x0342}},
    {0x1F80, {0x1F08, 0x0399}},
    {0x1F81, {0x1F09, 0x0399}},
    {0x1F82, {0x1F0A, 0x0399}},
    {0x1F83, {0x1F0B, 0x0399}},
    {0x1F84, {0x1F0C, 0x0399}},
    {0x1F85, {0x1F0D, 0x0399}},
    {0x1F86, {0x1F0E, 0x0399}},
    {0x1F87, {0x1F0F, 0x0399}},
    {0x1F88, {0x1F08, 0x0399}},
    {0x1F89, {0x1F09, 0x0399}},
    {0x1F8A, {0x1F0A, 0x0399}},
    {0x1F8B, {0x1F0B, 0x0399}},
    {0x1F8C, {0x1F0C, 0x0399}},
    {0x1F8D, {0x1F0D, 0x0399}},
    {0x1F8E, {0x1F0E, 0x0399}},
    {0x1F8F, {0x1F0F, 0x0399}},
    {0x1F90, {0x1F28, 0x0399}},
    {0x1F91, {0x1F29, 0x0399}},
    {0x1F92, {0x1F2A, 0x0399}},
    {0x1F93, {0x1F2B, 0x0399}},
    {0x1F94, {0x1F2C, 0x0399}},
    {0x1F95, {0x1F2D, 0x0399}},
    {0x1F96, {0x1F2E, 0x0399}},
    {0x1F97, {0x1F2F, 0x0399}},
    {0x1F98, {0x1F28, 0x0399}},
    {0x1F99, {0x1F29, 0x0399}},
    {0x1F9A, {0x1F2A, 0x0399}},
    {0x1F9B, {0x1F2B, 0x0399}},
    {0x1F9C, {0x1F2C, 0x0399}},
    {0x1F9D, {0x1F2D, 0x0399}},
    {0x1F9E, {0x1F2E, 0x0399}},
    {0x1F9F, {0x1F2F, 0x0399}},
    {0x1FA0, {0x1F68, 0x0399}},
    {0x1FA1, {0x1F69, 0x0399}},
    {0x1FA2, {0x1F6A, 0x0399}},
    {0x1FA3, {0x1F6B, 0x0399}},
    {0x1FA4, {0x1F6C, 0x0399}},
    {0x1FA5, {0x1F6D, 0x0399}},
    {0x1FA6, {0x1F6E, 0x0399}},
    {0x1FA7, {0x1F6F, 0x0399}},
    {0x1FA8, {0x1F68, 0x0399}},
    {0x1FA9, {0x1F69, 0x0399}},
    {0x1FAA, {0x1F6A, 0x0399}},
    {0x1FAB, {0x1F6B, 0x0399}},
    {0x1FAC, {0x1F6C, 0x0399}},
    {0x1FAD, {0x1F6D, 0x0399}},
    {0x1FAE, {0x1F6E, 0x0399}},
    {0x1FAF, {0x1F6F, 0x0399}},
    {0x1FB2, {0x1FBA, 0x0399}},
    {0x1FB3, {0x0391, 0x0399}},
    {0x1FB4, {0x0386, 0x0399}},
    {0x1FB6, {0x0391, 0x0342}},
    {0x1FB7, {0x0391, 0x0342, 0x0399}},
    {0x1FBC, {0x0391, 0x0399}},
    {0x1FC2, {0x1FCA, 0x0399}},
    {0x1FC3, {0x0397, 0x0399}},
    {0x1FC4, {0x0389, 0x0399}},
    {0x1FC6, {0x0397, 0x0342}},
    {0x1FC7, {0x0397, 0x0342, 0x0399}},
    {0x1FCC, {0x0397, 0x0399}},
    {0x1FD2, {0x0399, 0x0308, 0x0300}},
    {0x1FD3, {0x0399, 0x0308, 0x0301}},
    {0x1FD6, {0x0399, 0x0342}},
    {0x1FD7, {0x0399, 0x0308, 0x0342}},
    {0x1FE2, {0x03A5, 0x0308, 0x0300}},
    {0x1FE3, {0x03A5, 0x0308, 0x0301}},
    {0x1FE4, {0x03A1, 0x0313}},
    {0x1FE6, {0x03A5, 0x0342}},
    {0x1FE7, {0x03A5, 0x0308, 0x0342}},
    {0x1FF2, {0x1FFA, 0x0399}},
    {0x1FF3, {0x03A9, 0x0399}},
    {0x1FF4, {0x038F, 0x0399}},
    {0x1FF6, {0x03A9, 0x0342}},
    {0x1FF7, {0x03A9, 0x0342, 0x0399}},
    {0x1FFC, {0x03A9, 0x0399}},
    {0xFB00, {0x0046, 0x0046}},
    {0xFB01, {0x0046, 0x0049}},
    {0xFB02, {0x0046, 0x004C}},
    {0xFB03, {0x0046, 0x0046, 0x0049}},
    {0xFB04, {0x0046, 0x0046, 0x004C}},
    {0xFB05, {0x0053, 0x0054}},
    {0xFB06, {0x0053, 0x0054}},
    {0xFB13, {0x0544, 0x0546}},
    {0xFB14, {0x0544, 0x0535}},
    {0xFB15, {0x0544, 0x053B}},
    {0xFB16, {0x054E, 0x0546}},
    {0xFB17, {0x0544, 0x053D}},
};

constexpr Special titleSpecials[] = {
    {0x00DF, {0x0053, 0x0073}}, {0x0149, {0x02BC, 0x004E}}, {0x01F0, {0x004A, 0x030C}},
    {0x0390, {0x0399, 0x0308, 0x0301}}, {0x03B0, {0x03A5, 0x0308, 0x0301}}, {0x0587, {0x0535, 0x0582}},
    {0x1E96, {0x0048, 0x0331}}, {0x1E97, {0x0054, 0x0308}}, {0x1E98, {0x0057, 0x030A}},
    {0x1E99, {0x0059, 0x030A}}, {0x1E9A, {0x0041, 0x02BE}}, {0x1F50, {0x03A5, 0x0313}},
    {0x1F52, {0x03A5, 0x0313, 0x0300}}, {0x1F54, {0x03A5, 0x0313, 0x0301}}, {0x1F56, {0x03A5, 0x0313, 0x0342}},
    {0x1FB2, {0x1FBA, 0x0345}}, {0x1FB4, {0x0386, 0x0345}}, {0x1FB6, {0x0391, 0x0342}},
    {0x1FB7, {0x0391, 0x0342, 0x0345}}, {0x1FC2, {0x1FCA, 0x0345}}, {0x1FC4, {0x0389, 0x0345}},
    {0x1FC6, {0x0397, 0x0342}}, {0x1FC7, {0x0397, 0x0342, 0x0345}}, {0x1FD2, {0x0399, 0x0308, 0x0300}},
    {0x1FD3, {0x0399, 0x0308, 0x0301}}, {0x1FD6, {0x0399, 0x0342}}, {0x1FD7, {0x0399, 0x0308, 0x0342}},
    {0x1FE2, {0x03A5, 0x0308, 0x0300}}, {0x1FE3, {0x03A5, 0x0308, 0x0301}}, {0x1FE4, {0x03A1, 0x0313}},
    {0x1FE6, {0x03A5, 0x0342}}, {0x1FE7, {0x03A5, 0x0308, 0x0342}}, {0x1FF2, {0x1FFA, 0x0345}},
    {0x1FF4, {0x038F, 0x0345}}, {0x1FF6, {0x03A9, 0x0342}}, {0x1FF7, {0x03A9, 0x0342, 0x0345}},
    {0xFB00, {0x0046, 0x0066}}, {0xFB01, {0x0046, 0x0069}}, {0xFB02, {0x0046, 0x006C}},
    {0xFB03, {0x0046, 0x0066, 0x0069}}, {0xFB04, {0x0046, 0x0066, 0x006C}}, {0xFB05, {0x0053, 0x0074}},
    {0xFB06, {0x0053, 0x0074}}, {0xFB13, {0x0544, 0x0576}}, {0xFB14, {0x0544, 0x0565}},
    {0xFB15, {0x0544, 0x056B}}, {0xFB16, {0x054E, 0x0576}}, {0xFB17, {0x0544, 0x056D}},
};

// Every special mapping starts in one of these ranges; a quick test keeps
// the table search away from most text (CJK, for one).
bool maySpecial(char32_t c)
{
    return (c >= 0xDF && c <= 0x587) || (c >= 0x1E96 && c <= 0x1FFC) || (c >= 0xFB00 && c <= 0xFB17);
}

template <size_t N>
const Special *findSpecial(const Special (&table)[N], char32_t c)
{
    if (!maySpecial(c))
        return nullptr;
    const Special *it = std::lower_bound(std::begin(table), std::end(table), c,
                                         [](const Special &s, char32_t v) { return s.from < v; });
    return it != std::end(table) && it->from == c ? it : nullptr;
}

void putSpecial(UnicodeText::Writer &out, const Special &special)
{
    for (char16_t unit : special.to) {
        if (unit)
            out.put(unit);
    }
}

// Simple upper- and lower-case mappings of the Basic Multilingual Plane,
// which never leave it; built once from Qt's tables. 0 marks a scalar whose
// full mapping needs more than the table: an expanding upper-case mapping,
// "İ" (lower-cases to two scalars) and capital sigma (depends on context).
struct BmpCase {
    std::array<char16_t, 0x10000> upper;
    std::array<char16_t, 0x10000> lower;
    std::array<char16_t, 0x10000> title;
    std::array<std::uint8_t, 0x10000> flags;
};

const BmpCase &bmpCase()
{
    static const std::unique_ptr<const BmpCase> table = [] {
        auto t = std::make_unique<BmpCase>();
        for (char32_t c = 0; c < 0x10000; ++c) {
            t->upper[c] = char16_t(QChar::toUpper(c));
            t->lower[c] = char16_t(QChar::toLower(c));
            t->title[c] = char16_t(QChar::toTitleCase(c));
            t->flags[c] = UnicodeText::characterFlags(c);
        }
        for (const Special &special : titleSpecials)
            t->title[special.from] = 0;
        for (const Special &special : upperSpecials)
            t->upper[special.from] = 0;
        t->lower[capitalIWithDot] = 0;
        t->lower[capitalSigma] = 0;
        return std::unique_ptr<const BmpCase>(std::move(t));
    }();
    return *table;
}

void putUpperSlow(UnicodeText::Writer &out, char32_t c)
{
    if (const Special *special = findSpecial(upperSpecials, c))
        putSpecial(out, *special);
    else
        out.putScalar(QChar::toUpper(c));
}

void putLowerSlow(UnicodeText::Writer &out, QStringView text, qsizetype index, char32_t c)
{
    if (c == capitalIWithDot) {
        out.put(u'i');
        out.put(char16_t(0x0307));
    } else if (c == capitalSigma) {
        out.put(isFinalSigma(text, index) ? finalSigma : smallSigma);
    } else {
        out.putScalar(QChar::toLower(c));
    }
}

} // namespace

namespace UnicodeText {

bool isSpaceOrTab(char32_t c)
{
    if (c < 0x80)
        return c == 0x20 || c == 0x09;
    return QChar::category(c) == QChar::Separator_Space;
}

bool isWhitespaceOrNewline(char32_t c)
{
    if ((c >= 0x09 && c <= 0x0D) || c == 0x85)
        return true;
    if (c < 0x80)
        return c == 0x20;
    switch (QChar::category(c)) {
    case QChar::Separator_Space:
    case QChar::Separator_Line:
    case QChar::Separator_Paragraph:
        return true;
    default:
        return false;
    }
}

bool isControl(char32_t c)
{
    if (c < 0x80)
        return c < 0x20 || c == 0x7F;
    const QChar::Category category = QChar::category(c);
    return category == QChar::Other_Control || category == QChar::Other_Format;
}

bool continuesCharacter(char32_t before, char32_t after)
{
    char16_t units[4];
    qsizetype n = 0;
    qsizetype split = 0;
    for (char32_t c : {before, after}) {
        if (QChar::requiresSurrogates(c)) {
            units[n++] = QChar::highSurrogate(c);
            units[n++] = QChar::lowSurrogate(c);
        } else {
            units[n++] = char16_t(c);
        }
        if (!split)
            split = n;
    }
    QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, reinterpret_cast<const QChar *>(units), n);
    finder.setPosition(split);
    return !finder.isAtBoundary();
}

bool mayExtendCharacter(char32_t c)
{
    if (c < 0x300)
        return false;
    switch (QChar::category(c)) {
    case QChar::Mark_NonSpacing:
    case QChar::Mark_SpacingCombining:
    case QChar::Mark_Enclosing:
    case QChar::Other_Format:
    case QChar::Letter_Modifier:
    case QChar::Symbol_Modifier:
        return true;
    default:
        return c == 0x0E33 || c == 0x0EB3;
    }
}

bool mayPrependCharacter(char32_t c)
{
    if (c < 0x600)
        return false;
    return QChar::category(c) == QChar::Other_Format
        || inRanges(c, std::begin(prependLetters), std::end(prependLetters));
}

Writer::Writer(qsizetype capacity)
    : m_text(std::max<qsizetype>(capacity, 16), Qt::Uninitialized)
    , m_data(reinterpret_cast<char16_t *>(m_text.data()))
    , m_capacity(m_text.size())
{
}

void Writer::grow(qsizetype more)
{
    m_text.resize(std::max(m_capacity * 2, m_size + more));
    m_data = reinterpret_cast<char16_t *>(m_text.data());
    m_capacity = m_text.size();
}

void Writer::put(QStringView text)
{
    if (m_capacity - m_size < text.size())
        grow(text.size());
    std::copy(text.utf16(), text.utf16() + text.size(), m_data + m_size);
    m_size += text.size();
}

QString Writer::take()
{
    m_text.truncate(m_size);
    m_data = nullptr;
    m_size = m_capacity = 0;
    return std::move(m_text);
}

void putUpper(Writer &out, char32_t c)
{
    const char16_t mapped = c < 0x10000 ? bmpCase().upper[c] : 0;
    if (mapped || c == 0)
        out.put(mapped);
    else
        putUpperSlow(out, c);
}

void putLower(Writer &out, QStringView text, qsizetype index, char32_t c)
{
    const char16_t mapped = c < 0x10000 ? bmpCase().lower[c] : 0;
    if (mapped || c == 0)
        out.put(mapped);
    else
        putLowerSlow(out, text, index, c);
}

std::uint8_t characterFlags(char32_t c)
{
    return (isWhiteSpace(c) ? whiteSpaceFlag : 0) | (mayExtendCharacter(c) ? mayExtendFlag : 0)
        | (mayPrependCharacter(c) ? mayPrependFlag : 0);
}

const std::uint8_t *bmpCharacterFlags()
{
    return bmpCase().flags.data();
}

void putTitle(Writer &out, char32_t c)
{
    if (c < 0x80) {
        out.put(char16_t(c >= 'a' && c <= 'z' ? c - 32 : c));
    } else if (const Special *special = findSpecial(titleSpecials, c)) {
        putSpecial(out, *special);
    } else {
        out.putScalar(QChar::toTitleCase(c));
    }
}

// Code units outside surrogates map through the table; surrogate pairs and
// marked entries take the slow path; an unpaired surrogate passes unchanged.
template <class SlowPath>
QString mapCase(QStringView text, const char16_t *table, qsizetype growthDivisor, SlowPath slow)
{
    const char16_t *units = text.utf16();
    const qsizetype size = text.size();
    Writer out(size + size / growthDivisor);
    for (qsizetype i = 0; i < size; ++i) {
        const char16_t unit = units[i];
        const char16_t mapped = table[unit];
        if ((mapped || unit == 0) && !QChar::isSurrogate(unit)) {
            out.put(mapped);
            continue;
        }
        qsizetype length = 0;
        const char32_t c = scalarAt(text, i, &length);
        if (length == 1 && QChar::isSurrogate(unit))
            out.put(unit);
        else
            slow(out, i, c);
        i += length - 1;
    }
    return out.take();
}

QString upper(QStringView text)
{
    return mapCase(text, bmpCase().upper.data(), 16, [](Writer &out, qsizetype, char32_t c) { putUpperSlow(out, c); });
}

QString lower(QStringView text)
{
    return mapCase(text, bmpCase().lower.data(), 64,
                   [text](Writer &out, qsizetype i, char32_t c) { putLowerSlow(out, text, i, c); });
}

QString title(QStringView text)
{
    const BmpCase &table = bmpCase();
    const char16_t *units = text.utf16();
    const qsizetype size = text.size();
    Writer out(size + size / 32);
    bool inWord = false;
    forEachCharacterScalar(text, [&](qsizetype i, qsizetype length, char32_t c, bool starts, bool separator) {
        if (separator) {
            out.put(units[i]);
            if (length == 2)
                out.put(units[i + 1]);
            inWord = false;
            return i + length;
        }
        if (length == 1 && QChar::isSurrogate(units[i])) {
            out.put(units[i]);
        } else if (starts && !inWord) {
            if (c < 0x10000 && table.title[c])
                out.put(table.title[c]);
            else
                putTitle(out, c);
        } else if (c < 0x10000 && table.lower[c]) {
            out.put(table.lower[c]);
        } else {
            putLowerSlow(out, text, i, c);
        }
        inWord = true;
        // The rest of the word, as far as the table maps it, in a tight loop.
        qsizetype j = i + length;
        char16_t *dst = out.reserve(size - j);
        const qsizetype from = j;
        while (j < size) {
            const char16_t unit = units[j];
            if (QChar::isSurrogate(unit) || (table.flags[unit] & whiteSpaceFlag) || !table.lower[unit])
                break;
            *dst++ = table.lower[unit];
            ++j;
        }
        out.commit(j - from);
        return j;
    });
    return out.take();
}

qsizetype characterCount(QStringView text)
{
    QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, text.data(), text.size());
    qsizetype count = 0;
    while (finder.toNextBoundary() != -1)
        ++count;
    return count;
}

} // namespace UnicodeText
