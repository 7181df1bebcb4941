#include "platform/PortalGlobalShortcuts.h"

#include "platform/PlatformLogging.h"
#include "platform/PortalRequest.h"
#include "platform/ShortcutKeysyms.h"

#include <QDBusArgument>
#include <QDBusMetaType>
#include <QDBusObjectPath>
#include <QDBusPendingReply>
#include <QDBusVariant>
#include <QGuiApplication>
#include <QPointer>
#include <QScopeGuard>
#include <QCoro/QCoroDBus>

QDBusArgument &operator<<(QDBusArgument &argument, const PortalShortcut &shortcut)
{
    argument.beginStructure();
    argument << shortcut.id << shortcut.properties;
    argument.endStructure();
    return argument;
}

const QDBusArgument &operator>>(const QDBusArgument &argument, PortalShortcut &shortcut)
{
    argument.beginStructure();
    argument >> shortcut.id >> shortcut.properties;
    argument.endStructure();
    return argument;
}

namespace {
const QString sessionInterface = QStringLiteral("org.freedesktop.portal.Session");
const QString shortcutList = QStringLiteral("a(sa{sv})");
// Names built ahead: g++ 12 rejects a string literal inside a co_await expression.
const QString createSession = QStringLiteral("CreateSession");
const QString bindShortcuts = QStringLiteral("BindShortcuts");
const QString listShortcuts = QStringLiteral("ListShortcuts");
// The desktop's dialog waits on the user.
constexpr auto dialogTimeout = std::chrono::hours(1);
} // namespace

PortalGlobalShortcuts::PortalGlobalShortcuts(QDBusConnection bus, std::chrono::milliseconds callTimeout, QObject *parent)
    : QObject(parent)
    , m_bus(std::move(bus))
    , m_callTimeout(callTimeout)
    , m_portalWatcher(PortalRequest::service, m_bus, QDBusServiceWatcher::WatchForUnregistration)
{
    qDBusRegisterMetaType<PortalShortcut>();
    qDBusRegisterMetaType<QList<PortalShortcut>>();
    connect(&m_portalWatcher, &QDBusServiceWatcher::serviceUnregistered, this, [this] {
        // A portal started again knows nothing of us.
        m_registered = false;
        if (!isOpen() && !m_opening)
            return;
        qCWarning(lcPlatform) << "the portal left the bus: global shortcuts are gone";
        end();
        Q_EMIT lost();
    });
}

PortalGlobalShortcuts::~PortalGlobalShortcuts()
{
    close();
}

QCoro::Task<bool> PortalGlobalShortcuts::open(BrimGlobalShortcuts::Keys preferred)
{
    close();
    const quint64 generation = ++m_generation;
    m_preferred = std::move(preferred);
    m_opening = true;
    QPointer self(this);
    const auto current = [&] { return self && m_generation == generation; };
    const auto opened = qScopeGuard([&] {
        if (current())
            m_opening = false;
    });
    const auto timeoutMs = int(m_callTimeout.count());

    // The desktop keeps an app's shortcuts under its id; an app outside a
    // sandbox says which it is (once per portal, before its first call).
    if (!std::exchange(m_registered, true)) {
        QDBusMessage registration = QDBusMessage::createMethodCall(
            PortalRequest::service, PortalRequest::path, QStringLiteral("org.freedesktop.host.portal.Registry"),
            QStringLiteral("Register"));
        registration << QGuiApplication::desktopFileName() << QVariantMap();
        QDBusPendingReply<> registered = m_bus.asyncCall(registration, timeoutMs);
        co_await registered;
        if (!current())
            co_return false;
        // Portals before 1.19 have no registry and find the id themselves; a
        // missing portal is reported below.
        const auto quiet = {QDBusError::UnknownInterface, QDBusError::UnknownMethod, QDBusError::ServiceUnknown};
        if (registered.isError() && std::find(quiet.begin(), quiet.end(), registered.error().type()) == quiet.end())
            qCWarning(lcPlatform) << "the portal did not register the app:" << registered.error().message();
    }

    QDBusMessage get = QDBusMessage::createMethodCall(PortalRequest::service, PortalRequest::path,
                                                      QStringLiteral("org.freedesktop.DBus.Properties"),
                                                      QStringLiteral("Get"));
    get << interface << QStringLiteral("version");
    QDBusPendingReply<QDBusVariant> version = m_bus.asyncCall(get, timeoutMs);
    co_await version;
    if (!current())
        co_return false;
    if (version.isError()) {
        qCWarning(lcPlatform) << "the desktop offers no global shortcuts service:" << version.error().message();
        co_return false;
    }
    m_version = version.value().variant().toUInt();

    const QString sessionToken = QStringLiteral("brimkit%1").arg(generation);
    const QVariantMap sessionOptions{{QStringLiteral("session_handle_token"), sessionToken}};
    const auto created = co_await PortalRequest::call(m_bus, interface, createSession, {}, sessionOptions, m_callTimeout);
    if (!current())
        co_return false;
    const QVariant handle = created.ok() ? created->results.value(QStringLiteral("session_handle")) : QVariant();
    const QString session = handle.userType() == qMetaTypeId<QDBusObjectPath>()
        ? handle.value<QDBusObjectPath>().path()
        : handle.toString();
    if (!created.ok() || created->code != 0 || session.isEmpty()) {
        qCWarning(lcPlatform) << "the desktop refused a global shortcuts session"
                              << (created.ok() ? created->code : 2u);
        co_return false;
    }
    m_session = session;
    listen(true);

    QList<PortalShortcut> shortcuts;
    for (BrimShortcutAction action : BrimShortcutAction::allCases()) {
        QVariantMap properties{{QStringLiteral("description"), action.title()}};
        if (const auto key = m_preferred.find(action.value()); key != m_preferred.end()) {
            if (const QString trigger = ShortcutKeysyms::trigger(key->second[0]); !trigger.isEmpty())
                properties.insert(QStringLiteral("preferred_trigger"), trigger);
        }
        shortcuts.append({action.rawValue(), properties});
    }
    const QVariantList bindArguments{QVariant::fromValue(QDBusObjectPath(session)), QVariant::fromValue(shortcuts),
                                     QString()};
    const auto bound = co_await PortalRequest::call(m_bus, interface, bindShortcuts, bindArguments, {}, dialogTimeout);
    if (!current())
        co_return false;
    // Turned down in the desktop's dialog: the session stays, without triggers.
    if (bound.ok() && bound->code == 0)
        takeTriggers(bound->results.value(QStringLiteral("shortcuts")));
    else
        qCWarning(lcPlatform) << "the desktop bound no global shortcuts" << (bound.ok() ? bound->code : 2u);

    const QVariantList listArguments{QVariant::fromValue(QDBusObjectPath(session))};
    const auto listed = co_await PortalRequest::call(m_bus, interface, listShortcuts, listArguments, {}, m_callTimeout);
    if (!current())
        co_return false;
    if (listed.ok() && listed->code == 0)
        takeTriggers(listed->results.value(QStringLiteral("shortcuts")));
    co_return true;
}

QString PortalGlobalShortcuts::trigger(BrimShortcutAction action) const
{
    const auto found = m_triggers.find(action.value());
    return found == m_triggers.end() ? QString() : found->second;
}

void PortalGlobalShortcuts::configure()
{
    if (!isOpen())
        return;
    if (m_version < 2) {
        // A session binds once; a new one shows the desktop's dialog again.
        reopen();
        return;
    }
    QDBusMessage call = QDBusMessage::createMethodCall(PortalRequest::service, PortalRequest::path, interface,
                                                       QStringLiteral("ConfigureShortcuts"));
    call << QVariant::fromValue(QDBusObjectPath(m_session)) << QString() << QVariantMap();
    auto *watcher = new QDBusPendingCallWatcher(m_bus.asyncCall(call, int(m_callTimeout.count())), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [](QDBusPendingCallWatcher *w) {
        w->deleteLater();
        if (w->isError())
            qCWarning(lcPlatform) << "the desktop did not open its shortcut settings:" << w->error().message();
    });
}

QCoro::Task<> PortalGlobalShortcuts::reopen()
{
    QPointer self(this);
    const bool opened = co_await open(BrimGlobalShortcuts::Keys(m_preferred));
    if (!self)
        co_return;
    if (opened)
        Q_EMIT triggersChanged();
    else if (!isOpen())
        Q_EMIT lost();
}

void PortalGlobalShortcuts::close()
{
    if (isOpen()) {
        m_bus.send(QDBusMessage::createMethodCall(PortalRequest::service, m_session, sessionInterface,
                                                  QStringLiteral("Close")));
    }
    end();
}

void PortalGlobalShortcuts::end()
{
    ++m_generation;
    m_opening = false;
    if (isOpen())
        listen(false);
    m_session.clear();
    m_triggers.clear();
}

void PortalGlobalShortcuts::listen(bool on)
{
    const auto link = [&](const QString &path, const QString &iface, const QString &name, const char *slot) {
        const bool done = on ? m_bus.connect(PortalRequest::service, path, iface, name, this, slot)
                             : m_bus.disconnect(PortalRequest::service, path, iface, name, this, slot);
        if (!done && on)
            qCWarning(lcPlatform) << "cannot listen for the portal's" << name << m_bus.lastError().message();
    };
    link(PortalRequest::path, interface, QStringLiteral("Activated"), SLOT(onActivated(QDBusMessage)));
    link(PortalRequest::path, interface, QStringLiteral("ShortcutsChanged"), SLOT(onShortcutsChanged(QDBusMessage)));
    link(m_session, sessionInterface, QStringLiteral("Closed"), SLOT(onSessionClosed()));
}

void PortalGlobalShortcuts::onActivated(const QDBusMessage &message)
{
    const QVariantList arguments = message.arguments();
    if (arguments.value(0).value<QDBusObjectPath>().path() != m_session)
        return;
    if (const auto action = BrimShortcutAction::fromRawValue(arguments.value(1).toString()))
        Q_EMIT activated(*action);
    else
        qCWarning(lcPlatform) << "the portal activated an unknown shortcut" << arguments.value(1);
}

void PortalGlobalShortcuts::onShortcutsChanged(const QDBusMessage &message)
{
    const QVariantList arguments = message.arguments();
    if (arguments.value(0).value<QDBusObjectPath>().path() != m_session)
        return;
    takeTriggers(arguments.value(1));
    Q_EMIT triggersChanged();
}

void PortalGlobalShortcuts::onSessionClosed()
{
    qCWarning(lcPlatform) << "the desktop ended the global shortcuts session";
    end();
    Q_EMIT lost();
}

void PortalGlobalShortcuts::takeTriggers(const QVariant &shortcuts)
{
    const auto argument = shortcuts.value<QDBusArgument>();
    if (shortcuts.userType() != qMetaTypeId<QDBusArgument>() || argument.currentSignature() != shortcutList) {
        qCWarning(lcPlatform) << "the portal's shortcut list is not" << shortcutList << shortcuts;
        return;
    }
    m_triggers.clear();
    for (const PortalShortcut &shortcut : qdbus_cast<QList<PortalShortcut>>(argument)) {
        if (const auto action = BrimShortcutAction::fromRawValue(shortcut.id))
            m_triggers[action->value()] = shortcut.properties.value(QStringLiteral("trigger_description")).toString();
    }
}
