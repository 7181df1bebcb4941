// The session marker across real process ends: the test runs a child copy of
// this binary that starts the shared facade over a file store, then ends it
// with a signal.
#include "platform/JsonFileUserDefaults.h"
#include "services/OstrelSignals.h"
#include "platform/TerminationSignals.h"

#include "RecordingTellixClient.h"

#include <QCoreApplication>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <csignal>
#include <cstdio>
#include <gtest/gtest.h>

namespace {
const char childStoreVariable[] = "BRIMKIT_SESSION_CHILD_STORE";

AppBundle configuredBundle()
{
    AppBundle bundle;
    bundle.identifier = QStringLiteral("app.ostrel.brimkit");
    bundle.buildNumber = QStringLiteral("5");
    bundle.tellixEndpoint = QStringLiteral("https://tellix.example");
    bundle.tellixKey = QStringLiteral("key");
    return bundle;
}
} // namespace

TEST(SessionEndChild, RunsUntilQuit)
{
    const QString path = qEnvironmentVariable(childStoreVariable);
    if (path.isEmpty())
        GTEST_SKIP() << "only runs as the child of SessionEnd tests";
    ASSERT_TRUE(OstrelSignals::configureShared(std::make_shared<JsonFileUserDefaults>(path), configuredBundle()));
    EXPECT_FALSE(OstrelSignals::configureShared(std::make_shared<MemoryUserDefaults>(), configuredBundle()));
    TerminationSignals signals;
    QObject::connect(&signals, &TerminationSignals::terminationRequested, [] { QCoreApplication::quit(); });
    OstrelSignals::shared().start();
    std::fputs("READY\n", stdout);
    std::fflush(stdout);
    QCoreApplication::exec();
}

TEST(SessionEnd, OnlyAnAbruptEndLeavesAnUncleanExit)
{
    const struct {
        const char *name;
        int signal;
        bool unclean;
    } cases[] = {
        {"SIGKILL", SIGKILL, true},
        {"SIGTERM", SIGTERM, false},
        {"SIGINT", SIGINT, false},
        {"SIGHUP", SIGHUP, false},
    };
    for (const auto &c : cases) {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("defaults.json"));
        QProcess child;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QString::fromLatin1(childStoreVariable), path);
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        child.setProcessEnvironment(environment);
        child.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--gtest_filter=SessionEndChild.RunsUntilQuit")});
        ASSERT_TRUE(child.waitForStarted(10000)) << c.name;
        QByteArray output;
        while (!output.contains("READY") && child.waitForReadyRead(20000))
            output += child.readAllStandardOutput();
        ASSERT_TRUE(output.contains("READY")) << c.name << ": " << output.toStdString();

        ::kill(pid_t(child.processId()), c.signal);
        ASSERT_TRUE(child.waitForFinished(20000)) << c.name;
        if (c.signal != SIGKILL) {
            EXPECT_EQ(child.exitStatus(), QProcess::NormalExit) << c.name;
            EXPECT_EQ(child.exitCode(), 0) << c.name << child.readAllStandardOutput().toStdString();
        }

        auto store = std::make_shared<JsonFileUserDefaults>(path);
        auto client = std::make_shared<RecordingTellixClient>();
        OstrelSignals next(configuredBundle(), store, client);
        next.start();
        ASSERT_TRUE(QTest::qWaitFor([&] { return !next.hasPendingOperations(); }, 5000));
        const bool reported = std::find(client->events.begin(), client->events.end(), OstrelEvent::appUncleanExit)
            != client->events.end();
        EXPECT_EQ(reported, c.unclean) << c.name;
        ASSERT_FALSE(client->events.empty());
        EXPECT_EQ(client->events.front(), OstrelEvent::appOpened) << c.name;
    }
}
