#pragma once
// User defaults kept as one JSON object in a file, replaced atomically on
// every change. A file that cannot be parsed is moved aside, never
// overwritten, and the store starts empty.

#include "core/UserDefaults.h"

#include <QJsonObject>
#include <QString>
#include <optional>

class JsonFileUserDefaults final : public UserDefaults {
public:
    explicit JsonFileUserDefaults(QString path);

    std::optional<QJsonValue> object(const QString &key) const override;
    void set(const QString &key, const QJsonValue &value) override;
    void remove(const QString &key) override;

    // Where an unreadable file was moved at load, if that happened.
    const std::optional<QString> &setAsidePath() const { return m_setAsidePath; }
    // The last write failure, if the latest write failed.
    const std::optional<QString> &writeError() const { return m_writeError; }

private:
    void load();
    void save();

    QString m_path;
    QJsonObject m_values;
    std::optional<QString> m_setAsidePath;
    std::optional<QString> m_writeError;
    // When the file could be neither read nor moved aside, never write over it.
    bool m_readOnly = false;
};
