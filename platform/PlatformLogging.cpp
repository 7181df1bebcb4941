#include "platform/PlatformLogging.h"

Q_LOGGING_CATEGORY(lcPlatform, "ostrel.platform", QtWarningMsg)
