#include "platform/SingleInstance.h"

#include "platform/PlatformLogging.h"

#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QGuiApplication>

namespace {
// "/app/ostrel/brimkit" for "app.ostrel.brimkit".
QString objectPathOf(QString name)
{
    return QLatin1Char('/') + name.replace(QLatin1Char('.'), QLatin1Char('/'));
}
} // namespace

SingleInstance::SingleInstance(QDBusConnection bus, QObject *parent)
    : QObject(parent)
    , m_bus(std::move(bus))
{
}

SingleInstance::Claim SingleInstance::claim()
{
    if (!m_bus.isConnected() || !m_bus.interface()) {
        qCWarning(lcPlatform) << "No session bus, running without the single-instance guard:"
                              << m_bus.lastError().message();
        return Claim::noBus;
    }
    const QString name = QGuiApplication::desktopFileName();
    const QString objectPath = objectPathOf(name);
    // Register the object first so a launch racing ours never finds the name
    // owned but the object missing.
    m_bus.registerObject(objectPath, this, QDBusConnection::ExportScriptableSlots);
    const auto registerName = [&] {
        return m_bus.interface()->registerService(name, QDBusConnectionInterface::DontQueueService,
                                                  QDBusConnectionInterface::DontAllowReplacement);
    };
    const auto reply = registerName();
    if (reply.isValid() && reply.value() == QDBusConnectionInterface::ServiceRegistered)
        return Claim::owned;
    if (!reply.isValid()) {
        m_bus.unregisterObject(objectPath);
        qCWarning(lcPlatform) << "Could not claim" << name << "- running unguarded:" << reply.error().message();
        return Claim::noBus;
    }

    // Blocking is fine here: this process shows nothing and exits next.
    QDBusMessage show = QDBusMessage::createMethodCall(name, objectPath, name, QStringLiteral("ShowPanel"));
    const QDBusMessage shown = m_bus.call(show, QDBus::Block, 5000);
    if (shown.type() == QDBusMessage::ErrorMessage) {
        // An instance killed a moment ago holds the name until the bus has
        // seen it go; by the time its call failed, the bus has.
        if (const auto again = registerName(); again.isValid() && again.value() == QDBusConnectionInterface::ServiceRegistered)
            return Claim::owned;
        qCWarning(lcPlatform) << "The running instance did not show its panel:" << shown.errorMessage();
    }
    m_bus.unregisterObject(objectPath);
    return Claim::alreadyRunning;
}

void SingleInstance::ShowPanel()
{
    Q_EMIT showPanelRequested();
}

bool SingleInstance::isRunning(QDBusConnection bus)
{
    if (!bus.isConnected() || !bus.interface())
        return false;
    const auto owned = bus.interface()->isServiceRegistered(QGuiApplication::desktopFileName());
    if (!owned.isValid())
        qCWarning(lcPlatform) << "The bus did not say whether the app runs:" << owned.error().message();
    return owned.isValid() && owned.value();
}
