#include "updates/AppUpdates.h"

#include "services/OstrelSignals.h"
#include "updates/DistributionLogging.h"
#include "updates/UpdateSettingsWindow.h"

#include <QAction>
#include <QByteArray>
#include <QCoreApplication>
#include <QTimer>
#include <QUrl>

AppUpdates::AppUpdates(QObject *parent)
    : AppUpdates(OstrelSignals::shared(), Environment{}, parent)
{
}

AppUpdates::AppUpdates(OstrelSignals &signals, Environment environment, QObject *parent)
    : QObject(parent)
    , m_message(notPublishedMessage())
    , m_signals(signals)
    , m_environment(std::move(environment))
{
    m_pollTimer.setSingleShot(true);
    connect(&m_pollTimer, &QTimer::timeout, this, &AppUpdates::pollPendingInstallation);
}

AppUpdates::~AppUpdates() = default;

QString AppUpdates::notPublishedMessage() { return tr("Updates are not published for this build yet."); }
QString AppUpdates::reviewBuildMessage() { return tr("Updates are disabled in review builds."); }
QString AppUpdates::availableMessage()
{
    return tr("Updates use the internet. App content is never included in update checks.");
}
QString AppUpdates::installingMessage() { return tr("Installing update…"); }
QString AppUpdates::postponedMessage() { return tr("Update installation postponed. You can check again when ready."); }

bool AppUpdates::isPublishableFeed(const std::optional<QString> &feed)
{
    if (!feed)
        return false;
    const QUrl url(*feed, QUrl::StrictMode);
    return url.isValid() && url.scheme() == QLatin1String("https") && !url.host().isEmpty();
}

bool AppUpdates::isPublishableKey(const std::optional<QString> &key)
{
    if (!key)
        return false;
    const auto decoded = QByteArray::fromBase64Encoding(key->toLatin1(), QByteArray::AbortOnBase64DecodingErrors);
    return decoded && decoded.decoded.size() == 32;
}

bool AppUpdates::isReviewBuild() const
{
    const AppBundle &bundle = m_environment.bundle;
    return bundle.reviewLibrary.has_value()
        || (bundle.identifier && bundle.identifier->endsWith(QLatin1String(".review")));
}

void AppUpdates::assign(bool &field, bool value)
{
    if (field == value)
        return;
    field = value;
    Q_EMIT changed();
}

void AppUpdates::setMessage(const QString &message)
{
    if (m_message == message)
        return;
    m_message = message;
    Q_EMIT changed();
}

void AppUpdates::start(std::function<bool()> isBusy)
{
    m_isBusy = isBusy ? std::move(isBusy) : [] { return false; };
    if (m_started)
        return;
    m_started = true;

    if (isReviewBuild()) {
        setMessage(reviewBuildMessage());
        return;
    }
    // Which value was wrong is never reported: both mean "not published".
    if (!isPublishableFeed(m_environment.bundle.updateFeed) || !isPublishableKey(m_environment.bundle.updateKey))
        return;
    if (!m_environment.makeUpdater) {
        qCDebug(lcDistribution) << "no updater on this platform; updates stay unpublished";
        return;
    }

    m_controller = m_environment.makeUpdater(*this);
    m_controller->setSendsSystemProfile(false);
    m_controller->observe([self = QPointer<AppUpdates>(this)](AppUpdater::Setting setting, bool value) {
        if (self)
            self->applySetting(setting, value);
    });
    const Result<void, AppUpdateError> started = m_controller->start();
    if (started.ok()) {
        assign(m_available, true);
        setMessage(availableMessage());
        return;
    }
    qCWarning(lcDistribution) << "the updater did not start:" << started.error().domain << started.error().code
                              << started.error().localizedDescription;
    setMessage(tr("Updates could not start: ") + started.error().localizedDescription);
    m_signals.track(OstrelEvent::updateFailed);
}

void AppUpdates::applySetting(AppUpdater::Setting setting, bool value)
{
    switch (setting) {
    case AppUpdater::Setting::canCheckForUpdates:
        assign(m_canCheck, value);
        break;
    case AppUpdater::Setting::automaticallyChecksForUpdates:
        assign(m_automaticChecks, value);
        break;
    case AppUpdater::Setting::automaticallyDownloadsUpdates:
        assign(m_automaticDownloads, value);
        break;
    }
}

void AppUpdates::check()
{
    if (m_available && m_canCheck && m_controller)
        m_controller->checkForUpdates();
}

void AppUpdates::setAutomaticChecks(bool on)
{
    if (m_controller)
        m_controller->setAutomaticallyChecksForUpdates(on);
}

void AppUpdates::setAutomaticDownloads(bool on)
{
    if (m_controller)
        m_controller->setAutomaticallyDownloadsUpdates(on);
}

void AppUpdates::configurePendingWorkAction(QString title, QString waitingMessage, std::function<void()> action)
{
    m_workActionTitle = std::move(title);
    m_workWaitingMessage = std::move(waitingMessage);
    m_pendingWorkAction = std::move(action);
    Q_EMIT changed();
}

void AppUpdates::configureSessionClosureConfirmation(std::function<bool()> confirmation)
{
    m_sessionClosureConfirmation = std::move(confirmation);
    Q_EMIT changed();
}

std::optional<QString> AppUpdates::pendingWorkActionTitle() const
{
    return m_hasPendingInstallation ? m_workActionTitle : std::nullopt;
}

bool AppUpdates::canCloseSessionsForUpdate() const
{
    return m_hasPendingInstallation && m_sessionClosureConfirmation;
}

bool AppUpdates::consumeSessionClosureApproval()
{
    return std::exchange(m_sessionClosureApproved, false);
}

bool AppUpdates::shouldPostponeRelaunch(const AppUpdateItem &, std::function<void()> installHandler)
{
    m_sessionClosureApproved = false;
    if (!m_isBusy())
        return false;
    // A second question replaces the first installation's poll rather than
    // running beside it: two polls would install twice.
    clearPendingInstallation();
    m_pendingInstallHandler = std::move(installHandler);
    assign(m_hasPendingInstallation, true);
    if (m_sessionClosureConfirmation)
        setMessage(tr("Update ready. Waiting for open terminal and SSH sessions to close. An open connection may be idle."));
    else if (m_workWaitingMessage)
        setMessage(*m_workWaitingMessage);
    else
        setMessage(tr("Update ready. Waiting for active work to finish."));
    // The first look comes after the question has been answered.
    m_pollTimer.start(0);
    return true;
}

void AppUpdates::pollPendingInstallation()
{
    if (!m_hasPendingInstallation)
        return;
    if (!m_confirmingSessionClosure && !m_isBusy()) {
        if (m_pendingInstallHandler)
            installNow();
        return;
    }
    m_pollTimer.start(m_environment.pollInterval);
}

void AppUpdates::installNow()
{
    setMessage(installingMessage());
    // Taken, not copied: whichever path installs first is the only one.
    if (auto handler = std::exchange(m_pendingInstallHandler, {}))
        handler();
}

void AppUpdates::resolvePendingWork()
{
    if (!m_hasPendingInstallation || m_confirmingSessionClosure || !m_pendingWorkAction)
        return;
    const QUuid generation = m_pendingGeneration;
    m_confirmingSessionClosure = true;
    QPointer<AppUpdates> self(this);
    m_pendingWorkAction();
    if (!self)
        return;
    if (m_hasPendingInstallation && m_pendingGeneration == generation && !m_isBusy())
        installNow();
    m_confirmingSessionClosure = false;
}

void AppUpdates::closeSessionsAndInstallUpdate()
{
    if (!m_hasPendingInstallation || m_confirmingSessionClosure || !m_sessionClosureConfirmation)
        return;
    const QUuid generation = m_pendingGeneration;
    m_confirmingSessionClosure = true;
    const bool busy = m_isBusy();
    QPointer<AppUpdates> self(this);
    if (busy && !m_sessionClosureConfirmation()) {
        if (self)
            m_confirmingSessionClosure = false;
        return;
    }
    if (!self)
        return;
    if (m_hasPendingInstallation && m_pendingGeneration == generation) {
        m_sessionClosureApproved = busy;
        if (m_pendingInstallHandler)
            installNow();
    }
    m_confirmingSessionClosure = false;
}

void AppUpdates::clearPendingInstallation()
{
    m_pollTimer.stop();
    m_pendingInstallHandler = nullptr;
    m_pendingGeneration = QUuid::createUuid();
    assign(m_hasPendingInstallation, false);
}

void AppUpdates::didFindValidUpdate(const AppUpdateItem &)
{
    m_signals.track(OstrelEvent::updateFound);
}

void AppUpdates::didDownloadUpdate(const AppUpdateItem &)
{
    m_signals.track(OstrelEvent::updateDownloaded);
}

void AppUpdates::willInstallUpdate(const AppUpdateItem &item)
{
    m_signals.recordUpdateInstallation(item.versionString);
}

void AppUpdates::didAbort(const AppUpdateError &error)
{
    clearPendingInstallation();
    m_sessionClosureApproved = false;
    m_signals.clearUpdateInstallation();
    if (error.isUpdaterError(AppUpdateError::noUpdateFound)) {
        setMessage(tr("You're up to date."));
    } else if (error.isUpdaterError(AppUpdateError::installationCanceled)
               || error.isUpdaterError(AppUpdateError::installationPostponed)) {
        setMessage(postponedMessage());
    } else {
        qCWarning(lcDistribution) << "update aborted:" << error.domain << error.code << error.localizedDescription;
        setMessage(tr("The update was not installed. You can check for updates again."));
        m_signals.track(OstrelEvent::updateFailed);
    }
}

void AppUpdates::didFinishUpdateCycle(const std::optional<AppUpdateError> &error)
{
    m_sessionClosureApproved = false;
    if (m_hasPendingInstallation && !error)
        setMessage(postponedMessage());
}

QAction *AppUpdates::menuItem(QObject *parent)
{
    auto *action = new QAction(tr("Check for Updates…"), parent);
    connect(action, &QAction::triggered, this, &AppUpdates::check);
    const auto validate = [this, action] { action->setEnabled(m_available && m_canCheck); };
    connect(this, &AppUpdates::changed, action, validate);
    validate();
    return action;
}

QAction *AppUpdates::preferencesMenuItem(QObject *parent)
{
    auto *action = new QAction(tr("Update Settings…"), parent);
    connect(action, &QAction::triggered, this, &AppUpdates::showPreferences);
    return action;
}

QAction *AppUpdates::pendingWorkMenuItem(QObject *parent)
{
    if (!m_workActionTitle)
        return nullptr;
    auto *action = new QAction(*m_workActionTitle, parent);
    connect(action, &QAction::triggered, this, &AppUpdates::resolvePendingWork);
    const auto validate = [this, action] {
        if (m_workActionTitle)
            action->setText(*m_workActionTitle);
        action->setVisible(m_hasPendingInstallation);
        action->setEnabled(m_hasPendingInstallation && m_workActionTitle);
    };
    connect(this, &AppUpdates::changed, action, validate);
    validate();
    return action;
}

void AppUpdates::showPreferences()
{
    if (!m_settingsWindow)
        m_settingsWindow = std::make_unique<UpdateSettingsWindow>(*this);
    m_settingsWindow->present();
}

QWidget *AppUpdates::settingsWindow() const
{
    return m_settingsWindow.get();
}
