#pragma once
// Logging category of this module: warnings on by default, debug off
// (QT_LOGGING_RULES="ostrel.platform.debug=true" turns it on). Nothing is written to a file.

#include <QLoggingCategory>

Q_DECLARE_LOGGING_CATEGORY(lcPlatform)
