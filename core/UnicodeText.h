#pragma once
// Unicode character classes and full case mappings, independent of locale.
// QString::toUpper/toLower give the right full mappings but re-allocate on
// every expanding character ("ß", "İ"), which makes them quadratic on long
// texts, and lower-casing lacks the final form of sigma; title-case mappings
// are missing altogether. This file supplies all three in linear time.

#include <QString>
#include <QStringView>

#include <algorithm>
#include <cstdint>

namespace UnicodeText {

// The White_Space property: spaces, tabs, U+000A–U+000D, U+0085, U+00A0,
// U+1680, U+2000–U+200A, U+2028, U+2029, U+202F, U+205F, U+3000.
inline bool isWhiteSpace(char32_t c)
{
    if (c <= 0x20)
        return c == 0x20 || (c >= 0x09 && c <= 0x0D);
    if (c < 0x85)
        return false;
    return c == 0x85 || c == 0xA0 || c == 0x1680 || (c >= 0x2000 && c <= 0x200A) || c == 0x2028
        || c == 0x2029 || c == 0x202F || c == 0x205F || c == 0x3000;
}
// General category Zs plus U+0009.
bool isSpaceOrTab(char32_t c);
// General categories Zs, Zl, Zp plus U+0009–U+000D and U+0085.
bool isWhitespaceOrNewline(char32_t c);
// General categories Cc and Cf.
bool isControl(char32_t c);

// The scalar at index, or U+FFFD for an unpaired surrogate; *length receives
// the number of UTF-16 code units it occupies.
inline char32_t scalarAt(QStringView text, qsizetype index, qsizetype *length)
{
    const char16_t unit = text[index].unicode();
    if (QChar::isSurrogate(unit)) {
        if (QChar::isHighSurrogate(unit) && index + 1 < text.size() && text[index + 1].isLowSurrogate()) {
            *length = 2;
            return QChar::surrogateToUcs4(unit, text[index + 1].unicode());
        }
        *length = 1;
        return QChar::ReplacementCharacter;
    }
    *length = 1;
    return unit;
}

// Whether two adjacent scalars belong to one user-perceived character
// (grapheme cluster), judged on the pair alone. Exact for the rules that
// depend only on the pair (Extend, SpacingMark, ZWJ, Prepend, CR LF, Hangul).
bool continuesCharacter(char32_t before, char32_t after);
// Cheap filters: false means the scalar can never continue a character
// begun by a plain base such as a space or "/" (as Extend, ZWJ or
// SpacingMark), respectively never hold on to a following space (as
// Prepend). True means ask continuesCharacter.
bool mayExtendCharacter(char32_t c);
bool mayPrependCharacter(char32_t c);

// Output buffer that grows by doubling; appends are a compare and a store.
class Writer {
public:
    explicit Writer(qsizetype capacity);
    void put(char16_t unit)
    {
        if (m_size == m_capacity)
            grow(1);
        m_data[m_size++] = unit;
    }
    void putScalar(char32_t c)
    {
        if (QChar::requiresSurrogates(c)) {
            put(QChar::highSurrogate(c));
            put(QChar::lowSurrogate(c));
        } else {
            put(char16_t(c));
        }
    }
    void put(QStringView text);
    // Room for count more units, to be filled directly and then committed.
    char16_t *reserve(qsizetype count)
    {
        if (m_capacity - m_size < count)
            grow(count);
        return m_data + m_size;
    }
    void commit(qsizetype count) { m_size += count; }
    QString take();

private:
    void grow(qsizetype more);
    QString m_text;
    char16_t *m_data = nullptr;
    qsizetype m_size = 0;
    qsizetype m_capacity = 0;
};

// Full mappings of one scalar. lower needs the text and the scalar's index
// there because sigma's form depends on its neighbours.
void putUpper(Writer &out, char32_t c);
void putLower(Writer &out, QStringView text, qsizetype index, char32_t c);
void putTitle(Writer &out, char32_t c);

// Properties of a scalar that decide where words and characters end.
enum CharacterFlag : std::uint8_t {
    whiteSpaceFlag = 1,   // isWhiteSpace
    mayExtendFlag = 2,    // mayExtendCharacter
    mayPrependFlag = 4,   // mayPrependCharacter
};
std::uint8_t characterFlags(char32_t c);
// characterFlags of every scalar of the Basic Multilingual Plane, by value.
const std::uint8_t *bmpCharacterFlags();

// Walks the text one scalar at a time and tells visit(index, length,
// scalar, starts, separator) whether the scalar begins a user-perceived
// character and whether the character it belongs to is word-separating
// whitespace (decided by the character's first scalar). visit returns the
// index to go on from: index + length, or further when it has itself
// consumed a run of units that are neither whitespace nor surrogates after a
// scalar that was no separator.
// Boundaries are only looked up where they can change the answer, around
// whitespace: marks may attach to a space, and a Prepend character may hold
// on to one. Elsewhere every scalar counts as a start, which no caller
// depends on inside a word.
template <class Visit>
void forEachCharacterScalar(QStringView text, Visit visit)
{
    const std::uint8_t *bmpFlags = bmpCharacterFlags();
    const char16_t *units = text.utf16();
    bool separator = false;
    char32_t previous = 0;
    std::uint8_t previousFlags = 0;
    for (qsizetype i = 0; i < text.size();) {
        char32_t c = units[i];
        qsizetype length = 1;
        std::uint8_t flags;
        if (!QChar::isSurrogate(c)) {
            flags = bmpFlags[c];
        } else {
            c = scalarAt(text, i, &length);
            flags = characterFlags(c);
        }
        const bool space = flags & whiteSpaceFlag;
        bool starts = true;
        if (i > 0) {
            if (separator)
                starts = !((flags & mayExtendFlag) && continuesCharacter(previous, c));
            else if (space)
                starts = !((previousFlags & mayPrependFlag) && continuesCharacter(previous, c));
        }
        if (starts)
            separator = space;
        const qsizetype next = visit(i, length, c, starts, separator);
        if (next > i + length) {
            previous = units[next - 1];
            previousFlags = bmpFlags[previous];
        } else {
            previous = c;
            previousFlags = flags;
        }
        i = std::max(next, i + length);
    }
}

// Default full case mappings of a whole text ("ß" upper-cases to "SS",
// "ΟΔΟΣ" lower-cases to "οδος").
QString upper(QStringView text);
QString lower(QStringView text);
// Every word's first character title-cased ("ß" gives "Ss", "ǆ" gives "ǅ")
// and the rest lower-cased; whitespace characters separate words.
QString title(QStringView text);

// The number of user-perceived characters (extended grapheme clusters): an
// emoji built from several code points counts once.
qsizetype characterCount(QStringView text);

} // namespace UnicodeText
