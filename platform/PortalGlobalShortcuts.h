#pragma once
// Global shortcuts through the desktop portal's GlobalShortcuts service (KDE
// Plasma, GNOME 48 and later, Hyprland…): one session, every action bound
// with its title and the user's preferred key; the desktop decides the
// triggers (possibly in its own dialog) and says which it chose.

#include "models/BrimGlobalShortcuts.h"

#include <QDBusConnection>
#include <QDBusServiceWatcher>
#include <QObject>
#include <QVariantMap>
#include <QCoro/QCoroTask>

#include <chrono>
#include <map>

class QDBusArgument;
class QDBusMessage;

// One entry of the portal's a(sa{sv}) shortcut lists: an id and its properties.
struct PortalShortcut {
    QString id;
    QVariantMap properties;
};
Q_DECLARE_METATYPE(PortalShortcut)
QDBusArgument &operator<<(QDBusArgument &argument, const PortalShortcut &shortcut);
const QDBusArgument &operator>>(const QDBusArgument &argument, PortalShortcut &shortcut);

class PortalGlobalShortcuts final : public QObject {
    Q_OBJECT

public:
    static inline const QString interface = QStringLiteral("org.freedesktop.portal.GlobalShortcuts");

    // callTimeout bounds the calls that answer at once; a binding may wait
    // on the desktop's dialog as long as the user takes.
    explicit PortalGlobalShortcuts(QDBusConnection bus,
                                   std::chrono::milliseconds callTimeout = std::chrono::seconds(5),
                                   QObject *parent = nullptr);
    ~PortalGlobalShortcuts() override;

    // Ends any earlier session, then creates one and binds every action.
    // False when the desktop has no such service or refuses the session.
    QCoro::Task<bool> open(BrimGlobalShortcuts::Keys preferred);
    bool isOpen() const { return !m_session.isEmpty(); }
    // The trigger the desktop reports for the action; empty when none.
    QString trigger(BrimShortcutAction action) const;
    // Asks the desktop to let the user change the triggers.
    void configure();
    void close();

Q_SIGNALS:
    void activated(BrimShortcutAction action);
    void triggersChanged();
    // The portal left the bus or ended the session.
    void lost();

private Q_SLOTS:
    void onActivated(const QDBusMessage &message);
    void onShortcutsChanged(const QDBusMessage &message);
    void onSessionClosed();

private:
    QCoro::Task<> reopen();
    void listen(bool on);
    void takeTriggers(const QVariant &shortcuts);
    void end();

    QDBusConnection m_bus;
    std::chrono::milliseconds m_callTimeout;
    QDBusServiceWatcher m_portalWatcher;
    uint m_version = 0;
    QString m_session;
    // Replaced whenever a session being opened must be given up.
    quint64 m_generation = 0;
    bool m_opening = false;
    bool m_registered = false;
    BrimGlobalShortcuts::Keys m_preferred;
    std::map<BrimShortcutAction::Value, QString> m_triggers;
};
