#pragma once
// D-Bus connections for fuzz targets.

#include "fuzz/FuzzSupport.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusPendingCallWatcher>
#include <QDBusServer>
#include <QDBusVirtualObject>
#include <QDeadlineTimer>
#include <QEventLoop>
#include <QProcess>
#include <QTemporaryDir>

#include <csignal>
#include <memory>
#include <optional>
#include <sys/prctl.h>
#include <vector>

// The session bus where there is one, else a dbus-daemon of our own that
// dies with this process.

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

// The two ends of a peer-to-peer connection inside this process, over a Unix
// socket in a folder of our own. Objects are served on `server` and called
// from `client`, so every message is marshalled by libdbus, crosses the socket
// and is read back, as another program's would be. (A call on one connection
// to its own name never leaves the process: Qt hands the values over as they
// are.) Made once, after the application object, and kept to the end of the
// process.
struct FuzzPeers {
    QDBusConnection server;
    QDBusConnection client;
};

inline FuzzPeers &fuzzPeers()
{
    static FuzzPeers *peers = [] {
        static QTemporaryDir folder;
        FUZZ_CHECK(folder.isValid());
        const QString address = QStringLiteral("unix:path=") + folder.filePath(QStringLiteral("peer"));
        auto *listener = new QDBusServer(address);
        FUZZ_CHECK(listener->isConnected());
        std::optional<QDBusConnection> accepted;
        QObject::connect(listener, &QDBusServer::newConnection, [&accepted](const QDBusConnection &c) { accepted = c; });
        auto *made = new FuzzPeers{QDBusConnection(QStringLiteral("none")),
                                   QDBusConnection::connectToPeer(address, QStringLiteral("fuzz-client"))};
        FUZZ_CHECK(made->client.isConnected());
        QDeadlineTimer patience(10000);
        while (!accepted && !patience.hasExpired())
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 100);
        FUZZ_CHECK(accepted && accepted->isConnected());
        QObject::disconnect(listener, &QDBusServer::newConnection, nullptr, nullptr);
        made->server = *accepted;
        return made;
    }();
    return *peers;
}

// Sends every call at once and waits for all the answers, handling the calls
// meanwhile (their objects live on this thread). A call not answered within
// its time-out gets the NoReply error, so this never hangs.
inline QList<QDBusMessage> fuzzCallAll(const QList<QDBusMessage> &calls, int timeoutMs = 5000)
{
    QList<QDBusPendingCall> pending;
    for (const QDBusMessage &call : calls)
        pending.append(fuzzPeers().client.asyncCall(call, timeoutMs));
    // A watcher of a call already answered still signals, from the loop.
    QEventLoop loop;
    qsizetype open = pending.size();
    std::vector<std::unique_ptr<QDBusPendingCallWatcher>> watchers;
    for (const QDBusPendingCall &call : pending) {
        watchers.push_back(std::make_unique<QDBusPendingCallWatcher>(call));
        QObject::connect(watchers.back().get(), &QDBusPendingCallWatcher::finished, &loop, [&] {
            if (--open == 0)
                loop.quit();
        });
    }
    if (open > 0)
        loop.exec();
    QList<QDBusMessage> replies;
    for (const QDBusPendingCall &call : pending)
        replies.append(call.reply());
    return replies;
}

// For LLVMFuzzerInitialize: an application, a quiet log and the peers with
// `object` served at /fuzz.
inline FuzzPeers &fuzzPeersServing(int *argc, char ***argv, QDBusVirtualObject *object)
{
    new QCoreApplication(*argc, *argv);
    qInstallMessageHandler([](QtMsgType, const QMessageLogContext &, const QString &) {});
    FuzzPeers &peers = fuzzPeers();
    FUZZ_CHECK(peers.server.registerVirtualObject(QStringLiteral("/fuzz"), object));
    return peers;
}
