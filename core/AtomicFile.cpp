#include "core/AtomicFile.h"

#include <QFileInfo>
#include <QSaveFile>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace {

Result<void, QString> syncDirectory(const QString &dir)
{
    const QByteArray native = QFile::encodeName(dir);
    const int fd = ::open(native.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return Failure{QString::fromLocal8Bit(std::strerror(errno))};
    const int rc = ::fsync(fd);
    const int err = errno;
    ::close(fd);
    if (rc != 0)
        return Failure{QString::fromLocal8Bit(std::strerror(err))};
    return {};
}

} // namespace

Result<void, QString> writeFileAtomically(const QString &path, const QByteArray &contents,
                                          const std::function<void()> &replaced)
{
    QSaveFile file(path);
    // Never fall back to writing in place: that would defeat the point.
    file.setDirectWriteFallback(false);
    if (!file.open(QIODevice::WriteOnly))
        return Failure{file.errorString()};
    if (file.write(contents) != contents.size()) {
        const QString error = file.errorString();
        file.cancelWriting();
        return Failure{error};
    }
    if (!file.flush() || ::fsync(file.handle()) != 0) {
        const QString error = errno ? QString::fromLocal8Bit(std::strerror(errno)) : file.errorString();
        file.cancelWriting();
        return Failure{error};
    }
    if (!file.commit())
        return Failure{file.errorString()};
    if (replaced)
        replaced();
    // The rename is durable only once the folder entry is on disk.
    return syncDirectory(QFileInfo(path).absolutePath());
}
