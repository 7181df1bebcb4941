#pragma once
// Picks how global shortcuts work on this desktop: its portal service first,
// else key grabs on an X11 session, else none. Falls back when the portal
// leaves the bus, and tries it again when one appears.

#include "models/BrimGlobalShortcuts.h"
#include "platform/PortalGlobalShortcuts.h"
#include "platform/X11KeyGrabs.h"

#include <QDBusServiceWatcher>
#include <QObject>

#include <memory>

class SystemGlobalShortcuts final : public QObject, public BrimGlobalShortcuts {
    Q_OBJECT

public:
    // keyGrabs false: never grab keys (tests of the portal path, sessions
    // where grabs would not see the user's keys).
    SystemGlobalShortcuts(QDBusConnection bus, bool keyGrabs, QObject *parent = nullptr);
    ~SystemGlobalShortcuts() override;

    void start(Handlers handlers, Keys keys) override;
    void setKeys(Keys keys) override;
    BrimShortcutMechanism mechanism() const override { return m_mechanism; }
    BrimShortcutKeyProblem keyProblem(BrimShortcutAction action) const override;
    QString trigger(BrimShortcutAction action) const override;
    void configure() override;
    void stop() override;

private:
    QCoro::Task<> choose();
    void fallBack();
    void setMechanism(BrimShortcutMechanism mechanism);
    void announce();

    Handlers m_handlers;
    Keys m_keys;
    BrimShortcutMechanism m_mechanism = BrimShortcutMechanism::unknown;
    bool m_running = false;
    quint64 m_generation = 0;
    PortalGlobalShortcuts m_portal;
    std::unique_ptr<X11KeyGrabs> m_grabs;
    QDBusServiceWatcher m_portalWatcher;
};
