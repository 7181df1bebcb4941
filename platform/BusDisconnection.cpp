#include "platform/BusDisconnection.h"

#include "platform/PlatformLogging.h"

namespace {
// libdbus announces a dropped connection to the connection itself with this
// local signal; it never travels over a bus.
const QString localPath = QStringLiteral("/org/freedesktop/DBus/Local");
const QString localInterface = QStringLiteral("org.freedesktop.DBus.Local");
} // namespace

BusDisconnection::BusDisconnection(QDBusConnection bus, QObject *parent)
    : QObject(parent)
    , m_bus(std::move(bus))
{
    if (!m_bus.isConnected())
        return;
    if (!m_bus.connect(QString(), localPath, localInterface, QStringLiteral("Disconnected"), this,
                       SLOT(onDisconnected())))
        qCWarning(lcPlatform) << "A lost bus connection will go unnoticed:" << m_bus.lastError().message();
    // Gone between the check and the subscription: nothing would announce it now.
    if (!m_bus.isConnected())
        QMetaObject::invokeMethod(this, &BusDisconnection::onDisconnected, Qt::QueuedConnection);
}

void BusDisconnection::onDisconnected()
{
    if (m_lost)
        return;
    m_lost = true;
    qCWarning(lcPlatform) << "The bus connection" << m_bus.name() << "is lost (its daemon is gone)";
    Q_EMIT lost();
}
