// The session marker across real process ends: the test runs a child copy of
// this binary that starts the shared facade over a file store, then ends it
// with a signal.
#include "platform/JsonFileUserDefaults.h"
#include "platform/TerminationSignals.h"

#include "RecordingTellixClient.h"

#include <QProcess>
#include <QTemporaryDir>
#include <csignal>
#include <cstdio>

namespace {
const char childStoreVariable[] = "BRIMKIT_SESSION_CHILD_STORE";
} // namespace

TEST(SessionEndChild, RunsUntilQuit)
{
    const QString path = qEnvironmentVariable(childStoreVariable);
    if (path.isEmpty())
        GTEST_SKIP() << "only runs as the child of SessionEnd tests";
    const auto store = std::make_shared<JsonFileUserDefaults>(path);
    ASSERT_TRUE(OstrelSignals::configureShared(store, testBundle()));
    EXPECT_FALSE(OstrelSignals::configureShared(std::make_shared<MemoryUserDefaults>(), testBundle()));
    TerminationSignals signals;
    QObject::connect(&signals, &TerminationSignals::terminationRequested, [] { QCoreApplication::quit(); });
    OstrelSignals::shared().start();
    store->flush(); // the marker is on disk before anyone may kill us
    std::fputs("READY\n", stdout);
    std::fflush(stdout);
    QCoreApplication::exec();
}

TEST(SessionEnd, OnlyAnAbruptEndLeavesAnUncleanExit)
{
    struct Case { const char *name; int signal; bool unclean; };
    const Case cases[] = {{"SIGKILL", SIGKILL, true}, {"SIGTERM", SIGTERM, false}, {"SIGINT", SIGINT, false}, {"SIGHUP", SIGHUP, false}};
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("defaults.json"));
        QProcess child;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QString::fromLatin1(childStoreVariable), path);
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        child.setProcessEnvironment(environment);
        child.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--gtest_filter=SessionEndChild.RunsUntilQuit")});
        ASSERT_TRUE(child.waitForStarted(10000));
        QByteArray output;
        while (!output.contains("READY") && child.waitForReadyRead(20000))
            output += child.readAllStandardOutput();
        ASSERT_TRUE(output.contains("READY")) << output.toStdString();

        ::kill(pid_t(child.processId()), c.signal);
        ASSERT_TRUE(child.waitForFinished(20000));
        if (c.signal != SIGKILL) {
            EXPECT_EQ(child.exitStatus(), QProcess::NormalExit);
            EXPECT_EQ(child.exitCode(), 0) << child.readAllStandardOutput().toStdString();
        }

        SignalsHarness next(std::make_shared<JsonFileUserDefaults>(path));
        next.facade.start();
        next.settle();
        ASSERT_FALSE(next.client->events.empty());
        EXPECT_EQ(next.client->events.front(), OstrelEvent::appOpened);
        const auto &events = next.client->events;
        EXPECT_EQ(std::find(events.begin(), events.end(), OstrelEvent::appUncleanExit) != events.end(), c.unclean);
    }
}
