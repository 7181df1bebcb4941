#include "core/BrimAlarmError.h"

QString BrimAlarmError::description() const
{
    switch (m_value) {
    case capacity: return tr("Keep up to 20 alarms. Dismiss or cancel one before adding another.");
    case futureDate: return tr("Choose a future date and time.");
    case title: return tr("Use a single-line title of up to 80 characters.");
    case invalidArchive: return tr("Saved alarms could not be read. The existing file has been kept.");
    case newerArchive:
        return tr("These alarms were saved by a newer version. The existing file has been kept.");
    }
    return {};
}
