#pragma once
// Unicode character classes and full case mappings, independent of locale.
// QString::toUpper/toLower already apply the full (multi-character) mappings;
// what Qt lacks is the context-dependent final sigma of lower-casing and full
// title-case mappings, which live here.

#include <QString>
#include <QStringView>

namespace UnicodeText {

// The White_Space property: spaces, tabs, U+000A–U+000D, U+0085, U+00A0,
// U+1680, U+2000–U+200A, U+2028, U+2029, U+202F, U+205F, U+3000.
bool isWhiteSpace(char32_t c);
// General category Zs plus U+0009.
bool isSpaceOrTab(char32_t c);
// General categories Zs, Zl, Zp plus U+0009–U+000D and U+0085.
bool isWhitespaceOrNewline(char32_t c);
// General categories Cc and Cf.
bool isControl(char32_t c);

// Default full upper-case mapping ("ß" becomes "SS").
QString upper(const QString &text);
// Default full lower-case mapping, including the final form of sigma at the
// end of a word ("ΟΔΟΣ" becomes "οδος").
QString lower(const QString &text);

// Appends the full title-case mapping of c ("ß" gives "Ss", "ǆ" gives "ǅ").
void appendTitle(QString &out, char32_t c);
// Appends the full lower-case mapping of the scalar c found at index of text;
// the text supplies the context that sigma needs.
void appendLower(QString &out, QStringView text, qsizetype index, char32_t c);

// The scalar at index, or U+FFFD for an unpaired surrogate; *length receives
// the number of UTF-16 code units it occupies.
char32_t scalarAt(QStringView text, qsizetype index, qsizetype *length);

} // namespace UnicodeText
