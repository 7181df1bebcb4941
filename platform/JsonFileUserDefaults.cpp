#include "platform/JsonFileUserDefaults.h"

#include "core/AtomicFile.h"
#include "platform/PlatformLogging.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonParseError>

JsonFileUserDefaults::JsonFileUserDefaults(QString path)
    : m_path(std::move(path))
{
    load();
}

void JsonFileUserDefaults::load()
{
    QFile file(m_path);
    if (!file.exists())
        return;
    if (!file.open(QIODevice::ReadOnly)) {
        // Unreadable but present: keep it exactly as it is.
        m_readOnly = true;
        m_writeError = file.errorString();
        qCWarning(lcPlatform) << "Settings not saved this run: cannot read" << m_path << *m_writeError;
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
        m_writeError = QStringLiteral("%1 is unreadable and could not be moved aside").arg(m_path);
        qCWarning(lcPlatform) << "Settings not saved this run:" << *m_writeError;
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
    save();
}

void JsonFileUserDefaults::remove(const QString &key)
{
    if (!m_values.contains(key))
        return;
    m_values.remove(key);
    save();
}

void JsonFileUserDefaults::save()
{
    if (m_readOnly)
        return;
    if (!QDir().mkpath(QFileInfo(m_path).absolutePath())) {
        m_writeError = QStringLiteral("Cannot create the folder of %1").arg(m_path);
        qCWarning(lcPlatform) << "Settings not saved:" << *m_writeError;
        return;
    }
    const auto written = writeFileAtomically(m_path, QJsonDocument(m_values).toJson(QJsonDocument::Indented));
    if (written) {
        m_writeError.reset();
    } else {
        m_writeError = written.error();
        qCWarning(lcPlatform) << "Settings not saved:" << *m_writeError;
    }
}
