#pragma once
// An advisory lock on the alarm file, held on a lock file beside it (flock),
// so the app and the delivery command never interleave a check-and-save.
// Readers share it; a writer holds it alone. The lock goes with the object.

#include "core/BrimAlarmStoreError.h"
#include "core/Result.h"

#include <QString>
#include <chrono>
#include <utility>

class BrimAlarmFileLock {
public:
    enum class Mode { shared, exclusive };

    // How long anyone waits for the lock before giving up with EWOULDBLOCK.
    static constexpr std::chrono::milliseconds patience{5000};

    static QString lockPathFor(const QString &alarmFile) { return alarmFile + QStringLiteral(".lock"); }
    // Creates the lock file when missing; its folder must exist.
    static Result<BrimAlarmFileLock, BrimAlarmStoreError> acquire(const QString &alarmFile, Mode mode);

    BrimAlarmFileLock(BrimAlarmFileLock &&other) noexcept : m_fd(std::exchange(other.m_fd, -1)) {}
    BrimAlarmFileLock &operator=(BrimAlarmFileLock &&other) noexcept;
    BrimAlarmFileLock(const BrimAlarmFileLock &) = delete;
    BrimAlarmFileLock &operator=(const BrimAlarmFileLock &) = delete;
    ~BrimAlarmFileLock();

private:
    explicit BrimAlarmFileLock(int fd) : m_fd(fd) {}
    int m_fd = -1;
};
