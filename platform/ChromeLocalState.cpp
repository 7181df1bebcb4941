#include "platform/ChromeLocalState.h"

#include "core/HexDigit.h"
#include "platform/PlatformLogging.h"

#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QStringDecoder>

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>

namespace {

// "^Profile [0-9]+$", without a regular expression engine.
bool isProfileDirectory(const QString &name)
{
    if (name == QLatin1String("Default"))
        return true;
    const QLatin1String prefix("Profile ");
    if (!name.startsWith(prefix) || name.size() == prefix.size())
        return false;
    return std::all_of(name.begin() + prefix.size(), name.end(), [](QChar c) { return c >= u'0' && c <= u'9'; });
}

// A validating single-pass JSON reader that builds nothing but the few
// members we need. The file is mostly state we never look at, and a full
// document tree of a megabyte costs several times the time budget of
// opening the panel. It accepts what QJsonDocument accepts (a fuzz target
// checks the two against each other), leniencies included: a leading byte
// order mark, raw control characters in strings, unknown escapes, numbers
// such as "-.5". Duplicate members keep the last. One difference: a string
// that starts with U+FEFF keeps it, where QString::fromUtf8 drops it.
class Reader {
public:
    Reader(const char *begin, const char *end) : m_p(begin), m_end(end) {}

    // One member of profile.info_cache: whether it is an object, and its
    // "name" when that is text.
    struct Member {
        bool isObject = false;
        std::optional<QString> name;
    };
    using Cache = QHash<QString, Member>;

    std::optional<Cache> read()
    {
        std::optional<Cache> cache;
        int members = 0;
        const char bom[] = "\xEF\xBB\xBF";
        if (m_end - m_p > 3 && std::memcmp(m_p, bom, 3) == 0)
            m_p += 3;
        skipSpace();
        if (!take('{'))
            return std::nullopt;
        const bool parsed = objectMembers(1, members, [&](const QString &key, int depth) {
            if (key != QLatin1String("profile"))
                return value(depth);
            cache.reset();
            return profile(depth, cache);
        });
        skipSpace();
        if (!parsed || m_p != m_end || members == 0)
            return std::nullopt;
        return cache;
    }

private:
    static constexpr int maximumDepth = 1024;

    // ASCII that a string holds as it is: all but '"' and '\\'. Like
    // QJsonDocument, raw control characters are taken too.
    static constexpr auto plainByte = [] {
        std::array<bool, 256> table{};
        for (int c = 0; c < 0x80; ++c)
            table[size_t(c)] = c != '"' && c != '\\';
        return table;
    }();

    // Eight bytes none of which is '"', '\\' or above 0x7F. With the high
    // bits clear, (x - 0x01..) & ~x & 0x80.. is non-zero exactly when a byte of x is zero.
    static bool plainWord(const char *bytes)
    {
        constexpr std::uint64_t ones = 0x0101010101010101ULL;
        constexpr std::uint64_t highs = 0x8080808080808080ULL;
        std::uint64_t word;
        std::memcpy(&word, bytes, sizeof word);
        auto hasZeroByte = [](std::uint64_t x) { return ((x - ones) & ~x & highs) != 0; };
        return (word & highs) == 0 && !hasZeroByte(word ^ (ones * '"')) && !hasZeroByte(word ^ (ones * '\\'));
    }

    bool profile(int depth, std::optional<Cache> &cache)
    {
        skipSpace();
        if (!take('{'))
            return value(depth);
        int members = 0;
        return objectMembers(depth + 1, members, [&](const QString &key, int inner) {
            if (key != QLatin1String("info_cache"))
                return value(inner);
            cache.reset();
            skipSpace();
            if (!take('{'))
                return value(inner);
            cache.emplace();
            int profiles = 0;
            return objectMembers(inner + 1, profiles, [&](const QString &directory, int level) {
                Member &member = (*cache)[directory];
                member = Member{};
                skipSpace();
                if (!take('{'))
                    return value(level);
                member.isObject = true;
                int fields = 0;
                return objectMembers(level + 1, fields, [&](const QString &field, int deepest) {
                    if (field != QLatin1String("name"))
                        return value(deepest);
                    member.name.reset();
                    skipSpace();
                    if (m_p == m_end || *m_p != '"')
                        return value(deepest);
                    QString name;
                    if (!string(&name))
                        return false;
                    member.name = name;
                    return true;
                });
            });
        });
    }

    // After "{": members up to and including "}". onMember reads the value.
    // Keys are decoded only for the members we look into.
    template <class OnMember>
    bool objectMembers(int depth, int &count, const OnMember &onMember, bool decodeKeys = true)
    {
        if (depth > maximumDepth)
            return false;
        skipSpace();
        if (take('}'))
            return true;
        for (;;) {
            skipSpace();
            QString key;
            if (!string(decodeKeys ? &key : nullptr))
                return false;
            skipSpace();
            if (!take(':') || !onMember(key, depth))
                return false;
            ++count;
            skipSpace();
            if (take('}'))
                return true;
            if (!take(','))
                return false;
        }
    }

    bool value(int depth)
    {
        skipSpace();
        if (m_p == m_end)
            return false;
        switch (*m_p) {
        case '{': {
            ++m_p;
            int count = 0;
            return objectMembers(
                depth + 1, count, [this](const QString &, int inner) { return value(inner); }, false);
        }
        case '[':
            ++m_p;
            return array(depth + 1);
        case '"':
            return string(nullptr);
        case 't':
            return literal("true");
        case 'f':
            return literal("false");
        case 'n':
            return literal("null");
        default:
            return number();
        }
    }

    bool array(int depth)
    {
        if (depth > maximumDepth)
            return false;
        skipSpace();
        if (take(']'))
            return true;
        for (;;) {
            if (!value(depth))
                return false;
            skipSpace();
            if (take(']'))
                return true;
            if (!take(','))
                return false;
        }
    }

    // Validates one string; decodes it into out when out is given.
    bool string(QString *out)
    {
        if (!take('"'))
            return false;
        const char *run = m_p;
        auto flush = [&] {
            if (out && m_p > run)
                out->append(utf8(run, m_p - run));
        };
        while (m_p != m_end) {
            // Plain characters are the bulk of the file: skip them eight at a
            // time, then by table.
            while (m_end - m_p >= 8 && plainWord(m_p))
                m_p += 8;
            while (m_p != m_end && plainByte[static_cast<unsigned char>(*m_p)])
                ++m_p;
            if (m_p == m_end)
                break;
            const auto c = static_cast<unsigned char>(*m_p);
            if (c == '"') {
                flush();
                ++m_p;
                return true;
            }
            if (c >= 0x80) {
                if (!utf8Sequence())
                    return false;
                continue;
            }
            flush();
            if (++m_p == m_end)
                return false;
            const char escape = *m_p++;
            QChar decoded;
            switch (escape) {
            case '"': decoded = u'"'; break;
            case '\\': decoded = u'\\'; break;
            case '/': decoded = u'/'; break;
            case 'b': decoded = u'\b'; break;
            case 'f': decoded = u'\f'; break;
            case 'n': decoded = u'\n'; break;
            case 'r': decoded = u'\r'; break;
            case 't': decoded = u'\t'; break;
            case 'u': {
                char16_t unit = 0;
                for (int i = 0; i < 4; ++i) {
                    if (m_p == m_end)
                        return false;
                    const int digit = hexValue(*m_p++);
                    if (digit < 0)
                        return false;
                    unit = char16_t(unit << 4 | digit);
                }
                decoded = QChar(unit);
                break;
            }
            default:
                // QJsonDocument takes any other escaped byte as that character.
                decoded = QChar(static_cast<unsigned char>(escape));
                break;
            }
            if (out)
                out->append(decoded);
            run = m_p;
        }
        return false;
    }

    // Unlike QString::fromUtf8, keeps a leading U+FEFF: it is part of the text.
    static QString utf8(const char *data, qsizetype size)
    {
        QStringDecoder decoder(QStringDecoder::Utf8,
                               QStringDecoder::Flag::Stateless | QStringDecoder::Flag::ConvertInitialBom);
        return decoder(QByteArrayView(data, size));
    }

    // One well-formed UTF-8 sequence of two to four bytes: no overlong forms,
    // no surrogates, nothing above U+10FFFF.
    bool utf8Sequence()
    {
        const auto lead = static_cast<unsigned char>(*m_p);
        int length = 0;
        unsigned char low = 0x80, high = 0xBF;
        if (lead >= 0xC2 && lead <= 0xDF) {
            length = 2;
        } else if (lead >= 0xE0 && lead <= 0xEF) {
            length = 3;
            low = lead == 0xE0 ? 0xA0 : 0x80;
            high = lead == 0xED ? 0x9F : 0xBF;
        } else if (lead >= 0xF0 && lead <= 0xF4) {
            length = 4;
            low = lead == 0xF0 ? 0x90 : 0x80;
            high = lead == 0xF4 ? 0x8F : 0xBF;
        } else {
            return false;
        }
        if (m_end - m_p < length)
            return false;
        for (int i = 1; i < length; ++i) {
            const auto c = static_cast<unsigned char>(m_p[i]);
            if (c < (i == 1 ? low : 0x80) || c > (i == 1 ? high : 0xBF))
                return false;
        }
        m_p += length;
        return true;
    }

    // QJsonDocument's number: it scans leniently ("-.5", "1.", "1e") and lets
    // the conversion to double decide. Well-formed numbers of moderate size
    // always convert, so only the others are converted here.
    bool number()
    {
        const char *start = m_p;
        take('-');
        const bool integer = take('0') || digits();
        bool wellFormed = integer;
        if (take('.'))
            wellFormed = digits() && wellFormed;
        const qsizetype mantissaLength = m_p - start;
        int exponent = 0;
        if (take('e') || take('E')) {
            if (!take('+'))
                take('-');
            const char *exponentDigits = m_p;
            wellFormed = digits() && wellFormed;
            for (const char *d = exponentDigits; d != m_p && exponent < 10000; ++d)
                exponent = exponent * 10 + (*d - '0');
        }
        if (wellFormed && mantissaLength <= 24 && exponent < 280)
            return true;
        bool ok = false;
        (void)QByteArrayView(start, m_p - start).toDouble(&ok);
        return ok;
    }

    bool digits()
    {
        const char *start = m_p;
        while (m_p != m_end && *m_p >= '0' && *m_p <= '9')
            ++m_p;
        return m_p != start;
    }

    bool literal(const char *word)
    {
        const qsizetype length = qsizetype(std::strlen(word));
        if (m_end - m_p < length || std::memcmp(m_p, word, size_t(length)) != 0)
            return false;
        m_p += length;
        return true;
    }

    static int hexValue(char c) { return hexDigitValue(static_cast<unsigned char>(c)); }

    void skipSpace()
    {
        while (m_p != m_end && (*m_p == ' ' || *m_p == '\t' || *m_p == '\n' || *m_p == '\r'))
            ++m_p;
    }

    bool take(char c)
    {
        if (m_p == m_end || *m_p != c)
            return false;
        ++m_p;
        return true;
    }

    const char *m_p;
    const char *m_end;
};

} // namespace

QList<BrimChromeProfile> ChromeLocalState::profiles(const QByteArray &json)
{
    const std::optional<Reader::Cache> cache = Reader(json.constData(), json.constData() + json.size()).read();
    if (!cache)
        return {};
    QStringList names;
    for (auto it = cache->cbegin(); it != cache->cend(); ++it) {
        // One member of another shape and the whole list is in doubt.
        if (!it->isObject)
            return {};
        if (isProfileDirectory(it.key()))
            names << it.key();
    }
    // Accepted names are ASCII, where UTF-16 order is code-point order.
    std::sort(names.begin(), names.end());
    QList<BrimChromeProfile> result;
    for (const QString &directory : std::as_const(names))
        result.append({directory, cache->value(directory).name.value_or(directory)});
    return result;
}

QList<BrimChromeProfile> ChromeLocalState::read(const QString &path)
{
    // Only a regular file has a size; a pipe or a device would block the read.
    const QFileInfo info(path);
    if (!info.isFile())
        return {};
    const qint64 size = info.size();
    if (size > maximumSize) {
        qCWarning(lcPlatform) << "Chrome's profile list is" << size << "bytes, more than we read:" << path;
        return {};
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        qCWarning(lcPlatform) << "cannot read Chrome's profile list" << path << file.errorString();
        return {};
    }
    // One byte more than the size we saw tells us the file grew meanwhile.
    const QByteArray data = file.read(size + 1);
    if (data.size() > size)
        return {};
    return profiles(data);
}
