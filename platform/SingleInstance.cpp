#include "platform/SingleInstance.h"

#include "BuildInfo.h"

#include <QDBusConnectionInterface>
#include <QDBusMessage>

namespace {
const QString objectPath = QStringLiteral("/app/ostrel/brimkit");
}

SingleInstance::SingleInstance(QDBusConnection bus, QObject *parent)
    : QObject(parent)
    , m_bus(std::move(bus))
{
}

SingleInstance::Claim SingleInstance::claim()
{
    if (!m_bus.isConnected() || !m_bus.interface())
        return Claim::noBus;
    const QString name = QLatin1String(BuildInfo::bundleIdentifier);
    // Register the object first so a launch racing ours never finds the name
    // owned but the object missing.
    m_bus.registerObject(objectPath, this, QDBusConnection::ExportScriptableSlots);
    const auto reply = m_bus.interface()->registerService(name, QDBusConnectionInterface::DontQueueService,
                                                          QDBusConnectionInterface::DontAllowReplacement);
    if (reply.isValid() && reply.value() == QDBusConnectionInterface::ServiceRegistered)
        return Claim::owned;
    m_bus.unregisterObject(objectPath);
    if (!reply.isValid())
        return Claim::noBus;

    QDBusMessage show = QDBusMessage::createMethodCall(name, objectPath, name, QStringLiteral("ShowPanel"));
    m_bus.call(show, QDBus::Block, 5000);
    return Claim::alreadyRunning;
}

void SingleInstance::ShowPanel()
{
    Q_EMIT showPanelRequested();
}
