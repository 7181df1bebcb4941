#include "telemetry/AppSignalContext.h"

#include "BuildInfo.h"

#include <QFile>
#include <sys/utsname.h>
#include <unistd.h>

AppSignalContext::AppSignalContext(QString app, QString release, QString os, QString architecture, QString memoryClass)
    : m_app(std::move(app))
    , m_release(std::move(release))
    , m_os(std::move(os))
    , m_architecture(std::move(architecture))
    , m_memoryClass(std::move(memoryClass))
{
}

QMap<QString, QString> AppSignalContext::metadata() const
{
    return {
        {QStringLiteral("os"), m_os},
        {QStringLiteral("architecture"), m_architecture},
        {QStringLiteral("memory_class"), m_memoryClass},
    };
}

QString AppSignalContext::appFrom(const AppBundle &bundle)
{
    return bundle.identifier.value_or(QStringLiteral("ostrel"));
}

QString AppSignalContext::releaseFrom(const AppBundle &bundle)
{
    const QString zero = QStringLiteral("0");
    return bundle.shortVersion.value_or(zero) + QLatin1Char('+') + bundle.buildNumber.value_or(zero);
}

QString AppSignalContext::memoryClassFor(quint64 physicalBytes)
{
    const quint64 gib = physicalBytes >> 30;
    if (gib < 9)
        return QStringLiteral("up_to_8GB");
    if (gib <= 16)
        return QStringLiteral("up_to_16GB");
    if (gib <= 32)
        return QStringLiteral("up_to_32GB");
    return QStringLiteral("over_32GB");
}

QString AppSignalContext::osVersionFromKernelRelease(QStringView release)
{
    // Take the leading digits of each dot-separated part; the first part that
    // carries anything else ends the version ("6.8-rc1" is 6.8.0).
    quint64 parts[3] = {0, 0, 0};
    qsizetype at = 0;
    for (int index = 0; index < 3; ++index) {
        qsizetype digitsEnd = at;
        while (digitsEnd < release.size() && release[digitsEnd].isDigit() && release[digitsEnd].unicode() < 128)
            ++digitsEnd;
        if (digitsEnd == at)
            break;
        bool ok = false;
        const quint64 value = release.mid(at, digitsEnd - at).toULongLong(&ok);
        parts[index] = ok ? value : 0;
        if (digitsEnd >= release.size() || release[digitsEnd] != QLatin1Char('.'))
            break;
        at = digitsEnd + 1;
    }
    return QStringLiteral("%1.%2.%3").arg(parts[0]).arg(parts[1]).arg(parts[2]);
}

namespace {
quint64 physicalMemoryBytes()
{
    const long pages = sysconf(_SC_PHYS_PAGES);
    const long pageSize = sysconf(_SC_PAGE_SIZE);
    if (pages > 0 && pageSize > 0)
        return quint64(pages) * quint64(pageSize);
    // Fallback: "MemTotal:  16314212 kB".
    QFile meminfo(QStringLiteral("/proc/meminfo"));
    if (meminfo.open(QIODevice::ReadOnly)) {
        while (!meminfo.atEnd()) {
            const QByteArray line = meminfo.readLine();
            if (line.startsWith("MemTotal:")) {
                const QList<QByteArray> fields = line.simplified().split(' ');
                if (fields.size() >= 2)
                    return fields.at(1).toULongLong() * 1024;
            }
        }
    }
    return 0;
}

QString kernelRelease()
{
    utsname name {};
    if (uname(&name) != 0)
        return QString();
    return QString::fromLatin1(name.release);
}
} // namespace

AppSignalContext AppSignalContext::live(const AppBundle &bundle)
{
    return AppSignalContext(appFrom(bundle), releaseFrom(bundle), osVersionFromKernelRelease(kernelRelease()),
                            QString::fromLatin1(BuildInfo::architecture), memoryClassFor(physicalMemoryBytes()));
}
