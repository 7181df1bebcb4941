#pragma once
// Describes the running application and machine; travels with every usage
// event and feedback report.

#include "telemetry/AppBundle.h"

#include <QMap>
#include <QString>
#include <QStringView>

class AppSignalContext {
public:
    AppSignalContext(QString app, QString release, QString os, QString architecture, QString memoryClass);

    // Built once at start-up from the bundle, the kernel and the physical memory.
    static AppSignalContext live(const AppBundle &bundle);

    const QString &app() const { return m_app; }
    const QString &release() const { return m_release; }
    const QString &os() const { return m_os; }
    const QString &architecture() const { return m_architecture; }
    const QString &memoryClass() const { return m_memoryClass; }
    // "os", "architecture" and "memory_class".
    QMap<QString, QString> metadata() const;

    // Identifier, or "ostrel"; version "+" build, each "0" when missing.
    static QString appFrom(const AppBundle &bundle);
    static QString releaseFrom(const AppBundle &bundle);
    // Whole gibibytes rounded down, then bucketed.
    static QString memoryClassFor(quint64 physicalBytes);
    // "6.1.0-18-amd64" gives "6.1.0"; numeric parts only, missing parts are 0.
    static QString osVersionFromKernelRelease(QStringView release);

    friend bool operator==(const AppSignalContext &, const AppSignalContext &) = default;

private:
    QString m_app;
    QString m_release;
    QString m_os;
    QString m_architecture;
    QString m_memoryClass;
};
