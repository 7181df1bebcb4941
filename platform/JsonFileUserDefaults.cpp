#include "platform/JsonFileUserDefaults.h"

#include "core/AtomicFile.h"
#include "platform/PlatformLogging.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonParseError>
#include <QMutex>
#include <QTimer>

struct JsonFileUserDefaults::Outcome {
    QMutex mutex;
    std::optional<QString> error;
};

namespace {
// Folder, then the file replaced atomically; the failure's description.
std::optional<QString> writeDefaults(const QString &path, const QByteArray &bytes)
{
    if (!QDir().mkpath(QFileInfo(path).absolutePath()))
        return QStringLiteral("Cannot create the folder of %1").arg(path);
    const auto written = writeFileAtomically(path, bytes);
    if (!written)
        return written.error();
    return std::nullopt;
}
} // namespace

JsonFileUserDefaults::JsonFileUserDefaults(QString path)
    : m_path(std::move(path))
    , m_outcome(std::make_shared<Outcome>())
{
    m_writer.setMaxThreadCount(1);
    load();
}

JsonFileUserDefaults::~JsonFileUserDefaults()
{
    flush();
}

void JsonFileUserDefaults::load()
{
    QFile file(m_path);
    if (!file.exists())
        return;
    if (!file.open(QIODevice::ReadOnly)) {
        // Unreadable but present: keep it exactly as it is.
        m_readOnly = true;
        m_outcome->error = file.errorString();
        qCWarning(lcPlatform) << "Settings not saved this run: cannot read" << m_path << *m_outcome->error;
        return;
    }
    const QByteArray bytes = file.readAll();
    file.close();
    QJsonParseError error{};
    const QJsonDocument document = QJsonDocument::fromJson(bytes, &error);
    if (error.error == QJsonParseError::NoError && document.isObject()) {
        m_values = document.object();
        return;
    }
    const QString stem = m_path + QStringLiteral(".unreadable-")
        + QDateTime::currentDateTimeUtc().toString(QStringLiteral("yyyyMMdd'T'HHmmss'Z'"));
    QString aside = stem;
    for (int n = 2; QFile::exists(aside); ++n)
        aside = stem + QLatin1Char('-') + QString::number(n);
    if (QFile::rename(m_path, aside)) {
        qCWarning(lcPlatform) << "Unreadable settings file moved aside to" << aside;
        m_setAsidePath = aside;
    } else {
        m_readOnly = true;
        const QString reason = QStringLiteral("%1 is unreadable and could not be moved aside").arg(m_path);
        qCWarning(lcPlatform) << "Settings not saved this run:" << reason;
        const QMutexLocker lock(&m_outcome->mutex);
        m_outcome->error = reason;
    }
}

std::optional<QJsonValue> JsonFileUserDefaults::object(const QString &key) const
{
    const auto it = m_values.constFind(key);
    if (it == m_values.constEnd())
        return std::nullopt;
    return *it;
}

void JsonFileUserDefaults::set(const QString &key, const QJsonValue &value)
{
    m_values.insert(key, value);
    changed();
}

void JsonFileUserDefaults::remove(const QString &key)
{
    if (!m_values.contains(key))
        return;
    m_values.remove(key);
    changed();
}

std::optional<QString> JsonFileUserDefaults::writeError() const
{
    const QMutexLocker lock(&m_outcome->mutex);
    return m_outcome->error;
}

void JsonFileUserDefaults::changed()
{
    if (m_readOnly || m_writePending)
        return;
    m_writePending = true;
    // Once the turn's other changes are in.
    QTimer::singleShot(0, &m_turn, [this] { startWrite(false); });
}

void JsonFileUserDefaults::startWrite(bool here)
{
    if (!m_writePending)
        return;
    m_writePending = false;
    auto write = [path = m_path, bytes = QJsonDocument(m_values).toJson(QJsonDocument::Indented), outcome = m_outcome] {
        std::optional<QString> error = writeDefaults(path, bytes);
        if (error)
            qCWarning(lcPlatform) << "Settings not saved:" << *error;
        const QMutexLocker lock(&outcome->mutex);
        outcome->error = std::move(error);
    };
    if (here)
        write();
    else
        m_writer.start(std::move(write));
}

void JsonFileUserDefaults::flush()
{
    // The caller waits for the file either way, so a store that is only
    // flushed never starts a thread.
    m_writer.waitForDone();
    startWrite(true);
}
