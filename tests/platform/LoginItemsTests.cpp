#include "platform/AppInstallation.h"
#include "platform/BackgroundPortalLoginItems.h"
#include "platform/XdgAutostartLoginItems.h"
#include "tests/platform/PrivateBus.h"

#include <QDBusArgument>
#include <QDBusObjectPath>
#include <QProcess>
#include <QTemporaryDir>
#include <QCoro/QCoroTask>
#include <gtest/gtest.h>

namespace {
const QString fileName = QStringLiteral("app.ostrel.brimkit.desktop");
const QByteArray installedEntry = "[Desktop Entry]\nType=Application\nName=Ostrel Brimkit\nExec=/usr/bin/ostrel-brimkit\n"
                                  "Icon=app.ostrel.brimkit\nCategories=Utility;\nActions=Quit;\nDBusActivatable=true\n\n"
                                  "[Desktop Action Quit]\nName=Quit\nExec=/usr/bin/ostrel-brimkit --quit\n";

QByteArray read(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}
bool ok(QCoro::Task<Result<void, QString>> task)
{
    return QCoro::waitFor(std::move(task)).ok();
}

void write(const QString &path, const QByteArray &contents)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(contents);
}

// desktop-file-validate's complaints; empty when it accepts the entry.
std::string validationErrors(const QString &path)
{
    QProcess validate;
    validate.start(QStringLiteral("desktop-file-validate"), {path});
    if (!validate.waitForFinished(10000))
        return "desktop-file-validate did not run";
    return validate.exitCode() == 0 ? std::string() : validate.readAllStandardOutput().toStdString();
}

struct Autostart {
    QTemporaryDir dir;
    QString program = dir.filePath(QStringLiteral("prefix/bin/ostrel-brimkit"));
    QString user = dir.filePath(QStringLiteral("config/autostart/") + fileName);
    QString system = dir.filePath(QStringLiteral("xdg/autostart/") + fileName);
    QString installed = dir.filePath(QStringLiteral("prefix/share/applications/") + fileName);
    XdgAutostartLoginItems items{{dir.filePath(QStringLiteral("config/autostart")),
                                  {dir.filePath(QStringLiteral("xdg/autostart"))},
                                  {installed},
                                  program,
                                  fileName,
                                  QStringLiteral("Ostrel Brimkit")},
                                 std::nullopt};
};
} // namespace

TEST(XdgAutostart, RegisteringWritesTheInstalledEntryStartingThisProgram)
{
    for (const bool withInstalledEntry : {true, false}) {
        Autostart a;
        if (withInstalledEntry)
            write(a.installed, installedEntry);
        ASSERT_TRUE(ok(a.items.registerItem()));
        const QByteArray entry = read(a.user);
        EXPECT_EQ(a.items.status(), LoginItemStatus::enabled);
        EXPECT_TRUE(entry.contains("\nExec=" + a.program.toUtf8() + '\n')) << entry.toStdString();
        EXPECT_EQ(entry.count("Exec="), withInstalledEntry ? 2 : 1) << "the action's Exec is kept";
        EXPECT_FALSE(entry.contains("DBusActivatable")) << "a login session would not start it";
        EXPECT_EQ(entry.contains("Icon=app.ostrel.brimkit"), withInstalledEntry);
        EXPECT_EQ(validationErrors(a.user), "") << withInstalledEntry;
    }
}

TEST(XdgAutostart, UnregisteringRemovesOrMasksAndStatusFollowsTheEffectiveEntry)
{
    const struct { const char *name; bool systemEntry; bool registerFirst; bool userEntryAfter; } cases[] = {
        {"own entry", false, true, false}, {"system-wide entry only", true, false, true},
        {"own entry over a system-wide one", true, true, true},
    };
    for (const auto &c : cases) {
        Autostart a;
        write(a.installed, installedEntry);
        if (c.systemEntry)
            write(a.system, installedEntry);
        if (c.registerFirst) {
            ASSERT_TRUE(ok(a.items.registerItem())) << c.name;
        }
        EXPECT_EQ(a.items.status(), LoginItemStatus::enabled) << c.name;
        ASSERT_TRUE(ok(a.items.unregisterItem())) << c.name;
        EXPECT_EQ(a.items.status(), LoginItemStatus::notRegistered) << c.name;
        EXPECT_EQ(QFileInfo::exists(a.user), c.userEntryAfter) << c.name;
        if (c.userEntryAfter) {
            EXPECT_TRUE(read(a.user).contains("\nHidden=true\n")) << c.name;
            ASSERT_TRUE(ok(a.items.registerItem())) << c.name;
            EXPECT_EQ(a.items.status(), LoginItemStatus::enabled) << c.name << ": still masked";
        }
    }
}

TEST(XdgAutostart, AnEntryThatCannotBeReadIsNeverReplaced)
{
    Autostart a;
    // A folder where the entry should be: it exists but cannot be read as a file, even by root.
    QDir().mkpath(a.user);
    EXPECT_FALSE(ok(a.items.registerItem()));
    EXPECT_FALSE(ok(a.items.unregisterItem()));
    EXPECT_TRUE(QFileInfo(a.user).isDir());
    EXPECT_EQ(a.items.status(), LoginItemStatus::notFound);
}

TEST(XdgAutostart, AnyProgramPathBecomesOneValidExecArgument)
{
    QTemporaryDir dir;
    const struct { QString program; std::optional<QString> exec; } cases[] = {
        {QStringLiteral("/usr/bin/ostrel-brimkit"), QStringLiteral("/usr/bin/ostrel-brimkit")},
        {QStringLiteral("/opt/My Apps/ostrel-brimkit"), QStringLiteral("\"/opt/My Apps/ostrel-brimkit\"")},
        {QStringLiteral("/opt/a$b/x"), QStringLiteral("\"/opt/a\\\\$b/x\"")},
        {QStringLiteral("/opt/say \"hi\"/x"), QStringLiteral("\"/opt/say \\\\\"hi\\\\\"/x\"")},
        {QStringLiteral("/opt/back\\slash/x"), QStringLiteral("\"/opt/back\\\\\\\\slash/x\"")},
        {QStringLiteral("/opt/100%/x"), QStringLiteral("/opt/100%%/x")},
        {QStringLiteral("/opt/line\nbreak/x"), std::nullopt}, {QString(), std::nullopt},
    };
    for (const auto &c : cases)
        EXPECT_EQ(XdgAutostartLoginItems::execArgument(c.program), c.exec) << c.program.toStdString();
    // The hardest one in a whole entry.
    const QString path = dir.filePath(QStringLiteral("entry.desktop"));
    write(path, XdgAutostartLoginItems::autostartEntry(std::nullopt, *cases[3].exec, QStringLiteral("Ostrel Brimkit")));
    EXPECT_EQ(validationErrors(path), "");
}

TEST(AppInstallation, OnlyAProgramInsideABinFolderOrBesideItsEntryIsInstalled)
{
    QTemporaryDir dir;
    const auto path = [&](const char *relative) { return dir.filePath(QString::fromLatin1(relative)); };
    for (const char *program : {"prefix/bin/ostrel-brimkit", "build/shell/ostrel-brimkit", "usr/binx/ostrel-brimkit",
                                "other/bin/ostrel-brimkit"})
        write(path(program), "#!/bin/sh\n");
    write(path("other/share/applications/app.ostrel.brimkit.desktop"), installedEntry);
    for (const char *folder : {"links/bin", "usr/bin"})
        QDir().mkpath(path(folder));
    QFile::link(path("build/shell/ostrel-brimkit"), path("links/bin/ostrel-brimkit"));
    QFile::link(path("prefix/bin"), path("prefix-link"));
    QFile::link(path("prefix/bin/ostrel-brimkit"), path("build/linked-install"));

    const QStringList binFolders{path("prefix-link"), path("usr/bin"), path("links/bin")};
    const std::pair<const char *, bool> cases[] = {
        {"prefix/bin/ostrel-brimkit", true}, {"build/linked-install", true}, {"build/shell/ostrel-brimkit", false},
        {"links/bin/ostrel-brimkit", false}, {"usr/binx/ostrel-brimkit", false}, {"other/bin/ostrel-brimkit", true},
        {"missing/bin/ostrel-brimkit", false},
    };
    for (const auto &[program, installed] : cases) {
        const AppInstallation installation(path(program), binFolders, QStringLiteral("../share"), QStringLiteral("app.ostrel.brimkit"));
        EXPECT_EQ(installation.isInstalled(), installed) << program;
    }
}

TEST(BackgroundPortal, TheDesktopsAnswerIsTheStatus)
{
    PrivateBus bus;
    ASSERT_TRUE(bus.ok());
    QTemporaryDir dir;
    const QString state = dir.filePath(QStringLiteral("config/launch-at-login"));
    std::optional<std::pair<uint, QVariantMap>> answer;
    FakeDBusService *portal = nullptr;
    FakeDBusService fake(bus, QStringLiteral("org.freedesktop.portal.Desktop"), QStringLiteral("/org/freedesktop/portal/desktop"),
                         [&](const QDBusMessage &call) -> std::optional<QDBusMessage> {
                             const QString token = qdbus_cast<QVariantMap>(call.arguments().value(1))
                                                       .value(QStringLiteral("handle_token")).toString();
                             const QString handle = QStringLiteral("/org/freedesktop/portal/desktop/request/")
                                 + call.service().mid(1).replace(QLatin1Char('.'), QLatin1Char('_')) + QLatin1Char('/') + token;
                             QDBusMessage response = QDBusMessage::createSignal(handle, QStringLiteral("org.freedesktop.portal.Request"),
                                                                                QStringLiteral("Response"));
                             response << answer->first << answer->second;
                             portal->send(response); // before the reply: the answer must not be missed
                             return call.createReply(QVariant::fromValue(QDBusObjectPath(handle)));
                         });
    portal = &fake;
    BackgroundPortalLoginItems items(bus.connect(), state, {QStringLiteral("/app/bin/ostrel-brimkit")},
                                     QStringLiteral("reason"), std::chrono::seconds(5));
    const struct { const char *name; bool on; uint code; bool granted; bool ok; LoginItemStatus status; } steps[] = {
        {"granted", true, 0, true, true, LoginItemStatus::enabled},
        {"withdrawn", false, 0, false, true, LoginItemStatus::notRegistered},
        {"refused", true, 0, false, true, LoginItemStatus::requiresApproval},
        {"dialog cancelled", true, 1, false, true, LoginItemStatus::requiresApproval},
        {"portal failure keeps the last state", true, 2, false, false, LoginItemStatus::requiresApproval},
    };
    for (const auto &s : steps) {
        answer = {s.code, {{QStringLiteral("autostart"), s.granted}}};
        EXPECT_EQ(ok(s.on ? items.registerItem() : items.unregisterItem()), s.ok) << s.name;
        EXPECT_EQ(items.status(), s.status) << s.name;
    }
    const QList<QDBusMessage> calls = fake.calls(QStringLiteral("RequestBackground"));
    ASSERT_EQ(calls.size(), 5);
    const QVariantMap options = qdbus_cast<QVariantMap>(calls[1].arguments().value(1));
    EXPECT_FALSE(options.value(QStringLiteral("autostart")).toBool());
    EXPECT_EQ(qdbus_cast<QStringList>(options.value(QStringLiteral("commandline"))),
              QStringList{QStringLiteral("/app/bin/ostrel-brimkit")});
}
