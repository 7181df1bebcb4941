#include "platform/CanberraSystemBeep.h"

#include <QCoreApplication>
#include <QTemporaryFile>
#include <QThread>
#include <gtest/gtest.h>

#include <unistd.h>

namespace {

QStringList warnings;

void recordWarning(QtMsgType, const QMessageLogContext &, const QString &message) { warnings << message; }

} // namespace

TEST(CanberraSystemBeep, FallsBackOnTheMainThreadAndKeepsAlsaOffTheTerminal)
{
    // libcanberra reads the driver when its context is created, at the first
    // sound. A missing driver fails every sound, as on a machine without a
    // sound system; ALSA without a sound card prints its complaints to the
    // terminal unless they are routed elsewhere. The library itself, loaded
    // at the first sound, is found.
    const QByteArray saved = qgetenv("CANBERRA_DRIVER");
    for (const char *driver : {"no-such-driver", "alsa"}) {
        SCOPED_TRACE(driver);
        qputenv("CANBERRA_DRIVER", driver);
        int fallbacks = 0;
        bool onMainThread = true;
        QTemporaryFile terminal;
        ASSERT_TRUE(terminal.open());
        const int stderrCopy = ::dup(STDERR_FILENO);
        ::dup2(terminal.handle(), STDERR_FILENO);
        warnings.clear();
        const QtMessageHandler previous = qInstallMessageHandler(recordWarning);
        {
            CanberraSystemBeep beep([&] {
                ++fallbacks;
                onMainThread &= QThread::currentThread() == QCoreApplication::instance()->thread();
            });
            beep.beep();
            beep.play(BrimSystemBeep::Sound::notification);
            beep.waitForDone();
            QCoreApplication::processEvents();
        }
        qInstallMessageHandler(previous);
        EXPECT_TRUE(warnings.filter(QStringLiteral("No sound library")).isEmpty()) << warnings.join(u'\n').toStdString();
        ::dup2(stderrCopy, STDERR_FILENO);
        ::close(stderrCopy);
        EXPECT_FALSE(terminal.readAll().contains("ALSA lib"));
        if (QByteArray(driver) == "no-such-driver") {
            EXPECT_EQ(fallbacks, 2);
        }
        EXPECT_TRUE(onMainThread);
    }
    saved.isNull() ? qunsetenv("CANBERRA_DRIVER") : qputenv("CANBERRA_DRIVER", saved);
}
