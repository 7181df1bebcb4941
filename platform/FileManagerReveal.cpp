#include "platform/FileManagerReveal.h"

#include "platform/PlatformLogging.h"

#include <QCoro/QCoroDBus>
#include <QDBusMessage>
#include <QDBusPendingCall>
#include <QDesktopServices>
#include <QFileInfo>

namespace {

// The file need not exist; show the closest folder that does.
QString existingFolderOf(const QString &filePath)
{
    QString folder = QFileInfo(filePath).absolutePath();
    while (!QFileInfo(folder).isDir() && folder != QLatin1String("/"))
        folder = QFileInfo(folder).absolutePath();
    return folder;
}

} // namespace

FileManagerReveal::FileManagerReveal(QDBusConnection bus, FolderOpener openFolder, int timeoutMs)
    : m_bus(std::move(bus))
    , m_openFolder(openFolder ? std::move(openFolder) : FolderOpener(&QDesktopServices::openUrl))
    , m_timeoutMs(timeoutMs)
{
}

void FileManagerReveal::reveal(const QString &filePath)
{
    // Runs on by itself; it holds copies of everything it needs.
    show(filePath);
}

QCoro::Task<bool> FileManagerReveal::show(QString filePath)
{
    // Copies, so the task does not need this object once it has waited.
    const QDBusConnection bus = m_bus;
    const FolderOpener openFolder = m_openFolder;
    const QString absolute = QFileInfo(filePath).absoluteFilePath();

    QDBusMessage call = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.FileManager1"), QStringLiteral("/org/freedesktop/FileManager1"),
        QStringLiteral("org.freedesktop.FileManager1"), QStringLiteral("ShowItems"));
    call << QStringList{QUrl::fromLocalFile(absolute).toString(QUrl::FullyEncoded)} << QString();
    const QDBusPendingCall pending = bus.asyncCall(call, m_timeoutMs);
    const QDBusMessage reply = co_await pending;
    if (reply.type() == QDBusMessage::ReplyMessage)
        co_return true;

    qCWarning(lcPlatform) << "no file manager showed" << absolute << reply.errorName() << reply.errorMessage();
    const QString folder = existingFolderOf(absolute);
    if (!openFolder(QUrl::fromLocalFile(folder)))
        qCWarning(lcPlatform) << "cannot open the folder" << folder;
    co_return false;
}
