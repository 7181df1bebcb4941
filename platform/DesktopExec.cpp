#include "platform/DesktopExec.h"

#include <QUrl>

namespace {

bool isFieldCode(char16_t c)
{
    return QStringView(u"fFuUick").contains(QChar(c));
}

bool isDeprecatedCode(char16_t c)
{
    return QStringView(u"dDnNvm").contains(QChar(c));
}

// Characters whose only meaning is to a shell; unquoted they mean the line
// was written for one.
bool isShellOperator(QChar c)
{
    return QStringView(u";|&<>$`").contains(c);
}

bool isSeparator(QChar c)
{
    return c == u' ' || c == u'\t' || c == u'\n';
}

bool isArgumentOnItsOwn(char16_t code)
{
    // %c and %k are plain text and may sit inside a word.
    return code != u'c' && code != u'k';
}

} // namespace

std::optional<DesktopExec> DesktopExec::parse(const QString &exec)
{
    DesktopExec result;
    int targetCodes = 0;
    qsizetype i = 0;
    const qsizetype n = exec.size();
    while (i < n) {
        if (isSeparator(exec[i])) {
            ++i;
            continue;
        }
        Argument argument;
        QString literal;
        bool hasCode = false;
        bool quoted = false;
        auto flush = [&] {
            if (!literal.isEmpty())
                argument.pieces.append({literal, 0});
            literal.clear();
        };
        while (i < n && !isSeparator(exec[i])) {
            const QChar c = exec[i];
            if (c == u'"' || c == u'\'') {
                quoted = true;
                const QChar quote = c;
                ++i;
                bool closed = false;
                while (i < n) {
                    const QChar q = exec[i];
                    if (q == quote) {
                        closed = true;
                        ++i;
                        break;
                    }
                    if (q == u'%') {
                        // Only a literal percent sign is defined inside quotes.
                        if (i + 1 >= n || exec[i + 1] != u'%')
                            return std::nullopt;
                        literal += u'%';
                        i += 2;
                        continue;
                    }
                    if (quote == u'"' && q == u'\\') {
                        if (i + 1 >= n)
                            return std::nullopt;
                        const QChar next = exec[i + 1];
                        // Unknown escapes keep their backslash.
                        if (!QStringView(u"\"`$\\").contains(next))
                            literal += q;
                        literal += next;
                        i += 2;
                        continue;
                    }
                    literal += q;
                    ++i;
                }
                if (!closed)
                    return std::nullopt;
                continue;
            }
            if (c == u'\\') {
                if (i + 1 >= n)
                    return std::nullopt;
                literal += exec[i + 1];
                i += 2;
                continue;
            }
            if (isShellOperator(c))
                return std::nullopt;
            if (c == u'%') {
                if (i + 1 < n && exec[i + 1] == u'%') {
                    literal += u'%';
                    i += 2;
                    continue;
                }
                // A field code is "%" and a letter; anything else is not defined.
                if (i + 1 >= n || !exec[i + 1].isLetter())
                    return std::nullopt;
                const char16_t code = exec[i + 1].unicode();
                i += 2;
                if (isDeprecatedCode(code) || !isFieldCode(code)) {
                    hasCode = true; // dropped, but the argument may now be empty
                    continue;
                }
                flush();
                argument.pieces.append({QString(), code});
                hasCode = true;
                if (QStringView(u"fFuU").contains(QChar(code)))
                    ++targetCodes;
                continue;
            }
            literal += c;
            ++i;
        }
        flush();
        // A field code that expands to whole arguments must be one on its own.
        for (const Piece &piece : std::as_const(argument.pieces)) {
            if (piece.code != 0 && isArgumentOnItsOwn(piece.code) && (argument.pieces.size() != 1 || quoted))
                return std::nullopt;
        }
        // An argument that was only dropped field codes disappears; "" stays.
        if (argument.pieces.isEmpty() && hasCode && !quoted)
            continue;
        result.m_arguments.append(argument);
    }
    if (result.m_arguments.isEmpty() || targetCodes > 1)
        return std::nullopt;
    const QList<Piece> &program = result.m_arguments.first().pieces;
    if (program.size() != 1 || program.first().code != 0 || program.first().text.isEmpty())
        return std::nullopt;
    return result;
}

QStringList DesktopExec::expand(const Context &context) const
{
    bool allFiles = !context.targets.isEmpty();
    QStringList paths;
    for (const QString &target : context.targets) {
        const QUrl url(target, QUrl::StrictMode);
        allFiles = allFiles && url.isLocalFile();
        paths << url.toLocalFile();
    }

    QStringList out;
    bool targetsPlaced = false;
    for (const Argument &argument : m_arguments) {
        if (argument.pieces.size() == 1 && argument.pieces.first().code != 0
            && isArgumentOnItsOwn(argument.pieces.first().code)) {
            switch (argument.pieces.first().code) {
            case u'u':
            case u'U':
                out << context.targets;
                targetsPlaced = true;
                break;
            case u'f':
            case u'F':
                if (allFiles) {
                    out << paths;
                    targetsPlaced = true;
                }
                break;
            case u'i':
                if (!context.icon.isEmpty())
                    out << QStringLiteral("--icon") << context.icon;
                break;
            }
            continue;
        }
        QString text;
        for (const Piece &piece : argument.pieces) {
            if (piece.code == u'c')
                text += context.name;
            else if (piece.code == u'k')
                text += context.location;
            else
                text += piece.text;
        }
        out << text;
    }
    if (!targetsPlaced)
        out << context.targets;
    return out;
}
