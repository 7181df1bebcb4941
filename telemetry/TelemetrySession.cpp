#include "telemetry/TelemetrySession.h"

#include <QStringList>

#include <algorithm>

TelemetrySession::TelemetrySession(std::shared_ptr<UserDefaults> defaults, const QString &app)
    : m_defaults(std::move(defaults))
    , m_markerKey(QStringLiteral("ostrel.session.active.v1.") + app)
    , m_updateKey(QStringLiteral("ostrel.update.pending.v1.") + app)
{
}

bool TelemetrySession::start(bool enabled)
{
    if (m_started)
        return false;
    m_started = true;
    m_enabled = enabled;
    if (!enabled) {
        m_defaults->remove(m_markerKey);
        m_defaults->remove(m_updateKey);
        return false;
    }
    const bool unclean = m_defaults->boolValue(m_markerKey).value_or(false);
    m_defaults->setBool(m_markerKey, true);
    return unclean;
}

void TelemetrySession::setEnabled(bool enabled)
{
    m_enabled = enabled;
    if (enabled) {
        if (m_started)
            m_defaults->setBool(m_markerKey, true);
    } else {
        m_defaults->remove(m_markerKey);
        m_defaults->remove(m_updateKey);
    }
}

void TelemetrySession::finish()
{
    m_defaults->remove(m_markerKey);
}

void TelemetrySession::recordUpdateInstallation(const QString &version)
{
    if (m_enabled && isValidVersion(version))
        m_defaults->setString(m_updateKey, version);
}

bool TelemetrySession::consumeUpdateInstallation(const QString &currentVersion)
{
    const std::optional<QString> recorded = m_defaults->stringValue(m_updateKey);
    m_defaults->remove(m_updateKey);
    return m_enabled && isValidVersion(currentVersion) && recorded && *recorded == currentVersion;
}

void TelemetrySession::clearUpdateInstallation()
{
    m_defaults->remove(m_updateKey);
}

bool TelemetrySession::isValidVersion(const QString &version)
{
    // Digits in groups parted by single dots, and nothing else.
    if (version.toUtf8().size() > 64)
        return false;
    const QStringList groups = version.split(u'.');
    return std::all_of(groups.cbegin(), groups.cend(), [](const QString &group) {
        return !group.isEmpty() && std::all_of(group.cbegin(), group.cend(), [](QChar c) { return c >= u'0' && c <= u'9'; });
    });
}
