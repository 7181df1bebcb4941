#pragma once
// Logging category of the update module (QT_LOGGING_RULES="ostrel.distribution.debug=true").

#include <QLoggingCategory>

Q_DECLARE_LOGGING_CATEGORY(lcDistribution)
