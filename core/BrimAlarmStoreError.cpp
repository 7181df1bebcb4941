#include "core/BrimAlarmStoreError.h"

#include <cstring>

BrimAlarmStoreError BrimAlarmStoreError::fileSystem(const QString &description, int code)
{
    BrimAlarmStoreError error;
    error.m_alarmError.reset();
    error.m_fileSystemDescription = description;
    error.m_code = code;
    return error;
}

BrimAlarmStoreError BrimAlarmStoreError::fromErrno(int code)
{
    return fileSystem(QString::fromLocal8Bit(std::strerror(code)), code);
}

QString BrimAlarmStoreError::description() const
{
    return m_alarmError ? m_alarmError->description() : m_fileSystemDescription;
}
