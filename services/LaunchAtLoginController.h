#pragma once
// State and registration of the login item for one settings view: the
// status, an update in flight, the last failure, and why this copy of the
// application cannot launch at login (fixed for the controller's life).

#include "services/LoginItemService.h"
#include "telemetry/AppBundle.h"

#include <QObject>
#include <QString>
#include <QCoro/QCoroTask>
#include <functional>
#include <memory>
#include <optional>

class LaunchAtLoginController : public QObject {
    Q_OBJECT

public:
    // What the host application chose for this session: the desktop's
    // login-item service, and whether this copy runs from an installation.
    struct System {
        std::function<std::shared_ptr<LoginItemService>()> service;
        bool installed = false;
    };
    // Set once by the host before any view is made.
    static void configureSystem(System system);

    // This application: the configured service and this copy's reason.
    explicit LaunchAtLoginController(QObject *parent = nullptr);
    LaunchAtLoginController(std::shared_ptr<LoginItemService> service, std::optional<QString> unavailableReason,
                            QObject *parent = nullptr);

    LoginItemStatus status() const { return m_status; }
    bool isUpdating() const { return m_isUpdating; }
    const std::optional<QString> &errorMessage() const { return m_errorMessage; }
    const std::optional<QString> &unavailableReason() const { return m_unavailableReason; }
    // Enabled, or asked for and waiting for the desktop's approval.
    bool isRegistered() const;

    void setEnabled(bool on);
    void refreshStatus();
    bool canOpenSettings() const;
    void openSettings();

    // Review builds first; otherwise the program must run from an installation.
    static std::optional<QString> unavailableReason(const AppBundle &bundle, bool installed);

Q_SIGNALS:
    void changed();

private:
    QCoro::Task<> apply(bool on);
    void setStatus(LoginItemStatus status);

    std::shared_ptr<LoginItemService> m_service;
    std::optional<QString> m_unavailableReason;
    LoginItemStatus m_status = LoginItemStatus::notRegistered;
    bool m_isUpdating = false;
    std::optional<QString> m_errorMessage;
};
