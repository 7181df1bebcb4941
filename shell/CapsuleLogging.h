#pragma once
// Logging category of the timer capsule, so its repaints can be counted alone
// (QT_LOGGING_RULES="ostrel.brimkit.capsule.debug=true").

#include <QLoggingCategory>

Q_DECLARE_LOGGING_CATEGORY(lcCapsule)
