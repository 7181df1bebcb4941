#include "telemetry/TellixConfiguration.h"

std::optional<TellixConfiguration> TellixConfiguration::make(const QString &endpoint, const QString &key)
{
    const QUrl url(endpoint, QUrl::StrictMode);
    if (endpoint.isEmpty() || !url.isValid())
        return std::nullopt;
    // QUrl folds the scheme to lower case; the text itself must already be lower case.
    if (url.scheme() != QLatin1String("https") || !endpoint.startsWith(QLatin1String("https:")))
        return std::nullopt;
    if (url.host().isEmpty())
        return std::nullopt;
    if (!url.userName().isEmpty() || !url.password().isEmpty() || endpoint.section(QLatin1Char('/'), 2, 2).contains(QLatin1Char('@')))
        return std::nullopt;
    if (url.hasQuery() || url.hasFragment())
        return std::nullopt;
    if (key.isEmpty() || key.contains(QLatin1Char('\n')))
        return std::nullopt;
    return TellixConfiguration(url, key);
}

QUrl TellixConfiguration::url(const QString &path) const
{
    QString base = m_endpoint.path(QUrl::FullyEncoded);
    while (base.endsWith(QLatin1Char('/')))
        base.chop(1);
    QString tail = path;
    while (tail.startsWith(QLatin1Char('/')))
        tail.remove(0, 1);
    QUrl result = m_endpoint;
    result.setPath(base + QLatin1Char('/') + tail, QUrl::TolerantMode);
    return result;
}
