#include "core/BrimAlarmFileLock.h"

#include <QFile>

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <thread>
#include <unistd.h>

Result<BrimAlarmFileLock, BrimAlarmStoreError> BrimAlarmFileLock::acquire(const QString &alarmFile, Mode mode)
{
    const QByteArray path = QFile::encodeName(lockPathFor(alarmFile));
    int fd = ::open(path.constData(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0666);
    if (fd < 0 && (errno == EACCES || errno == EROFS))
        fd = ::open(path.constData(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW); // flock needs no write access
    if (fd < 0)
        return Failure{BrimAlarmStoreError::fromErrno(errno)};
    BrimAlarmFileLock lock(fd);

    // flock has no timeout: try, and wait a little between tries.
    const int operation = (mode == Mode::shared ? LOCK_SH : LOCK_EX) | LOCK_NB;
    const auto deadline = std::chrono::steady_clock::now() + patience;
    auto pause = std::chrono::milliseconds(1);
    while (::flock(fd, operation) != 0) {
        const int error = errno;
        if (error == EINTR)
            continue;
        if (error != EWOULDBLOCK || std::chrono::steady_clock::now() >= deadline)
            return Failure{BrimAlarmStoreError::fromErrno(error)};
        std::this_thread::sleep_for(pause);
        pause = std::min(pause * 2, std::chrono::milliseconds(20));
    }
    return lock;
}

BrimAlarmFileLock &BrimAlarmFileLock::operator=(BrimAlarmFileLock &&other) noexcept
{
    if (this != &other) {
        if (m_fd >= 0)
            ::close(m_fd);
        m_fd = std::exchange(other.m_fd, -1);
    }
    return *this;
}

BrimAlarmFileLock::~BrimAlarmFileLock()
{
    if (m_fd >= 0)
        ::close(m_fd); // closing the only descriptor releases the lock
}
