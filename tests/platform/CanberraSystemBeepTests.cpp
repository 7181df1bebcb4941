#include "platform/CanberraSystemBeep.h"

#include <QByteArray>
#include <QtGlobal>
#include <gtest/gtest.h>

TEST(CanberraSystemBeep, FallsBackOncePerBeepWhenCanberraCannotPlay)
{
    // libcanberra reads the driver name when its context is created; one that
    // does not exist makes every play fail, as with no sound system at all.
    const QByteArray saved = qgetenv("CANBERRA_DRIVER");
    qputenv("CANBERRA_DRIVER", "no-such-driver");
    int fallbacks = 0;
    {
        CanberraSystemBeep beep([&] { ++fallbacks; });
        beep.beep();
        beep.beep();
    }
    if (saved.isNull())
        qunsetenv("CANBERRA_DRIVER");
    else
        qputenv("CANBERRA_DRIVER", saved);
    EXPECT_EQ(fallbacks, 2);
}
