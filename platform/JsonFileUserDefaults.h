#pragma once
// User defaults kept as one JSON object in a file, replaced atomically. The
// changes of one event-loop turn reach the file in one write, made on a
// worker thread of this store's own (so writes keep their order). A file that
// cannot be parsed is moved aside, never overwritten, and the store starts
// empty.

#include "core/UserDefaults.h"

#include <QJsonObject>
#include <QObject>
#include <QString>
#include <QThreadPool>
#include <memory>
#include <optional>

class JsonFileUserDefaults final : public UserDefaults {
public:
    explicit JsonFileUserDefaults(QString path);
    // Writes what is still pending, and waits until the file holds it.
    ~JsonFileUserDefaults() override;

    std::optional<QJsonValue> object(const QString &key) const override;
    void set(const QString &key, const QJsonValue &value) override;
    void remove(const QString &key) override;

    // Writes what changed without waiting for the turn to end, and waits for the file:
    // the queued writes first, then this one on the caller's thread.
    void flush();
    // Where an unreadable file was moved at load, if that happened.
    const std::optional<QString> &setAsidePath() const { return m_setAsidePath; }
    // The failure of the latest finished write, if it failed.
    std::optional<QString> writeError() const;

private:
    struct Outcome;

    void load();
    void changed();
    // On the writer thread, or on the caller's when it waits for the file anyway.
    void startWrite(bool here);

    QString m_path;
    QJsonObject m_values;
    std::optional<QString> m_setAsidePath;
    // When the file could be neither read nor moved aside, never write over it.
    bool m_readOnly = false;
    bool m_writePending = false;
    std::shared_ptr<Outcome> m_outcome;
    QObject m_turn; // receives the end of the turn's deferred write
    QThreadPool m_writer;
};
