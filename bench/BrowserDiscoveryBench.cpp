// Browser discovery as the panel runs it each time it opens: 300 desktop
// entries in the data folders (all five known browsers and five others among
// them) and a 1 MB Chrome "Local State" with twelve profiles. Goal: under 3 ms.
//
//   ./build/bench/BrowserDiscoveryBench
#include "bench/BenchMain.h"
#include "models/BrimBrowser.h"
#include "platform/ChromeLocalState.h"
#include "platform/DesktopWorkspace.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

namespace {

void write(const QString &path, const QByteArray &content)
{
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(content) != content.size())
        qFatal("cannot write %s", qPrintable(path));
}

QByteArray entry(const QString &name, const QString &exec, bool browser)
{
    const QString kinds = browser ? QStringLiteral("Categories=Network;WebBrowser;\n"
                                                   "MimeType=text/html;x-scheme-handler/http;x-scheme-handler/https;\n")
                                  : QStringLiteral("Categories=Office;Viewer;\nMimeType=text/plain;application/pdf;\n");
    return QStringLiteral("[Desktop Entry]\nVersion=1.0\nType=Application\nName=%1\nName[de]=%1 (de)\n"
                          "GenericName=Web Browser\nComment=Browse the World Wide Web\nIcon=%1\n"
                          "Exec=%2\nTerminal=false\n%3"
                          "[Desktop Action new-window]\nName=New Window\nExec=%2 --new-window\n")
        .arg(name, exec, kinds)
        .toUtf8();
}

// About a megabyte: twelve profiles and the bulk of unrelated state that a
// long-used Chrome keeps.
QByteArray localState()
{
    QJsonObject cache;
    for (int i = 0; i < 12; ++i) {
        const QString directory = i == 0 ? QStringLiteral("Default") : QStringLiteral("Profile %1").arg(i);
        cache.insert(directory, QJsonObject{{QStringLiteral("name"), QStringLiteral("Person %1").arg(i)},
                                            {QStringLiteral("avatar_icon"), QStringLiteral("chrome://theme/IDR_PROFILE_AVATAR_26")},
                                            {QStringLiteral("active_time"), 1700000000.5 + i},
                                            {QStringLiteral("is_using_default_name"), false}});
    }
    QJsonObject bulk;
    for (int n = 0; n < 750; ++n) { // about 1,300 bytes each, mostly ASCII like Chrome's own
        QJsonObject item{{QStringLiteral("title"), QStringLiteral("Zoë’s page %1").arg(n)}};
        for (int k = 0; k < 20; ++k)
            item.insert(QStringLiteral("key_%1").arg(k),
                        QStringLiteral("https://www.example.com/some/path/%1/%2?query=value").arg(n).arg(k));
        item.insert(QStringLiteral("numbers"), QJsonArray{n, n * 2.5, true, QJsonValue::Null});
        bulk.insert(QStringLiteral("entry_%1").arg(n), item);
    }
    return QJsonDocument(QJsonObject{{QStringLiteral("browser"), bulk},
                                     {QStringLiteral("profile"), QJsonObject{{QStringLiteral("info_cache"), cache}}}})
        .toJson(QJsonDocument::Compact);
}

struct Installation {
    QTemporaryDir root;
    QString userData = root.filePath(QStringLiteral("home/.local/share"));
    QString systemData = root.filePath(QStringLiteral("usr/share"));
    qint64 stateSize = 0;

    Installation()
    {
        const QString known[] = {QStringLiteral("firefox"), QStringLiteral("google-chrome"), QStringLiteral("chromium"),
                                 QStringLiteral("brave-browser"), QStringLiteral("microsoft-edge")};
        for (int i = 0; i < 300; ++i) {
            const QString id = i < 5 ? known[i] : QStringLiteral("org.example.App%1").arg(i);
            write((i % 6 == 0 ? userData : systemData) + QStringLiteral("/applications/") + id + QStringLiteral(".desktop"),
                  entry(id, QStringLiteral("/usr/bin/") + id + QStringLiteral(" %U"), i < 10));
        }
        const QByteArray state = localState();
        stateSize = state.size();
        write(root.filePath(QStringLiteral("home/.config/google-chrome/Local State")), state);
        qputenv("HOME", root.filePath(QStringLiteral("home")).toUtf8());
        qputenv("XDG_CONFIG_HOME", root.filePath(QStringLiteral("home/.config")).toUtf8());
    }
};

Installation &installation()
{
    static Installation instance;
    return instance;
}

void BM_Discover(benchmark::State &state)
{
    Installation &setup = installation();
    const DesktopWorkspace workspace{DesktopEntries({setup.userData, setup.systemData})};
    qsizetype found = 0;
    for (auto _ : state) {
        const QList<BrimBrowser> browsers = BrimBrowser::discover(workspace);
        found = browsers.size();
        benchmark::DoNotOptimize(browsers);
    }
    if (found != 22)
        state.SkipWithError("expected five known browsers, twelve profiles and five other browsers");
    state.counters["local_state_bytes"] = double(setup.stateSize);
}
BENCHMARK(BM_Discover)->Unit(benchmark::kMillisecond);

// The share of the Local State in the above.
void BM_LocalState(benchmark::State &state)
{
    const QString path = installation().root.filePath(QStringLiteral("home/.config/google-chrome/Local State"));
    for (auto _ : state)
        benchmark::DoNotOptimize(ChromeLocalState::read(path));
}
BENCHMARK(BM_LocalState)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char **argv) { return runBenchmarks<QCoreApplication>(argc, argv); }
