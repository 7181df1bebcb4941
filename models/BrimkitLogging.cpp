#include "models/BrimkitLogging.h"

Q_LOGGING_CATEGORY(lcBrimkit, "ostrel.brimkit", QtWarningMsg)
