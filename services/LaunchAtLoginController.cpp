#include "services/LaunchAtLoginController.h"

#include "services/UILogging.h"

#include <QPointer>

namespace {
LaunchAtLoginController::System &configured()
{
    static LaunchAtLoginController::System system;
    return system;
}

std::shared_ptr<LoginItemService> systemService()
{
    return configured().service ? configured().service() : nullptr;
}
} // namespace

void LaunchAtLoginController::configureSystem(System system)
{
    configured() = std::move(system);
}

LaunchAtLoginController::LaunchAtLoginController(QObject *parent)
    : LaunchAtLoginController(systemService(), unavailableReason(AppBundle::main(), configured().installed), parent)
{
}

LaunchAtLoginController::LaunchAtLoginController(std::shared_ptr<LoginItemService> service,
                                                 std::optional<QString> unavailableReason, QObject *parent)
    : QObject(parent)
    , m_service(std::move(service))
    , m_unavailableReason(std::move(unavailableReason))
{
    if (m_unavailableReason)
        qCDebug(lcUI) << "launch at login is unavailable:" << *m_unavailableReason;
    refreshStatus();
}

std::optional<QString> LaunchAtLoginController::unavailableReason(const AppBundle &bundle, bool installed)
{
    const QString identifier = bundle.identifier.value_or(QString());
    if (bundle.reviewLibrary || identifier.endsWith(QLatin1String(".review"))
        || identifier.contains(QLatin1String(".review.")))
        return tr("Launch at login is unavailable in review builds.");
    if (!installed)
        return tr("Install this app and reopen it to enable launch at login.");
    return std::nullopt;
}

bool LaunchAtLoginController::isRegistered() const
{
    return m_status == LoginItemStatus::enabled || m_status == LoginItemStatus::requiresApproval;
}

void LaunchAtLoginController::setStatus(LoginItemStatus status)
{
    if (m_status == status)
        return;
    m_status = status;
    Q_EMIT changed();
}

void LaunchAtLoginController::refreshStatus()
{
    setStatus(m_service ? m_service->status() : LoginItemStatus::notRegistered);
}

bool LaunchAtLoginController::canOpenSettings() const
{
    return m_service && m_service->canOpenSettings();
}

void LaunchAtLoginController::openSettings()
{
    if (m_service)
        m_service->openSettings();
}

void LaunchAtLoginController::setEnabled(bool on)
{
    if (m_unavailableReason || m_isUpdating || !m_service)
        return;
    refreshStatus();
    if (on == isRegistered())
        return;
    m_isUpdating = true;
    m_errorMessage.reset();
    Q_EMIT changed();
    apply(on);
}

QCoro::Task<> LaunchAtLoginController::apply(bool on)
{
    QPointer<LaunchAtLoginController> self(this);
    // The service outlives this task even if the view goes away meanwhile.
    const std::shared_ptr<LoginItemService> service = m_service;
    Result<void, QString> result;
    if (on)
        result = co_await service->registerItem();
    else
        result = co_await service->unregisterItem();
    if (!self)
        co_return;
    if (!result.ok()) {
        qCWarning(lcUI) << "could not" << (on ? "register" : "unregister") << "the login item:" << result.error();
        self->m_errorMessage = tr("Could not change launch at login: ") + result.error();
    }
    self->m_status = service->status();
    self->m_isUpdating = false;
    Q_EMIT self->changed();
}
