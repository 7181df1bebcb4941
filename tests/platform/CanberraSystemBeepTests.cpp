#include "platform/CanberraSystemBeep.h"

#include <QByteArray>
#include <gtest/gtest.h>

TEST(CanberraSystemBeep, FallsBackOncePerBeepWhenCanberraCannotPlay)
{
    // libcanberra reads the driver when its context is created; a missing one
    // fails every play, as on a machine without a sound system.
    const QByteArray saved = qgetenv("CANBERRA_DRIVER");
    qputenv("CANBERRA_DRIVER", "no-such-driver");
    int fallbacks = 0;
    {
        CanberraSystemBeep beep([&] { ++fallbacks; });
        beep.beep();
        beep.beep();
    }
    saved.isNull() ? qunsetenv("CANBERRA_DRIVER") : qputenv("CANBERRA_DRIVER", saved);
    EXPECT_EQ(fallbacks, 2);
}
