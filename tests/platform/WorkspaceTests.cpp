// Browser discovery and launching against desktop entries written into
// temporary XDG folders; launched programs are a recorder of their arguments.
#include "models/BrimBrowser.h"
#include "platform/DesktopWorkspace.h"
#include "tests/support/Patience.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

#include <unistd.h>

namespace {

struct Workspace : ::testing::Test {
    QTemporaryDir root;
    QString home = root.filePath(QStringLiteral("home"));
    QString userData = home + QStringLiteral("/.local/share");
    QString systemData = root.filePath(QStringLiteral("usr/share"));
    QString record = root.filePath(QStringLiteral("argv"));
    QByteArray savedHome = qgetenv("HOME");
    QByteArray savedConfig = qgetenv("XDG_CONFIG_HOME");
    DesktopWorkspace workspace{DesktopEntries({userData, systemData})};

    Workspace()
    {
        qputenv("HOME", home.toUtf8());
        qunsetenv("XDG_CONFIG_HOME");
    }
    ~Workspace() override
    {
        qputenv("HOME", savedHome);
        qputenv("XDG_CONFIG_HOME", savedConfig);
    }
    static void write(const QString &path, const QByteArray &content)
    {
        QDir().mkpath(QFileInfo(path).path());
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(content);
    }
    // An application entry whose program records its arguments.
    QString install(const QString &dataDir, const QString &relative, const QByteArray &extra = {},
                    const QString &program = QStringLiteral(ARGV_RECORDER))
    {
        const QString path = dataDir + QStringLiteral("/applications/") + relative + QStringLiteral(".desktop");
        write(path, "[Desktop Entry]\nType=Application\nName=B\nExec=\"" + program.toUtf8() + "\" \"" + record.toUtf8()
                        + "\" %U\n" + extra);
        return path;
    }
    QStringList ids() const
    {
        QStringList result;
        for (const BrimBrowser &browser : BrimBrowser::discover(workspace))
            result << browser.id + QLatin1Char('=') + browser.title;
        return result;
    }
    // The recorded arguments, the first being the recorder's session id.
    QStringList recorded()
    {
        if (!QTest::qWaitFor([&] { return QFile::exists(record); }, patienceMs))
            return {QStringLiteral("<not started>")};
        QFile file(record);
        file.open(QIODevice::ReadOnly);
        QStringList parts = QString::fromUtf8(file.readAll()).split(QChar(0));
        parts.removeLast();
        file.remove();
        return parts;
    }
};

} // namespace

TEST_F(Workspace, EachKnownBrowserIsFoundByEachOfItsDesktopIds)
{
    EXPECT_TRUE(BrimBrowser::discover(workspace).isEmpty());
    struct Row { const char *identifier; const char *title; QStringList desktopIds; };
    const QList<Row> rows = {
        {"org.mozilla.firefox", "Firefox", {"firefox", "firefox-esr", "org.mozilla.firefox", "firefox_firefox"}},
        {"com.google.Chrome", "Google Chrome", {"google-chrome", "com.google.Chrome"}},
        {"org.chromium.Chromium", "Chromium", {"chromium", "org.chromium.Chromium", "chromium_chromium"}},
        {"com.brave.Browser", "Brave", {"brave-browser", "com.brave.Browser"}},
        {"com.microsoft.Edge", "Microsoft Edge", {"microsoft-edge", "com.microsoft.Edge"}},
    };
    int probed = 0;
    for (const Row &row : rows) {
        for (const QString &desktopId : row.desktopIds) {
            const QString path = install(++probed % 2 ? systemData : userData, desktopId);
            EXPECT_EQ(ids(), QStringList{QString::fromUtf8(row.identifier) + QLatin1Char('=') + QString::fromUtf8(row.title)})
                << qPrintable(desktopId);
            QFile::remove(path);
        }
    }
}

TEST_F(Workspace, HiddenOrMissingTryExecIsNotInstalledAndTableOrderHolds)
{
    install(systemData, QStringLiteral("firefox"));
    install(userData, QStringLiteral("firefox"), "Hidden=true\n");
    install(systemData, QStringLiteral("brave-browser"), "TryExec=/nonexistent/brave\n");
    install(systemData, QStringLiteral("microsoft-edge"), "TryExec=" ARGV_RECORDER "\n");
    install(systemData, QStringLiteral("chromium"));
    install(systemData, QStringLiteral("google/chrome")); // desktop id google-chrome
    install(systemData, QStringLiteral("broken/x"));
    write(systemData + QStringLiteral("/applications/org.chromium.Chromium.desktop"), "not a desktop file");
    write(home + QStringLiteral("/.config/google-chrome/Local State"),
          R"({"profile":{"info_cache":{"Default":{"name":"Me"}}}})");
    EXPECT_EQ(ids(), (QStringList{"com.google.Chrome=Google Chrome", "com.google.Chrome:Default=Chrome · Me",
                                  "org.chromium.Chromium=Chromium", "com.microsoft.Edge=Microsoft Edge"}));
}

TEST_F(Workspace, EveryOtherBrowserOnceByNameAfterTheKnownOnes)
{
    install(systemData, QStringLiteral("firefox"), "MimeType=x-scheme-handler/https;\n");
    const auto entry = [&](const QString &dir, const char *id, const char *lines) {
        write(QStringLiteral("%1/applications/%2.desktop").arg(dir, QLatin1String(id)),
              QByteArray("[Desktop Entry]\nType=Application\nExec=true %U\n") + lines);
    };
    entry(userData, "vivaldi-stable", "Name=Vivaldi\nMimeType=text/html;x-scheme-handler/https;\n");
    entry(systemData, "vivaldi-stable", "Name=Old Vivaldi\nMimeType=x-scheme-handler/https;\n");
    entry(systemData, "kde/konqueror", "Name=Konqueror\nCategories=Qt;KDE;Network;WebBrowser;\n");
    entry(systemData, "org.gnome.Epiphany", "Name=Web\nMimeType=x-scheme-handler/https\n");
    entry(systemData, "unlisted", "Name=Unlisted\nNoDisplay=true\nMimeType=x-scheme-handler/https;\n");
    entry(systemData, "gone", "Name=Gone\nTryExec=/nonexistent/gone\nCategories=WebBrowser;\n");
    entry(systemData, "mail", "Name=Mail\nMimeType=x-scheme-handler/mailto;x-scheme-handler/httpsx;\n");
    EXPECT_EQ(ids(), (QStringList{"org.mozilla.firefox=Firefox", "kde-konqueror=Konqueror", "vivaldi-stable=Vivaldi",
                                  "org.gnome.Epiphany=Web"}));
}

TEST_F(Workspace, ChromeProfilesFromLocalState)
{
    install(userData, QStringLiteral("google-chrome"));
    const QString state = home + QStringLiteral("/.config/google-chrome/Local State");
    const QString chrome = QStringLiteral("com.google.Chrome=Google Chrome");
    const QList<QPair<QByteArray, QStringList>> rows = {
        {R"({"profile":{"info_cache":{"Profile 2":{"name":"Work"},"Default":{"name":"Me"},)"
         R"("Profile 10":{"name":"Ten"},"Guest Profile":{"name":"G"},"System Profile":{},)"
         R"("Profile 1a":{},"profile 1":{},"Profile ":{},"Profile ١":{}}}})",
         {chrome, "com.google.Chrome:Default=Chrome · Me", "com.google.Chrome:Profile 10=Chrome · Ten",
          "com.google.Chrome:Profile 2=Chrome · Work"}},
        {R"({"profile":{"info_cache":{"Profile 3":{},"Profile 4":{"name":4}}}})",
         {chrome, "com.google.Chrome:Profile 3=Chrome · Profile 3", "com.google.Chrome:Profile 4=Chrome · Profile 4"}},
        // Other shapes are the fuzz target's, which compares with a plain JSON reading.
        {R"({"profile":{"info_cache":{"Default":{"name":"Me"},"Profile 1":"x"}}})", {chrome}},
        {R"({"profile":{"info_cache":{"Default":{}}})", {chrome}},
    };
    EXPECT_EQ(ids(), QStringList{chrome}); // no file
    for (const auto &[json, expected] : rows) {
        write(state, json);
        EXPECT_EQ(ids(), expected) << json.constData();
    }
    // Exactly at the size limit it is read; one byte more and it is not.
    QByteArray big = R"({"profile":{"info_cache":{"Default":{}}}})";
    big += QByteArray(10'000'000 - big.size(), ' ');
    write(state, big);
    EXPECT_EQ(ids().size(), 2);
    write(state, big + ' ');
    EXPECT_EQ(ids().size(), 1);
}

TEST_F(Workspace, FlatpakChromeReadsItsOwnProfileFolder)
{
    install(systemData, QStringLiteral("com.google.Chrome"));
    write(home + QStringLiteral("/.config/google-chrome/Local State"),
          R"({"profile":{"info_cache":{"Default":{"name":"Native"}}}})");
    write(home + QStringLiteral("/.var/app/com.google.Chrome/config/google-chrome/Local State"),
          R"({"profile":{"info_cache":{"Default":{"name":"Sandboxed"}}}})");
    EXPECT_EQ(ids().value(1), QStringLiteral("com.google.Chrome:Default=Chrome · Sandboxed"));
}

TEST_F(Workspace, ArgumentsArriveByteForByteInTheirOwnSession)
{
    const QUrl app = QUrl::fromLocalFile(install(userData, QStringLiteral("firefox")));
    const QStringList hostile = {
        QStringLiteral("https://x.test/?q=a;b&c=$(touch /tmp/pwned)`id`"), QStringLiteral("it's \"quoted\""),
        QStringLiteral("with spaces and\nnewline"), QStringLiteral("https://ünïcødé.test/路径?%0A"),
        QStringLiteral("%u %U %%"), QStringLiteral("--flag"), QStringLiteral("back\\slash"), QString(),
    };
    ASSERT_TRUE(workspace.launch(app, hostile).ok());
    QStringList got = recorded();
    ASSERT_FALSE(got.isEmpty());
    EXPECT_NE(got.takeFirst().toLongLong(), qint64(getsid(0)));
    EXPECT_EQ(got, hostile);

    const BrimBrowser profile{QStringLiteral("com.google.Chrome:Profile 1"), QString(), app, QStringLiteral("Profile 1")};
    QStringList failures;
    profile.open(hostile.first(), workspace, [&](const QString &text) { failures << text; });
    EXPECT_EQ(recorded().mid(1),
              (QStringList{QStringLiteral("--profile-directory=Profile 1"), QStringLiteral("--new-window"), hostile.first()}));
    EXPECT_TRUE(failures.isEmpty());
}

TEST_F(Workspace, FailuresReportTheirTexts)
{
    const QString gone = root.filePath(QStringLiteral("gone"));
    const QString garbage = root.filePath(QStringLiteral("garbage"));
    write(garbage, "\x7f" "ELF nonsense");
    QFile::setPermissions(garbage, QFile::ReadOwner | QFile::ExeOwner);
    const QString notOpened = QStringLiteral("The selected browser could not be opened.");
    struct Row { QString program; bool removeDesktopFile; QString plainPrefix; QString profilePrefix; };
    const QList<Row> rows = {
        {gone, false, notOpened, notOpened},
        {QStringLiteral(ARGV_RECORDER), true, notOpened, notOpened},
        {garbage, false, QString(), QStringLiteral("Chrome could not open this profile: ")},
    };
    for (const Row &row : rows) {
        const QString path = install(userData, QStringLiteral("google-chrome"), {}, row.program);
        if (row.removeDesktopFile)
            QFile::remove(path);
        for (const bool withProfile : {false, true}) {
            BrimBrowser browser{QStringLiteral("com.google.Chrome"), QString(), QUrl::fromLocalFile(path), std::nullopt};
            if (withProfile)
                browser.profile = QStringLiteral("Default");
            QStringList failures;
            browser.open(QStringLiteral("https://x.test/"), workspace, [&](const QString &text) { failures << text; });
            ASSERT_EQ(failures.size(), 1) << qPrintable(row.program);
            const QString expected = withProfile ? row.profilePrefix : row.plainPrefix;
            if (expected == notOpened) {
                EXPECT_EQ(failures.first(), notOpened);
            } else { // the platform's description follows
                EXPECT_TRUE(failures.first().startsWith(expected)) << qPrintable(failures.first());
                EXPECT_GT(failures.first().size(), expected.size());
            }
        }
    }
}
