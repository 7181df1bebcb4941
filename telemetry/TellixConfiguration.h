#pragma once
// Where and with which key telemetry is delivered. A value that exists is
// always usable; "not configured" is the absence of one.

#include <QString>
#include <QUrl>
#include <optional>

class TellixConfiguration {
public:
    // Nothing unless the endpoint is an absolute https URL with a host and no
    // user, password, query or fragment, and the key is non-empty without line feeds.
    static std::optional<TellixConfiguration> make(const QString &endpoint, const QString &key);

    const QUrl &endpoint() const { return m_endpoint; }
    const QString &key() const { return m_key; }

    // The endpoint with `path` appended as a path component: any path prefix
    // is kept and exactly one slash separates the two.
    QUrl url(const QString &path) const;

private:
    TellixConfiguration(QUrl endpoint, QString key) : m_endpoint(std::move(endpoint)), m_key(std::move(key)) {}

    QUrl m_endpoint;
    QString m_key;
};
