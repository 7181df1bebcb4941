#include "platform/AppInstallation.h"
#include "platform/AutostartSettingsTool.h"
#include "platform/BackgroundPortalLoginItems.h"
#include "platform/XdgAutostartLoginItems.h"
#include "tests/platform/PrivateBus.h"

#include <QDBusArgument>
#include <QDBusMetaType>
#include <QDBusObjectPath>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
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

template <class T>
T await(QCoro::Task<T> task)
{
    return QCoro::waitFor(std::move(task));
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
        ASSERT_TRUE(await(a.items.registerItem()).ok());
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
    const struct {
        const char *name;
        bool systemEntry;
        bool registerFirst;
        LoginItemStatus before;
        bool userEntryAfter;
    } cases[] = {
        {"own entry", false, true, LoginItemStatus::enabled, false},
        {"system-wide entry only", true, false, LoginItemStatus::enabled, true},
        {"own entry over a system-wide one", true, true, LoginItemStatus::enabled, true},
        {"nothing", false, false, LoginItemStatus::notRegistered, false},
    };
    for (const auto &c : cases) {
        Autostart a;
        write(a.installed, installedEntry);
        if (c.systemEntry)
            write(a.system, installedEntry);
        if (c.registerFirst) {
            ASSERT_TRUE(await(a.items.registerItem()).ok()) << c.name;
        }
        EXPECT_EQ(a.items.status(), c.before) << c.name;
        ASSERT_TRUE(await(a.items.unregisterItem()).ok()) << c.name;
        EXPECT_EQ(a.items.status(), LoginItemStatus::notRegistered) << c.name;
        EXPECT_EQ(QFileInfo::exists(a.user), c.userEntryAfter) << c.name;
        if (c.userEntryAfter) {
            EXPECT_TRUE(read(a.user).contains("\nHidden=true\n")) << c.name;
            ASSERT_TRUE(await(a.items.registerItem()).ok()) << c.name;
            EXPECT_EQ(a.items.status(), LoginItemStatus::enabled) << c.name << ": still masked";
        }
    }
}

TEST(XdgAutostart, AnEntryThatCannotBeReadIsNeverReplaced)
{
    Autostart a;
    // A folder where the entry should be: it exists but cannot be read as a file, even by root.
    QDir().mkpath(a.user);
    EXPECT_FALSE(await(a.items.registerItem()).ok());
    EXPECT_FALSE(await(a.items.unregisterItem()).ok());
    EXPECT_TRUE(QFileInfo(a.user).isDir());
    EXPECT_EQ(a.items.status(), LoginItemStatus::notFound);
}

TEST(XdgAutostart, AnyProgramPathBecomesOneValidExecArgument)
{
    QTemporaryDir dir;
    const struct {
        QString program;
        std::optional<QString> exec;
    } cases[] = {
        {QStringLiteral("/usr/bin/ostrel-brimkit"), QStringLiteral("/usr/bin/ostrel-brimkit")},
        {QStringLiteral("/opt/My Apps/ostrel-brimkit"), QStringLiteral("\"/opt/My Apps/ostrel-brimkit\"")},
        {QStringLiteral("/opt/a$b/x"), QStringLiteral("\"/opt/a\\\\$b/x\"")},
        {QStringLiteral("/opt/say \"hi\"/x"), QStringLiteral("\"/opt/say \\\\\"hi\\\\\"/x\"")},
        {QStringLiteral("/opt/back\\slash/x"), QStringLiteral("\"/opt/back\\\\\\\\slash/x\"")},
        {QStringLiteral("/opt/100%/x"), QStringLiteral("/opt/100%%/x")},
        {QStringLiteral("/opt/line\nbreak/x"), std::nullopt},
        {QString(), std::nullopt},
    };
    for (const auto &c : cases) {
        const std::optional<QString> exec = XdgAutostartLoginItems::execArgument(c.program);
        EXPECT_EQ(exec, c.exec) << c.program.toStdString();
        if (!exec)
            continue;
        const QString path = dir.filePath(QStringLiteral("entry.desktop"));
        write(path, XdgAutostartLoginItems::autostartEntry(std::nullopt, *exec, QStringLiteral("Ostrel Brimkit")));
        EXPECT_EQ(validationErrors(path), "") << c.program.toStdString();
    }
}

TEST(AppInstallation, OnlyAProgramInsideABinFolderOrBesideItsEntryIsInstalled)
{
    QTemporaryDir dir;
    const auto path = [&](const char *relative) { return dir.filePath(QString::fromLatin1(relative)); };
    for (const char *program : {"prefix/bin/ostrel-brimkit", "build/shell/ostrel-brimkit", "usr/binx/ostrel-brimkit",
                                "other/bin/ostrel-brimkit"})
        write(path(program), "#!/bin/sh\n");
    write(path("other/share/applications/app.ostrel.brimkit.desktop"), installedEntry);
    QDir().mkpath(path("links/bin"));
    QFile::link(path("build/shell/ostrel-brimkit"), path("links/bin/ostrel-brimkit"));
    QFile::link(path("prefix/bin"), path("prefix-link"));
    QFile::link(path("prefix/bin/ostrel-brimkit"), path("build/linked-install"));

    const QStringList binFolders{path("prefix-link"), path("usr/bin"), path("links/bin")};
    const struct {
        const char *program;
        bool installed;
    } cases[] = {
        {"prefix/bin/ostrel-brimkit", true},
        {"build/linked-install", true},
        {"build/shell/ostrel-brimkit", false},
        {"links/bin/ostrel-brimkit", false},
        {"usr/binx/ostrel-brimkit", false},
        {"other/bin/ostrel-brimkit", true},
        {"missing/bin/ostrel-brimkit", false},
    };
    for (const auto &c : cases) {
        const AppInstallation installation(path(c.program), binFolders, QStringLiteral("../share"),
                                           QStringLiteral("app.ostrel.brimkit"));
        EXPECT_EQ(installation.isInstalled(), c.installed) << c.program;
    }
}

TEST(AutostartSettingsTool, TheDesktopsOwnToolWhereOneIsInstalled)
{
    const QStringList installed{QStringLiteral("systemsettings"), QStringLiteral("gnome-tweaks"),
                                QStringLiteral("xfce4-session-settings")};
    const auto finder = [&](const QString &name) {
        return installed.contains(name) ? QStringLiteral("/usr/bin/") + name : QString();
    };
    const struct {
        const char *desktops;
        QString program;
        QStringList arguments;
    } cases[] = {
        {"KDE", QStringLiteral("/usr/bin/systemsettings"), {QStringLiteral("kcm_autostart")}},
        {"ubuntu:GNOME", QStringLiteral("/usr/bin/gnome-tweaks"), {}},
        {"XFCE", QStringLiteral("/usr/bin/xfce4-session-settings"), {}},
        {"MATE", QString(), {}},
        {"", QString(), {}},
    };
    for (const auto &c : cases) {
        const auto tool = AutostartSettingsTool::find(QString::fromLatin1(c.desktops).split(QLatin1Char(':'), Qt::SkipEmptyParts), finder);
        EXPECT_EQ(tool ? tool->program : QString(), c.program) << c.desktops;
        EXPECT_EQ(tool ? tool->arguments : QStringList(), c.arguments) << c.desktops;
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
    const auto autostart = [](bool on) { return QVariantMap{{QStringLiteral("background"), true}, {QStringLiteral("autostart"), on}}; };

    const struct {
        const char *name;
        bool on;
        uint code;
        bool granted;
        bool ok;
        LoginItemStatus status;
    } steps[] = {
        {"granted", true, 0, true, true, LoginItemStatus::enabled},
        {"withdrawn", false, 0, false, true, LoginItemStatus::notRegistered},
        {"refused", true, 0, false, true, LoginItemStatus::requiresApproval},
        {"dialog cancelled", true, 1, false, true, LoginItemStatus::requiresApproval},
        {"portal failure keeps the last state", true, 2, false, false, LoginItemStatus::requiresApproval},
    };
    for (const auto &s : steps) {
        answer = {s.code, autostart(s.granted)};
        const Result<void, QString> result = await(s.on ? items.registerItem() : items.unregisterItem());
        EXPECT_EQ(result.ok(), s.ok) << s.name;
        EXPECT_EQ(items.status(), s.status) << s.name;
    }
    const QList<QDBusMessage> calls = fake.calls(QStringLiteral("RequestBackground"));
    ASSERT_EQ(calls.size(), 5);
    const QVariantMap options = qdbus_cast<QVariantMap>(calls[1].arguments().value(1));
    EXPECT_FALSE(options.value(QStringLiteral("autostart")).toBool());
    EXPECT_EQ(qdbus_cast<QStringList>(options.value(QStringLiteral("commandline"))),
              QStringList{QStringLiteral("/app/bin/ostrel-brimkit")});
}
