#include "platform/SystemGlobalShortcuts.h"

#include "platform/PlatformLogging.h"
#include "platform/PortalRequest.h"

#include <QPointer>

SystemGlobalShortcuts::SystemGlobalShortcuts(QDBusConnection bus, bool keyGrabs, QObject *parent)
    : QObject(parent)
    , m_portal(bus)
    , m_grabs(keyGrabs && X11KeyGrabs::supported() ? std::make_unique<X11KeyGrabs>() : nullptr)
    , m_portalWatcher(PortalRequest::service, bus, QDBusServiceWatcher::WatchForRegistration)
{
    const auto activate = [this](BrimShortcutAction action) {
        if (m_running && m_handlers.activated)
            m_handlers.activated(action);
    };
    connect(&m_portal, &PortalGlobalShortcuts::activated, this, activate);
    connect(&m_portal, &PortalGlobalShortcuts::triggersChanged, this, &SystemGlobalShortcuts::announce);
    // Also while a session is being opened: its answer will never come.
    connect(&m_portal, &PortalGlobalShortcuts::lost, this, [this] {
        if (m_running && (m_mechanism == BrimShortcutMechanism::desktopService
                          || m_mechanism == BrimShortcutMechanism::unknown))
            fallBack();
    });
    if (m_grabs) {
        connect(m_grabs.get(), &X11KeyGrabs::activated, this, activate);
        connect(m_grabs.get(), &X11KeyGrabs::regrabbed, this, &SystemGlobalShortcuts::announce);
    }
    // A portal started after us (or again) is the better mechanism.
    connect(&m_portalWatcher, &QDBusServiceWatcher::serviceRegistered, this, [this] {
        if (m_running && m_mechanism != BrimShortcutMechanism::desktopService)
            choose();
    });
}

SystemGlobalShortcuts::~SystemGlobalShortcuts()
{
    stop();
}

void SystemGlobalShortcuts::start(Handlers handlers, Keys keys)
{
    m_handlers = std::move(handlers);
    m_keys = std::move(keys);
    m_running = true;
    choose();
}

QCoro::Task<> SystemGlobalShortcuts::choose()
{
    const quint64 generation = ++m_generation;
    QPointer self(this);
    const bool opened = co_await m_portal.open(m_keys);
    if (!self || generation != m_generation || !m_running)
        co_return;
    if (!opened) {
        fallBack();
        co_return;
    }
    if (m_grabs)
        m_grabs->release();
    setMechanism(BrimShortcutMechanism::desktopService);
}

void SystemGlobalShortcuts::fallBack()
{
    ++m_generation;
    m_portal.close();
    if (m_grabs)
        m_grabs->grab(m_keys);
    setMechanism(m_grabs ? BrimShortcutMechanism::keyGrabs : BrimShortcutMechanism::none);
}

void SystemGlobalShortcuts::setMechanism(BrimShortcutMechanism mechanism)
{
    m_mechanism = mechanism;
    announce();
}

void SystemGlobalShortcuts::announce()
{
    if (m_running && m_handlers.changed)
        m_handlers.changed();
}

void SystemGlobalShortcuts::setKeys(Keys keys)
{
    m_keys = std::move(keys);
    // The portal's session has bound its actions once; the keys are its
    // preferred triggers for the next session.
    if (m_running && m_mechanism == BrimShortcutMechanism::keyGrabs) {
        m_grabs->grab(m_keys);
        announce();
    }
}

BrimShortcutKeyProblem SystemGlobalShortcuts::keyProblem(BrimShortcutAction action) const
{
    return m_mechanism == BrimShortcutMechanism::keyGrabs ? m_grabs->problem(action) : BrimShortcutKeyProblem::none;
}

QString SystemGlobalShortcuts::trigger(BrimShortcutAction action) const
{
    return m_mechanism == BrimShortcutMechanism::desktopService ? m_portal.trigger(action) : QString();
}

void SystemGlobalShortcuts::configure()
{
    if (m_mechanism == BrimShortcutMechanism::desktopService)
        m_portal.configure();
}

void SystemGlobalShortcuts::stop()
{
    if (!std::exchange(m_running, false))
        return;
    ++m_generation;
    m_portal.close();
    if (m_grabs)
        m_grabs->release();
    m_mechanism = BrimShortcutMechanism::unknown;
}
