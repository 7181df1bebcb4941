#pragma once
// A D-Bus connection for fuzz targets: the session bus where there is one,
// else a dbus-daemon of our own that dies with this process.

#include <QDBusConnection>
#include <QProcess>

#include <csignal>
#include <sys/prctl.h>

inline QDBusConnection fuzzBus()
{
    if (QDBusConnection::sessionBus().isConnected())
        return QDBusConnection::sessionBus();
    static QProcess daemon;
    daemon.setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGKILL); });
    daemon.start(QStringLiteral("dbus-daemon"), {QStringLiteral("--session"), QStringLiteral("--nofork"),
                                                 QStringLiteral("--nopidfile"), QStringLiteral("--print-address")});
    if (!daemon.waitForReadyRead(10000))
        return QDBusConnection(QStringLiteral("none"));
    const QString address = QString::fromUtf8(daemon.readLine()).trimmed();
    return QDBusConnection::connectToBus(address, QStringLiteral("fuzz"));
}
