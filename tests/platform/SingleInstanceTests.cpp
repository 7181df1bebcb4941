#include "platform/SingleInstance.h"
#include "tests/platform/PrivateBus.h"

#include <QCoreApplication>
#include <QDBusConnectionInterface>
#include <QProcess>

#include <gtest/gtest.h>

#include <csignal>
#include <unistd.h>

// Run as a child: owns the name, says so, and dies unanswering at the first
// call, as an instance killed a moment before a new launch would.
TEST(SingleInstanceOwnerChild, OwnsTheNameAndDiesWhenCalled)
{
    const QString address = qEnvironmentVariable("BRIMKIT_OWNER_CHILD_BUS");
    if (address.isEmpty())
        GTEST_SKIP() << "only runs as the child of SingleInstanceTest";
    SingleInstance instance(QDBusConnection::connectToBus(address, QStringLiteral("owner")));
    QObject::connect(&instance, &SingleInstance::showPanelRequested, [] { ::kill(::getpid(), SIGKILL); });
    ASSERT_EQ(instance.claim(), SingleInstance::Claim::owned);
    ::write(STDOUT_FILENO, "owned\n", 6);
    QCoreApplication::exec();
}

TEST(SingleInstanceTest, ALaunchRightAfterTheInstanceDiedBecomesTheInstance)
{
    PrivateBus bus;
    ASSERT_TRUE(bus.ok());
    QProcess owner;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("BRIMKIT_OWNER_CHILD_BUS"), bus.address());
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    owner.setProcessEnvironment(environment);
    owner.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--gtest_filter=SingleInstanceOwnerChild.*")});
    while (!owner.readAllStandardOutput().contains("owned"))
        ASSERT_TRUE(owner.waitForReadyRead(60000)) << "the owner did not claim the name";

    // Its name is still held when the call reaches it; the call then fails.
    const QDBusConnection connection = bus.connect();
    SingleInstance instance(connection);
    EXPECT_EQ(instance.claim(), SingleInstance::Claim::owned);
    ASSERT_TRUE(owner.waitForFinished(60000));
    EXPECT_EQ(owner.exitStatus(), QProcess::CrashExit);
    EXPECT_TRUE(SingleInstance::isRunning(connection));
}
