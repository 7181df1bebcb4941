#include "shell/CapsuleLogging.h"

Q_LOGGING_CATEGORY(lcCapsule, "ostrel.brimkit.capsule", QtWarningMsg)
