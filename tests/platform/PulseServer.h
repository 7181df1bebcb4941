#pragma once
// A throwaway PulseAudio server on a socket of its own, with null sources as
// microphones. Clients of this process and pactl find it through PULSE_SERVER.

#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <optional>

class PulseServer {
public:
    // Sources are loaded in order; the first becomes the default.
    explicit PulseServer(const QStringList &sources = {QStringLiteral("mic")})
        : m_sources(sources)
    {
        qputenv("PULSE_SERVER", "unix:" + QFile::encodeName(socket()));
        start();
    }
    ~PulseServer() { stop(); }

    QString socket() const { return m_dir.filePath(QStringLiteral("native")); }
    bool start()
    {
        QStringList args{QStringLiteral("-n"), QStringLiteral("--daemonize=no"), QStringLiteral("--exit-idle-time=-1"),
                         QStringLiteral("--disable-shm=yes"), QStringLiteral("--log-level=error"), QStringLiteral("-L"),
                         QStringLiteral("module-native-protocol-unix auth-anonymous=1 socket=") + socket()};
        for (const QString &name : m_sources)
            args << QStringLiteral("-L")
                 << QStringLiteral("module-null-source source_name=%1 description=%1-desc").arg(name);
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("HOME"), m_dir.path());
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), m_dir.path());
        // Off the session bus: servers of parallel tests would fight over their bus name.
        env.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), QStringLiteral("disabled:"));
        env.remove(QStringLiteral("DISPLAY"));
        m_daemon.setProcessEnvironment(env);
        m_daemon.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        m_daemon.start(QStringLiteral("pulseaudio"), args);
        // The socket opens before the sources are in: up once the first source can be made the default.
        const QStringList ready = m_sources.isEmpty() ? QStringList{QStringLiteral("info")}
                                                      : QStringList{QStringLiteral("set-default-source"), m_sources.first()};
        return QTest::qWaitFor([&] { return QFileInfo::exists(socket()) && pactl(ready); }, 5000);
    }
    void stop()
    {
        m_daemon.kill();
        m_daemon.waitForFinished(3000);
        QFile::remove(socket());
    }
    static bool pactl(const QStringList &args) { return run(args).has_value(); }
    static QString mute(const QString &source)
    {
        return run({QStringLiteral("get-source-mute"), source}).value_or(QString());
    }
    // Standard output when pactl succeeded.
    static std::optional<QString> run(const QStringList &args)
    {
        QProcess p;
        p.start(QStringLiteral("pactl"), args);
        if (!p.waitForFinished(3000) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0)
            return std::nullopt;
        return QString::fromUtf8(p.readAllStandardOutput()).trimmed();
    }

private:
    QTemporaryDir m_dir;
    QStringList m_sources;
    QProcess m_daemon;
};
