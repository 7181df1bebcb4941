#pragma once
// Why loading or saving alarms failed: a book error (invalidArchive,
// newerArchive) or the file system's own error, passed on unchanged.

#include "core/BrimAlarmError.h"

#include <QString>
#include <optional>

class BrimAlarmStoreError {
public:
    // Only there so Result<void, BrimAlarmStoreError> can hold one.
    BrimAlarmStoreError() : m_alarmError(BrimAlarmError::invalidArchive) {}
    BrimAlarmStoreError(BrimAlarmError error) : m_alarmError(error) {}
    BrimAlarmStoreError(BrimAlarmError::Value error) : m_alarmError(BrimAlarmError(error)) {}

    // description is the platform's text; code the errno value when known, else 0.
    static BrimAlarmStoreError fileSystem(const QString &description, int code = 0);
    static BrimAlarmStoreError fromErrno(int code);

    std::optional<BrimAlarmError> alarmError() const { return m_alarmError; }
    bool isFileSystemError() const { return !m_alarmError.has_value(); }
    int fileSystemCode() const { return m_code; }

    // What the user is shown.
    QString description() const;

    friend bool operator==(const BrimAlarmStoreError &, const BrimAlarmStoreError &) = default;

private:
    std::optional<BrimAlarmError> m_alarmError;
    QString m_fileSystemDescription;
    int m_code = 0;
};
