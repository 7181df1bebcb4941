#pragma once
// A small tmpfs mounted over a folder, for disk faults: filled to the last
// byte, or remounted read-only, then restored. Root (or CAP_SYS_ADMIN) only;
// ok() says whether the mount was allowed, error() why not.

#include <QDir>
#include <QFile>
#include <QString>

#include <cerrno>
#include <functional>
#include <vector>
#include <cstring>
#include <sys/mount.h>

class SmallFileSystem {
public:
    explicit SmallFileSystem(const QString &at) : m_at(at), m_native(QFile::encodeName(at))
    {
        if (::mount("tmpfs", m_native.constData(), "tmpfs", MS_NOSUID | MS_NODEV, size) != 0)
            m_error = QString::fromLocal8Bit(std::strerror(errno));
    }
    ~SmallFileSystem()
    {
        if (ok())
            ::umount2(m_native.constData(), MNT_DETACH);
    }
    bool ok() const { return m_error.isEmpty(); }
    const QString &error() const { return m_error; }
    bool setReadOnly(bool readOnly)
    {
        const unsigned long flags = MS_REMOUNT | MS_NOSUID | MS_NODEV | (readOnly ? MS_RDONLY : 0);
        return ::mount(nullptr, m_native.constData(), nullptr, flags, size) == 0;
    }
    // Takes every free byte with one file; false if the disk did not fill up.
    bool fill()
    {
        QFile filler(QDir(m_at).filePath(QStringLiteral(".filler")));
        if (!filler.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
            return false;
        while (filler.write(QByteArray(4096, 'x')) == 4096) {
        }
        while (filler.write("x", 1) == 1) { // whatever did not fit in a whole block
        }
        return errno == ENOSPC;
    }
    void drain() { QFile::remove(QDir(m_at).filePath(QStringLiteral(".filler"))); }

    // Each fault with its start and its end, in the order tests go through them.
    struct Fault {
        const char *name;
        std::function<bool()> begin, end;
    };
    std::vector<Fault> faults()
    {
        return {{"full disk", [this] { return fill(); }, [this] { drain(); return true; }},
                {"read-only", [this] { return setReadOnly(true); }, [this] { return setReadOnly(false); }}};
    }

private:
    static constexpr const char *size = "size=256k";
    QString m_at;
    QByteArray m_native;
    QString m_error;
};
