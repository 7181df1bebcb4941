#include "updates/DistributionLogging.h"

Q_LOGGING_CATEGORY(lcDistribution, "ostrel.distribution", QtWarningMsg)
