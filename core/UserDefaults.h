#pragma once
// A typed key-value store for user settings. Values keep their JSON type, so
// "absent" and "stored with some other type" stay distinguishable: a reader
// asking for a Boolean gets nothing when a string sits under the key.

#include <QHash>
#include <QJsonValue>
#include <QString>
#include <optional>

class UserDefaults {
public:
    virtual ~UserDefaults() = default;

    // The stored value, or nothing when the key is absent.
    virtual std::optional<QJsonValue> object(const QString &key) const = 0;
    virtual void set(const QString &key, const QJsonValue &value) = 0;
    virtual void remove(const QString &key) = 0;

    std::optional<bool> boolValue(const QString &key) const;
    // Integers are JSON numbers with no fractional part within ±2^53.
    std::optional<qint64> integerValue(const QString &key) const;
    std::optional<QString> stringValue(const QString &key) const;

    void setBool(const QString &key, bool value) { set(key, QJsonValue(value)); }
    void setInteger(const QString &key, qint64 value) { set(key, QJsonValue(value)); }
    void setString(const QString &key, const QString &value) { set(key, QJsonValue(value)); }
};

// Volatile store for tests and for runs where the file store cannot be used.
class MemoryUserDefaults final : public UserDefaults {
public:
    std::optional<QJsonValue> object(const QString &key) const override;
    void set(const QString &key, const QJsonValue &value) override { m_values.insert(key, value); }
    void remove(const QString &key) override { m_values.remove(key); }

private:
    QHash<QString, QJsonValue> m_values;
};
