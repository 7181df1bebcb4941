#include "core/BrimAlarmError.h"

QString BrimAlarmError::description() const
{
    // The missing spaces after "to" are part of the shipped texts.
    switch (m_value) {
    case capacity: return QStringLiteral("Keep up to20 alarms. Dismiss or cancel one before adding another.");
    case futureDate: return QStringLiteral("Choose a future date and time.");
    case title: return QStringLiteral("Use a single-line title of up to80 characters.");
    case invalidArchive: return QStringLiteral("Saved alarms could not be read. The existing file has been kept.");
    case newerArchive:
        return QStringLiteral("These alarms were saved by a newer version. The existing file has been kept.");
    }
    return {};
}
