#pragma once
// A D-Bus connection for fuzz targets: the session bus where there is one,
// else a dbus-daemon of our own that dies with this process.

#include "fuzz/FuzzSupport.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusVirtualObject>
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

// For LLVMFuzzerInitialize: an application, a quiet log and the bus with
// `object` at /fuzz. All kept to the end of the process: torn down at exit,
// the connection would outlive the application object it needs.
inline QDBusConnection *fuzzBusServing(int *argc, char ***argv, QDBusVirtualObject *object)
{
    new QCoreApplication(*argc, *argv);
    qInstallMessageHandler([](QtMsgType, const QMessageLogContext &, const QString &) {});
    auto *bus = new QDBusConnection(fuzzBus());
    FUZZ_CHECK(bus->isConnected());
    FUZZ_CHECK(bus->registerVirtualObject(QStringLiteral("/fuzz"), object));
    return bus;
}
