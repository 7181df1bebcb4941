#include "core/FileBrimAlarmStore.h"

#include "core/AtomicFile.h"
#include "core/BrimAlarmArchive.h"
#include "core/XdgFolders.h"

#include "BuildInfo.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

using LoadResult = Result<QList<BrimAlarm>, BrimAlarmStoreError>;

class FileDescriptor {
public:
    explicit FileDescriptor(int fd) : m_fd(fd) {}
    ~FileDescriptor()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    FileDescriptor(const FileDescriptor &) = delete;
    FileDescriptor &operator=(const FileDescriptor &) = delete;
    int get() const { return m_fd; }

private:
    int m_fd;
};

// The whole file, or nothing when it does not exist. Reads at most one byte
// past the limit, so a file that grew after the size check is still refused.
Result<std::optional<QByteArray>, BrimAlarmStoreError> readBounded(const QByteArray &path)
{
    struct stat attributes {};
    if (::stat(path.constData(), &attributes) != 0) {
        const int error = errno;
        if (error == ENOENT)
            return std::optional<QByteArray>();
        return Failure{BrimAlarmStoreError::fromErrno(error)};
    }
    // A folder is left to fail on reading with the system's own error; a
    // pipe, socket or device has no size worth trusting.
    if (!S_ISREG(attributes.st_mode) && !S_ISDIR(attributes.st_mode))
        return Failure{BrimAlarmError::invalidArchive};
    if (S_ISREG(attributes.st_mode) && attributes.st_size > FileBrimAlarmStore::maximumFileSize)
        return Failure{BrimAlarmError::invalidArchive};

    // Non-blocking, so a pipe swapped in after the check cannot hang us.
    const FileDescriptor fd(::open(path.constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
    if (fd.get() < 0) {
        const int error = errno;
        if (error == ENOENT) // vanished in between
            return std::optional<QByteArray>();
        return Failure{BrimAlarmStoreError::fromErrno(error)};
    }
    struct stat opened {};
    if (::fstat(fd.get(), &opened) != 0)
        return Failure{BrimAlarmStoreError::fromErrno(errno)};
    if (!S_ISREG(opened.st_mode) && !S_ISDIR(opened.st_mode))
        return Failure{BrimAlarmError::invalidArchive};

    QByteArray bytes(FileBrimAlarmStore::maximumFileSize + 1, Qt::Uninitialized);
    qsizetype filled = 0;
    while (filled < bytes.size()) {
        const ssize_t n = ::read(fd.get(), bytes.data() + filled, static_cast<size_t>(bytes.size() - filled));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return Failure{BrimAlarmStoreError::fromErrno(errno)};
        }
        if (n == 0)
            break;
        filled += n;
    }
    if (filled > FileBrimAlarmStore::maximumFileSize)
        return Failure{BrimAlarmError::invalidArchive};
    bytes.truncate(filled);
    return std::optional<QByteArray>(std::move(bytes));
}

// mkdir -p with the process's default mode; an existing folder is fine.
Result<void, BrimAlarmStoreError> makeFolders(const QString &folder)
{
    const QByteArray path = QFile::encodeName(folder);
    if (::mkdir(path.constData(), 0777) == 0)
        return {};
    int error = errno;
    if (error == ENOENT) {
        const QString parent = QFileInfo(folder).path();
        if (parent != folder) {
            if (auto made = makeFolders(parent); !made.ok())
                return made;
            if (::mkdir(path.constData(), 0777) == 0)
                return {};
            error = errno;
        }
    }
    if (error == EEXIST) {
        struct stat attributes {};
        if (::stat(path.constData(), &attributes) == 0 && S_ISDIR(attributes.st_mode))
            return {};
        return Failure{BrimAlarmStoreError::fromErrno(ENOTDIR)};
    }
    return Failure{BrimAlarmStoreError::fromErrno(error)};
}

} // namespace

QString FileBrimAlarmStore::defaultURL()
{
    return XdgFolders::dataHome() + QLatin1Char('/') + QLatin1String(BuildInfo::bundleIdentifier) + QStringLiteral("/alarms.json");
}

Result<QList<BrimAlarm>, BrimAlarmStoreError> FileBrimAlarmStore::load()
{
    std::optional<BrimAlarmFileLock> lock;
    if (m_held.expired()) {
        auto acquired = BrimAlarmFileLock::acquire(m_url, BrimAlarmFileLock::Mode::shared);
        // No folder means no file; a folder we may not write to has no writer
        // to wait for. Files are replaced by rename, so a read alone is whole.
        const int code = acquired.ok() ? 0 : acquired.error().fileSystemCode();
        if (!acquired.ok() && code != ENOENT && code != EACCES && code != EROFS)
            return Failure{acquired.error()};
        if (acquired.ok())
            lock.emplace(std::move(acquired).value());
    }
    return loadLocked();
}

Result<QList<BrimAlarm>, BrimAlarmStoreError> FileBrimAlarmStore::loadLocked() const
{
    auto bytes = readBounded(QFile::encodeName(m_url));
    if (!bytes.ok())
        return Failure{bytes.error()};
    if (!bytes.value())
        return QList<BrimAlarm>();
    auto alarms = BrimAlarmArchive::decode(*bytes.value());
    if (!alarms.ok())
        return Failure{BrimAlarmStoreError(alarms.error())};
    return std::move(alarms).value();
}

Result<void, BrimAlarmStoreError> FileBrimAlarmStore::save(const QList<BrimAlarm> &alarms)
{
    return save(alarms, nullptr);
}

Result<void, BrimAlarmStoreError> FileBrimAlarmStore::save(const QList<BrimAlarm> &alarms,
                                                           const std::function<void()> &inPlace)
{
    auto book = BrimAlarmBook::make(alarms);
    if (!book.ok()) {
        // Nothing is written, nor a folder made; a file that cannot be read is
        // still the error reported first.
        if (auto existing = load(); !existing.ok())
            return Failure{existing.error()};
        return Failure{BrimAlarmStoreError(BrimAlarmError::invalidArchive)};
    }
    Hold hold = m_held.lock();
    if (!hold) {
        auto held = holdExclusively();
        if (!held.ok())
            return Failure{held.error()};
        hold = std::move(held).value();
    }
    // Whatever cannot be read is kept as it is: it may be the user's only copy.
    if (auto existing = loadLocked(); !existing.ok())
        return Failure{existing.error()};
    const QByteArray bytes = BrimAlarmArchive::encode(book.value());
    if (auto written = writeFileAtomically(m_url, bytes, inPlace); !written.ok())
        return Failure{BrimAlarmStoreError::fileSystem(written.error())};
    return {};
}

Result<QList<BrimAlarm>, BrimAlarmStoreError> FileBrimAlarmStore::update(const Change &change,
                                                                         const std::function<void()> &inPlace)
{
    auto held = holdExclusively();
    if (!held.ok())
        return Failure{held.error()};
    const Hold hold = std::move(held).value();
    return BrimAlarmStoring::update(change, inPlace);
}

Result<FileBrimAlarmStore::Hold, BrimAlarmStoreError> FileBrimAlarmStore::holdExclusively()
{
    if (Hold held = m_held.lock())
        return held;
    if (auto made = makeFolders(QFileInfo(m_url).absolutePath()); !made.ok())
        return Failure{made.error()};
    auto acquired = BrimAlarmFileLock::acquire(m_url, BrimAlarmFileLock::Mode::exclusive);
    if (!acquired.ok())
        return Failure{acquired.error()};
    auto hold = std::make_shared<BrimAlarmFileLock>(std::move(acquired).value());
    m_held = hold;
    return hold;
}
