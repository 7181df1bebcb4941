#include "core/BrimURL.h"

#include "core/HexDigit.h"
#include "core/UnicodeText.h"

#include <QByteArray>
#include <QList>
#include <uriparser/Uri.h>

#include <array>
#include <optional>

namespace {

const BrimURLError invalid{BrimURLError::invalidURL};

int hexValue(char c)
{
    return hexDigitValue(static_cast<unsigned char>(c));
}

// Replaces each "%" and two hexadecimal digits by that byte; anything else,
// "+" included, stays as it is.
QByteArray percentDecodedBytes(QByteArrayView text)
{
    QByteArray bytes(text.size(), Qt::Uninitialized);
    char *out = bytes.data();
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] == '%' && i + 2 < text.size() && hexValue(text[i + 1]) >= 0 && hexValue(text[i + 2]) >= 0) {
            *out++ = char(hexValue(text[i + 1]) << 4 | hexValue(text[i + 2]));
            i += 2;
        } else {
            *out++ = text[i];
        }
    }
    bytes.truncate(out - bytes.constData());
    return bytes;
}

// Strict UTF-8 (no overlong forms, surrogates or values past U+10FFFF):
// calls visit for each scalar until it returns false; false when the bytes
// are not UTF-8 or visit refused a scalar.
template <class Visit>
bool forEachUtf8Scalar(QByteArrayView bytes, Visit visit)
{
    const auto *p = reinterpret_cast<const unsigned char *>(bytes.data());
    const qsizetype n = bytes.size();
    qsizetype i = 0;
    while (i < n) {
        const unsigned char b = p[i];
        char32_t c;
        int extra;
        char32_t minimum;
        if (b < 0x80) {
            c = b;
            extra = 0;
            minimum = 0;
        } else if (b >= 0xC2 && b <= 0xDF) {
            c = b & 0x1F;
            extra = 1;
            minimum = 0x80;
        } else if (b >= 0xE0 && b <= 0xEF) {
            c = b & 0x0F;
            extra = 2;
            minimum = 0x800;
        } else if (b >= 0xF0 && b <= 0xF4) {
            c = b & 0x07;
            extra = 3;
            minimum = 0x10000;
        } else {
            return false;
        }
        if (i + extra >= n)
            return false;
        for (int k = 1; k <= extra; ++k) {
            const unsigned char cont = p[i + k];
            if ((cont & 0xC0) != 0x80)
                return false;
            c = c << 6 | (cont & 0x3F);
        }
        if (c < minimum || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF))
            return false;
        if (!visit(c))
            return false;
        i += 1 + extra;
    }
    return true;
}

std::optional<QString> percentDecoded(QByteArrayView text)
{
    const QByteArray bytes = percentDecodedBytes(text);
    QString decoded;
    decoded.reserve(bytes.size());
    const bool ok = forEachUtf8Scalar(bytes, [&](char32_t c) {
        if (QChar::requiresSurrogates(c)) {
            decoded += QChar(QChar::highSurrogate(c));
            decoded += QChar(QChar::lowSurrogate(c));
        } else {
            decoded += QChar(char16_t(c));
        }
        return true;
    });
    if (!ok)
        return std::nullopt;
    return decoded;
}

QByteArrayView rangeText(const UriTextRangeA &range)
{
    if (!range.first)
        return {};
    return QByteArrayView(range.first, range.afterLast - range.first);
}

bool isPresent(const UriTextRangeA &range)
{
    return range.first != nullptr;
}

// A port of only digits within 0–65535; leading zeros are harmless.
bool portInRange(QByteArrayView digits)
{
    quint32 value = 0;
    for (char c : digits) {
        if (c < '0' || c > '9')
            return false;
        value = value * 10 + quint32(c - '0');
        if (value > 65535)
            return false;
    }
    return true;
}

bool isTracking(QStringView name)
{
    static const std::array<QStringView, 12> tracking = {
        u"fbclid", u"gclid", u"dclid", u"msclkid", u"mc_cid", u"mc_eid",
        u"igshid", u"twclid", u"ttclid", u"yclid", u"gbraid", u"wbraid",
    };
    if (name.startsWith(u"utm_"))
        return true;
    for (QStringView entry : tracking) {
        if (entry == name)
            return true;
    }
    return false;
}

// The parser sees the UTF-8 text with every non-ASCII byte replaced by a
// letter, so addresses with non-ASCII text (international host names,
// paths) keep byte offsets and parse like their encoded form; components are
// always read back from the original text.
struct ParsedURL {
    UriUriA uri{};
    QByteArray parsed;
    bool ok = false;

    explicit ParsedURL(const QByteArray &utf8) : parsed(utf8)
    {
        for (char &c : parsed) {
            if (static_cast<unsigned char>(c) >= 0x80)
                c = 'a';
        }
        const char *errorPos = nullptr;
        ok = uriParseSingleUriExA(&uri, parsed.constData(), parsed.constData() + parsed.size(), &errorPos)
            == URI_SUCCESS;
    }
    ~ParsedURL() { uriFreeUriMembersA(&uri); }
    ParsedURL(const ParsedURL &) = delete;
    ParsedURL &operator=(const ParsedURL &) = delete;

    qsizetype offset(const char *p) const { return p - parsed.constData(); }

    // The components can be put back together into an address. The result
    // is not used: the parser writes IPv6 hosts in full, for one.
    bool builds() const
    {
        int required = 0;
        if (uriToStringCharsRequiredA(&uri, &required) != URI_SUCCESS)
            return false;
        QByteArray built(required + 1, '\0');
        int written = 0;
        return uriToStringA(built.data(), &uri, required + 1, &written) == URI_SUCCESS;
    }
};

} // namespace

bool BrimURL::validEscapes(QByteArrayView utf8)
{
    for (qsizetype i = 0; i < utf8.size(); ++i) {
        if (utf8[i] != '%')
            continue;
        if (i + 2 >= utf8.size() || hexValue(utf8[i + 1]) < 0 || hexValue(utf8[i + 2]) < 0)
            return false;
    }
    return true;
}

bool BrimURL::sensitive(QStringView name)
{
    static const std::array<QStringView, 10> names = {
        u"sig", u"signature", u"token", u"key", u"auth",
        u"authorization", u"jwt", u"policy", u"credential", u"expires",
    };
    for (QStringView entry : names) {
        if (entry == name)
            return true;
    }
    if (name.startsWith(u"x-amz-") || name.startsWith(u"x-goog-"))
        return true;
    for (QStringView part : {u"token", u"signature", u"credential", u"auth"}) {
        if (name.contains(part))
            return true;
    }
    if (name.endsWith(u"_key") || name.endsWith(u"-key"))
        return true;
    return name == u"api_key" || name == u"apikey" || name == u"key-pair-id";
}

Result<QString, BrimURLError> BrimURL::validated(const QString &text)
{
    if (text.isEmpty())
        return Failure{invalid};

    for (qsizetype i = 0; i < text.size();) {
        qsizetype length = 0;
        const char32_t c = UnicodeText::scalarAt(text, i, &length);
        // An unpaired surrogate is no Unicode scalar at all.
        if (text[i].isSurrogate() && length == 1)
            return Failure{invalid};
        if (UnicodeText::isWhitespaceOrNewline(c) || UnicodeText::isControl(c))
            return Failure{invalid};
        i += length;
    }

    const QByteArray utf8 = text.toUtf8();
    if (!validEscapes(utf8))
        return Failure{invalid};

    const QByteArray decoded = percentDecodedBytes(utf8);
    if (!forEachUtf8Scalar(decoded, [](char32_t c) { return !UnicodeText::isControl(c); }))
        return Failure{invalid};

    const ParsedURL url(utf8);
    if (!url.ok)
        return Failure{invalid};

    const QByteArrayView scheme = rangeText(url.uri.scheme);
    if (!isPresent(url.uri.scheme) || url.offset(url.uri.scheme.first) != 0)
        return Failure{invalid};
    const QByteArray lowerScheme = utf8.first(scheme.size()).toLower();
    if (lowerScheme != "http" && lowerScheme != "https")
        return Failure{invalid};
    // The scheme is ASCII, so lower-casing it does not move the "://".
    if (QByteArrayView(utf8).sliced(scheme.size()).first(qMin<qsizetype>(3, utf8.size() - scheme.size())) != "://")
        return Failure{invalid};

    if (!isPresent(url.uri.hostText) || rangeText(url.uri.hostText).isEmpty())
        return Failure{invalid};
    // Any user information, even an empty one before "@", counts as credentials.
    if (isPresent(url.uri.userInfo))
        return Failure{invalid};
    if (isPresent(url.uri.portText) && !portInRange(rangeText(url.uri.portText)))
        return Failure{invalid};
    if (!url.builds())
        return Failure{invalid};

    // The authority as entered: what follows "scheme://", counted in
    // user-perceived characters, up to the first "/", "?" or "#". The scheme
    // and "://" are ASCII, one character each, except that marks following
    // the last "/" belong to its character.
    qsizetype start = scheme.size() + 3;
    char32_t previous = u'/';
    while (start < text.size()) {
        qsizetype length = 0;
        const char32_t c = UnicodeText::scalarAt(text, start, &length);
        if (!UnicodeText::mayExtendCharacter(c) || !UnicodeText::continuesCharacter(previous, c))
            break;
        previous = c;
        start += length;
    }
    qsizetype end = start;
    while (end < text.size() && text[end] != u'/' && text[end] != u'?' && text[end] != u'#')
        ++end;
    const QStringView authority = QStringView(text).sliced(start, end - start);
    if (authority.isEmpty() || authority.contains(u'\\'))
        return Failure{invalid};

    return text;
}

Result<QString, BrimURLError> BrimURL::clean(const QString &text)
{
    Result<QString, BrimURLError> url = validated(text);
    if (!url)
        return url;

    // In a valid address "?" can only open the query and "#" only the
    // fragment: neither may appear in the scheme, authority or path.
    const qsizetype queryMark = text.indexOf(u'?');
    const qsizetype fragmentMark = text.indexOf(u'#');
    if (queryMark < 0 || (fragmentMark >= 0 && fragmentMark < queryMark))
        return url;
    const qsizetype queryEnd = fragmentMark >= 0 ? fragmentMark : text.size();
    const QStringView query = QStringView(text).sliced(queryMark + 1, queryEnd - queryMark - 1);

    QList<QStringView> items;
    QList<QString> names;
    for (QStringView item : query.tokenize(u'&')) {
        items.append(item);
        const qsizetype equals = item.indexOf(u'=');
        const QStringView rawName = equals >= 0 ? item.first(equals) : item;
        const std::optional<QString> name = percentDecoded(rawName.toUtf8());
        names.append(name ? UnicodeText::lower(*name) : QString());
    }
    for (const QString &name : names) {
        if (sensitive(name))
            return url;
    }

    QString kept;
    qsizetype keptCount = 0;
    for (qsizetype i = 0; i < items.size(); ++i) {
        if (isTracking(names[i]))
            continue;
        if (keptCount++ > 0)
            kept += u'&';
        kept += items[i];
    }
    if (keptCount == items.size())
        return url;

    QString cleaned = text.first(queryMark);
    if (keptCount > 0) {
        cleaned += u'?';
        cleaned += kept;
    }
    cleaned += QStringView(text).sliced(queryEnd);
    return validated(cleaned);
}
