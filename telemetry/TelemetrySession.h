#pragma once
// Remembers across launches whether the previous run ended cleanly and which
// build a pending update will bring. Stores nothing while telemetry is off.

#include "core/UserDefaults.h"

#include <QString>
#include <memory>

class TelemetrySession {
public:
    TelemetrySession(std::shared_ptr<UserDefaults> defaults, const QString &app);

    const QString &markerKey() const { return m_markerKey; }
    const QString &updateKey() const { return m_updateKey; }

    // Only the first call of a process counts; true when the previous run
    // left its marker behind (crash, kill, power loss).
    bool start(bool enabled);
    void setEnabled(bool enabled);
    // Normal termination: the next start finds no marker.
    void finish();

    void recordUpdateInstallation(const QString &version);
    // Removes the record in every case; true when it names the running build.
    bool consumeUpdateInstallation(const QString &currentVersion);
    void clearUpdateInstallation();

    // At most 64 UTF-8 bytes of digit groups separated by single dots.
    static bool isValidVersion(const QString &version);

private:
    std::shared_ptr<UserDefaults> m_defaults;
    QString m_markerKey;
    QString m_updateKey;
    bool m_started = false;
    bool m_enabled = false;
};
