#include "PrivateBus.h"

#include <QFile>
#include <QMutexLocker>
#include <QUuid>

PrivateBus::PrivateBus()
{
    const QString config = m_dir.filePath(QStringLiteral("bus.conf"));
    QFile file(config);
    if (!file.open(QIODevice::WriteOnly))
        return;
    file.write(QStringLiteral(
                   "<busconfig><type>session</type><listen>unix:dir=%1</listen><auth>EXTERNAL</auth>"
                   "<policy context=\"default\"><allow send_destination=\"*\" eavesdrop=\"true\"/>"
                   "<allow eavesdrop=\"true\"/><allow own=\"*\"/></policy></busconfig>")
                   .arg(m_dir.path())
                   .toUtf8());
    file.close();
    m_daemon.start(QStringLiteral("dbus-daemon"),
                   {QStringLiteral("--config-file=") + config, QStringLiteral("--print-address"),
                    QStringLiteral("--nofork")});
    while (!m_daemon.canReadLine() && m_daemon.waitForReadyRead(5000)) {
    }
    m_address = QString::fromUtf8(m_daemon.readLine()).trimmed();
}

PrivateBus::~PrivateBus()
{
    for (const QString &name : std::as_const(m_connections))
        QDBusConnection::disconnectFromBus(name);
    m_daemon.terminate();
    if (!m_daemon.waitForFinished(2000))
        m_daemon.kill();
    m_daemon.waitForFinished(2000);
}

QDBusConnection PrivateBus::connect()
{
    const QString name = QUuid::createUuid().toString();
    m_connections.append(name);
    return QDBusConnection::connectToBus(m_address, name);
}

FakeDBusService::FakeDBusService(PrivateBus &bus, const QString &serviceName, const QString &path,
                                 Responder responder)
    : m_connection(bus.connect())
    , m_path(path)
    , m_serviceName(serviceName)
    , m_responder(std::move(responder))
{
    // Registration gives the object helpers as children: move them along with it.
    m_connection.registerVirtualObject(path, this, QDBusConnection::SubPath);
    m_connection.registerService(serviceName);
    m_thread.start();
    moveToThread(&m_thread);
}

FakeDBusService::~FakeDBusService()
{
    m_connection.unregisterService(m_serviceName);
    m_connection.unregisterObject(m_path);
    m_thread.quit();
    m_thread.wait();
}

bool FakeDBusService::handleMessage(const QDBusMessage &message, const QDBusConnection &connection)
{
    {
        QMutexLocker lock(&m_mutex);
        m_calls.append(message);
    }
    if (const std::optional<QDBusMessage> reply = m_responder(message))
        connection.send(*reply);
    return true;
}

QList<QDBusMessage> FakeDBusService::calls(const QString &member) const
{
    QMutexLocker lock(&m_mutex);
    QList<QDBusMessage> matching;
    for (const QDBusMessage &call : m_calls) {
        if (call.member() == member)
            matching.append(call);
    }
    return matching;
}
