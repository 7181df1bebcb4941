#pragma once
// Reveals a file through org.freedesktop.FileManager1.ShowItems; when no file
// manager answers (none on the bus, an error, no answer in time), the
// containing folder, or its nearest existing parent, is opened with the
// desktop's default handler instead.

#include "models/BrimFileReveal.h"

#include <QCoro/QCoroTask>
#include <QDBusConnection>
#include <QUrl>

#include <functional>

class FileManagerReveal final : public BrimFileReveal {
public:
    using FolderOpener = std::function<bool(const QUrl &)>;

    static constexpr int defaultTimeoutMs = 5000;

    // openFolder defaults to QDesktopServices::openUrl.
    explicit FileManagerReveal(QDBusConnection bus, FolderOpener openFolder = {}, int timeoutMs = defaultTimeoutMs);

    void reveal(const QString &filePath) override;
    // True when the file manager showed the file, false when the folder
    // was opened instead (or nothing could be).
    QCoro::Task<bool> show(QString filePath);

private:
    QDBusConnection m_bus;
    FolderOpener m_openFolder;
    int m_timeoutMs;
};
