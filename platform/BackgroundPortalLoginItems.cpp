#include "platform/BackgroundPortalLoginItems.h"

#include "core/AtomicFile.h"
#include "platform/PlatformLogging.h"
#include "platform/PortalRequest.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QtConcurrent/QtConcurrentRun>
#include <QCoro/QCoroFuture>

namespace {
const QByteArray enabledState = QByteArrayLiteral("enabled\n");
const QByteArray refusedState = QByteArrayLiteral("refused\n");

Result<void, QString> storeState(const QString &path, const std::optional<QByteArray> &state)
{
    if (!state) {
        QFile file(path);
        if (file.exists() && !file.remove())
            return Failure{file.errorString()};
        return {};
    }
    QDir().mkpath(QFileInfo(path).absolutePath());
    return writeFileAtomically(path, *state);
}
} // namespace

BackgroundPortalLoginItems::BackgroundPortalLoginItems(QDBusConnection bus, QString stateFile, QStringList commandLine,
                                                       QString reason, std::chrono::milliseconds answerTimeout)
    : m_bus(std::move(bus))
    , m_stateFile(std::move(stateFile))
    , m_commandLine(std::move(commandLine))
    , m_reason(std::move(reason))
    , m_answerTimeout(answerTimeout)
{
}

LoginItemStatus BackgroundPortalLoginItems::status()
{
    QFile file(m_stateFile);
    if (!file.open(QIODevice::ReadOnly))
        return LoginItemStatus::notRegistered;
    const QByteArray state = file.readAll();
    if (state == enabledState)
        return LoginItemStatus::enabled;
    if (state == refusedState)
        return LoginItemStatus::requiresApproval;
    return LoginItemStatus::notRegistered;
}

QCoro::Task<Result<void, QString>> BackgroundPortalLoginItems::registerItem()
{
    return request(true);
}

QCoro::Task<Result<void, QString>> BackgroundPortalLoginItems::unregisterItem()
{
    return request(false);
}

QCoro::Task<Result<void, QString>> BackgroundPortalLoginItems::request(bool autostart)
{
    const QVariantMap options{
        {QStringLiteral("reason"), m_reason},
        {QStringLiteral("autostart"), autostart},
        {QStringLiteral("commandline"), m_commandLine},
        {QStringLiteral("dbus-activatable"), false},
    };
    const QVariantList arguments{QString()}; // no parent window to attach a dialog to
    const QString interface = QStringLiteral("org.freedesktop.portal.Background");
    const QString method = QStringLiteral("RequestBackground");
    const Result<PortalRequest::Response, QString> answer =
        co_await PortalRequest::call(m_bus, interface, method, arguments, options, m_answerTimeout);
    if (!answer.ok())
        co_return Failure{answer.error()};

    std::optional<QByteArray> state;
    const bool granted = answer->code == 0 && PortalResults::autostartGranted(answer->results);
    if (autostart) {
        // A cancelled dialog or a "no" leaves the request waiting for the user's approval.
        if (answer->code > 1)
            co_return Failure{QCoreApplication::translate("BackgroundPortalLoginItems", "The desktop refused the request.")};
        state = granted ? enabledState : refusedState;
    } else if (answer->code != 0) {
        co_return Failure{QCoreApplication::translate("BackgroundPortalLoginItems", "The desktop refused the request.")};
    }
    const QString stateFile = m_stateFile;
    QFuture<Result<void, QString>> storing = QtConcurrent::run([stateFile, state] { return storeState(stateFile, state); });
    const Result<void, QString> stored = co_await storing;
    if (!stored.ok())
        qCWarning(lcPlatform) << "cannot keep the launch-at-login state in" << stateFile << stored.error();
    co_return stored;
}
