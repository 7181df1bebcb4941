#include "services/UILogging.h"

Q_LOGGING_CATEGORY(lcUI, "ostrel.ui", QtWarningMsg)
