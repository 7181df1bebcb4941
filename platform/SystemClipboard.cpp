#include "platform/SystemClipboard.h"

#include "platform/PlatformLogging.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>

namespace {
const QString pngType = QStringLiteral("image/png");
const QString tiffType = QStringLiteral("image/tiff");

QClipboard *clipboard()
{
    QClipboard *board = qobject_cast<QGuiApplication *>(QCoreApplication::instance())
        ? QGuiApplication::clipboard()
        : nullptr;
    if (!board)
        qCWarning(lcPlatform) << "no clipboard: the application has no GUI";
    return board;
}

void replaceContents(QMimeData *item)
{
    QClipboard *board = clipboard();
    if (!board) {
        delete item;
        return;
    }
    board->clear();
    board->setMimeData(item); // takes ownership
}
} // namespace

std::optional<QString> SystemClipboard::text() const
{
    const QClipboard *board = clipboard();
    const QMimeData *data = board ? board->mimeData() : nullptr;
    if (!data || !data->hasText())
        return std::nullopt;
    return data->text();
}

void SystemClipboard::setText(const QString &text)
{
    auto *item = new QMimeData;
    item->setText(text);
    replaceContents(item);
}

std::optional<QByteArray> SystemClipboard::imageData() const
{
    const QClipboard *board = clipboard();
    const QMimeData *data = board ? board->mimeData() : nullptr;
    if (!data)
        return std::nullopt;
    for (const QString &type : {pngType, tiffType}) {
        if (data->hasFormat(type))
            return data->data(type);
    }
    return std::nullopt;
}

void SystemClipboard::setPNG(const QByteArray &png)
{
    auto *item = new QMimeData;
    item->setData(pngType, png);
    replaceContents(item);
}
