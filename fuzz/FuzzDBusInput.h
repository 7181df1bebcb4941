#pragma once
// Any D-Bus value from fuzz bytes: basic types, object paths, signatures,
// string lists, nested variants, structures and maps, nested a few deep.
// Map keys are mostly the ones the reader looks for.

#include <QDBusArgument>
#include <QDBusObjectPath>
#include <QDBusSignature>
#include <QDBusVariant>
#include <QStringList>
#include <QVariant>

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <vector>

class FuzzDBusInput {
public:
    FuzzDBusInput(const std::uint8_t *data, std::size_t size, std::initializer_list<const char *> keys)
        : m_data(data), m_size(size), m_keys(keys)
    {
    }
    // Past the input's end every read is zero.
    std::uint8_t byte() { return m_at < m_size ? m_data[m_at++] : 0; }
    template <class T>
    T number()
    {
        T value{};
        auto *raw = reinterpret_cast<std::uint8_t *>(&value);
        for (std::size_t i = 0; i < sizeof(T); ++i)
            raw[i] = byte();
        return value;
    }
    QString text()
    {
        QByteArray utf8;
        for (int n = byte() % 24; n > 0; --n)
            utf8.append(char(byte()));
        return QString::fromUtf8(utf8);
    }
    bool done() const { return m_at >= m_size; }

    QString key()
    {
        const std::uint8_t pick = byte();
        return pick < 200 && !m_keys.empty() ? QLatin1String(m_keys[pick % m_keys.size()]) : text();
    }
    QDBusObjectPath objectPath(const QString &base = QStringLiteral("/org/freedesktop/portal/desktop/request"))
    {
        QString path = base;
        for (int n = byte() % 3; n > 0; --n)
            path += QStringLiteral("/p") + QString::number(byte());
        return QDBusObjectPath(byte() % 8 == 0 ? QStringLiteral("/") : path);
    }
    // A structure of basic members: (ddd) often, anything else too.
    QVariant structure()
    {
        QDBusArgument argument;
        argument.beginStructure();
        const std::uint8_t shape = byte();
        const int members = shape < 128 ? 3 : 1 + shape % 5;
        for (int i = 0; i < members; ++i) {
            switch (shape < 128 ? 0 : byte() % 4) {
            case 0: argument << number<double>(); break;
            case 1: argument << number<qint32>(); break;
            case 2: argument << text(); break;
            default: argument << bool(byte() & 1); break;
            }
        }
        argument.endStructure();
        return QVariant::fromValue(argument);
    }
    QVariantMap map(int depth)
    {
        QVariantMap entries;
        for (int n = byte() % 5; n > 0 && !done(); --n)
            entries.insert(key(), value(depth + 1));
        return entries;
    }
    QVariant value(int depth)
    {
        switch (byte() % (depth > 3 ? 10 : 14)) {
        case 0: return bool(byte() & 1);
        case 1: return QVariant::fromValue(number<uchar>());
        case 2: return QVariant::fromValue(number<qint16>());
        case 3: return QVariant::fromValue(number<quint32>());
        case 4: return QVariant::fromValue(number<qint64>());
        case 5: return number<double>();
        case 6: return text();
        case 7: return QVariant::fromValue(objectPath());
        case 8: return QVariant::fromValue(QDBusSignature(byte() & 1 ? QStringLiteral("(ddd)") : QStringLiteral("b")));
        case 9: return QStringList{text(), text()};
        case 10: return QVariant::fromValue(QDBusVariant(value(depth + 1)));
        case 11:
        case 12: return structure();
        default: return map(depth);
        }
    }
    // Up to three values of any type.
    QVariantList any()
    {
        QVariantList values;
        for (int n = byte() % 4; n > 0; --n)
            values.append(value(0));
        return values;
    }

private:
    const std::uint8_t *m_data;
    std::size_t m_size;
    std::size_t m_at = 0;
    std::vector<const char *> m_keys;
};
