#include "platform/LinuxSystemEvents.h"

#include "platform/PlatformLogging.h"

#include <QDBusError>
#include <QFile>
#include <QFileInfo>
#include <QFileSystemWatcher>
#include <QGuiApplication>
#include <QSocketNotifier>

#include <cerrno>
#include <cstring>
#include <cstdint>
#include <limits>
#include <sys/timerfd.h>
#include <unistd.h>

namespace {
const QString logindService = QStringLiteral("org.freedesktop.login1");
const QString logindPath = QStringLiteral("/org/freedesktop/login1");
const QString logindManager = QStringLiteral("org.freedesktop.login1.Manager");
const QString prepareForSleepSignal = QStringLiteral("PrepareForSleep");

// Zone files are a few kilobytes; anything far larger is not a zone file.
constexpr qint64 maxZoneFileBytes = 1 << 20;
} // namespace

LinuxSystemEvents::LinuxSystemEvents(QDBusConnection systemBus, QString localtimePath, QObject *parent)
    : QObject(parent)
    , m_systemBus(std::move(systemBus))
    , m_localtimePath(std::move(localtimePath))
{
}

LinuxSystemEvents::~LinuxSystemEvents()
{
    stopObserving();
}

void LinuxSystemEvents::observe(Handler handler)
{
    m_handler = std::move(handler);
    if (m_observing)
        return;
    m_observing = true;

    startClockWatch();
    startZoneWatch();
    if (m_systemBus.isConnected()) {
        m_sleepConnected = m_systemBus.connect(logindService, logindPath, logindManager,
                                               prepareForSleepSignal, this,
                                               SLOT(prepareForSleep(bool)));
    }
    if (!m_sleepConnected)
        qCWarning(lcPlatform) << "Waking from sleep goes unnoticed: no logind signal on the system bus:"
                              << m_systemBus.lastError().message();
    if (auto *app = qobject_cast<QGuiApplication *>(QCoreApplication::instance())) {
        m_stateConnection = connect(app, &QGuiApplication::applicationStateChanged, this,
                                    [this](Qt::ApplicationState state) {
                                        if (state == Qt::ApplicationActive)
                                            deliver(BrimSystemEvent::applicationActivated);
                                    });
    }
}

void LinuxSystemEvents::stopObserving()
{
    // Safe to call from inside the handler: deliver() runs a copy of it, and the
    // notifier and watcher whose signal may be on the stack are deleted later.
    m_handler = nullptr;
    if (!m_observing)
        return;
    m_observing = false;

    if (m_clockNotifier) {
        m_clockNotifier->setEnabled(false);
        m_clockNotifier->disconnect(this);
        m_clockNotifier->deleteLater();
        m_clockNotifier = nullptr;
    }
    if (m_clockFd >= 0) {
        ::close(m_clockFd);
        m_clockFd = -1;
    }
    if (m_zoneWatcher) {
        m_zoneWatcher->disconnect(this);
        m_zoneWatcher->deleteLater();
        m_zoneWatcher = nullptr;
    }
    if (m_sleepConnected) {
        m_systemBus.disconnect(logindService, logindPath, logindManager, prepareForSleepSignal, this,
                               SLOT(prepareForSleep(bool)));
        m_sleepConnected = false;
    }
    disconnect(m_stateConnection);
}

void LinuxSystemEvents::prepareForSleep(bool starting)
{
    // true is sent before suspending, false after resuming.
    if (!starting)
        deliver(BrimSystemEvent::woke);
}

void LinuxSystemEvents::startClockWatch()
{
    m_clockFd = ::timerfd_create(CLOCK_REALTIME, TFD_NONBLOCK | TFD_CLOEXEC);
    if (m_clockFd < 0) {
        qCWarning(lcPlatform) << "Clock changes go unnoticed: no timerfd:" << std::strerror(errno);
        return;
    }
    if (!armClockTimer()) {
        qCWarning(lcPlatform) << "Clock changes go unnoticed: timerfd not armed:" << std::strerror(errno);
        ::close(m_clockFd);
        m_clockFd = -1;
        return;
    }
    m_clockNotifier = new QSocketNotifier(m_clockFd, QSocketNotifier::Read, this);
    connect(m_clockNotifier, &QSocketNotifier::activated, this, &LinuxSystemEvents::clockTimerReadable);
}

bool LinuxSystemEvents::armClockTimer()
{
    // An absolute expiry that never comes: the timer exists only to be
    // cancelled by a wall-clock change.
    itimerspec spec{};
    spec.it_value.tv_sec = std::numeric_limits<time_t>::max();
    return ::timerfd_settime(m_clockFd, TFD_TIMER_ABSTIME | TFD_TIMER_CANCEL_ON_SET, &spec, nullptr) == 0;
}

void LinuxSystemEvents::clockTimerReadable()
{
    std::uint64_t expirations = 0;
    const ssize_t got = ::read(m_clockFd, &expirations, sizeof expirations);
    if (got < 0 && (errno == EAGAIN || errno == EINTR))
        return;
    const bool changed = got < 0 && errno == ECANCELED;
    if (!armClockTimer() && m_clockNotifier) {
        qCWarning(lcPlatform) << "Clock changes go unnoticed from now on: timerfd not re-armed:" << std::strerror(errno);
        // Without a timer the descriptor would stay readable and spin the loop.
        m_clockNotifier->setEnabled(false);
    }
    if (changed)
        deliver(BrimSystemEvent::clockChanged);
}

void LinuxSystemEvents::startZoneWatch()
{
    const QString folder = QFileInfo(m_localtimePath).absolutePath();
    if (!QFileInfo(folder).isDir()) {
        qCWarning(lcPlatform) << "Time-zone changes go unnoticed: no folder" << folder;
        return;
    }
    m_zoneWatcher = new QFileSystemWatcher(this);
    // The folder sees a swapped symlink or a file renamed into place; the file
    // itself (through the link) sees an update written in place.
    m_zoneWatcher->addPath(folder);
    if (QFile::exists(m_localtimePath))
        m_zoneWatcher->addPath(m_localtimePath);
    m_zoneSignature = zoneSignature();
    connect(m_zoneWatcher, &QFileSystemWatcher::directoryChanged, this, &LinuxSystemEvents::zonePathsChanged);
    connect(m_zoneWatcher, &QFileSystemWatcher::fileChanged, this, &LinuxSystemEvents::zonePathsChanged);
}

void LinuxSystemEvents::zonePathsChanged()
{
    if (!m_observing || !m_zoneWatcher)
        return;
    const QByteArray signature = zoneSignature();
    // A file briefly missing mid-replace is not a new zone.
    if (signature.isEmpty())
        return;
    // The file watch follows the link to the file it pointed at when added: a
    // swapped link or a file renamed into place must be watched afresh.
    const bool watched = m_zoneWatcher->files().contains(m_localtimePath);
    if (!watched || signature != m_zoneSignature) {
        if (watched)
            m_zoneWatcher->removePath(m_localtimePath);
        m_zoneWatcher->addPath(m_localtimePath);
    }
    // The folder also changes for unrelated files: only a different zone counts.
    if (signature == m_zoneSignature)
        return;
    m_zoneSignature = signature;
    deliver(BrimSystemEvent::timeZoneChanged);
}

QByteArray LinuxSystemEvents::zoneSignature() const
{
    QFile file(m_localtimePath);
    if (!file.exists())
        return {};
    QByteArray signature = QFile::symLinkTarget(m_localtimePath).toUtf8();
    signature.append('\0');
    if (file.open(QIODevice::ReadOnly))
        signature.append(file.read(maxZoneFileBytes));
    return signature;
}

void LinuxSystemEvents::deliver(BrimSystemEvent event)
{
    if (!m_observing || !m_handler)
        return;
    const Handler handler = m_handler;
    handler(event);
}
