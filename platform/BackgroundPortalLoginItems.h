#pragma once
// Launch at login inside a Flatpak sandbox: the Background portal decides
// (RequestBackground with autostart), and writes the autostart entry outside
// the sandbox. The sandbox cannot read that entry back, so the portal's last
// answer is kept in a small state file; a refusal means "requires approval".

#include "services/LoginItemService.h"

#include <QDBusConnection>
#include <QStringList>
#include <chrono>

class BackgroundPortalLoginItems : public LoginItemService {
public:
    BackgroundPortalLoginItems(QDBusConnection bus, QString stateFile, QStringList commandLine, QString reason,
                               std::chrono::milliseconds answerTimeout = std::chrono::minutes(5));

    LoginItemStatus status() override;
    QCoro::Task<Result<void, QString>> registerItem() override;
    QCoro::Task<Result<void, QString>> unregisterItem() override;
    bool canOpenSettings() const override { return false; }
    void openSettings() override {}

private:
    QCoro::Task<Result<void, QString>> request(bool autostart);

    QDBusConnection m_bus;
    QString m_stateFile;
    QStringList m_commandLine;
    QString m_reason;
    std::chrono::milliseconds m_answerTimeout;
};
