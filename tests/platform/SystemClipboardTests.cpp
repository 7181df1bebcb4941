#include "platform/SystemClipboard.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>
#include <gtest/gtest.h>

TEST(SystemClipboard, EachWriteLeavesOneItemAndImagesPreferPNG)
{
    SystemClipboard clipboard;
    const QByteArray png("\x89PNG data"), tiff("II*\0 data");
    clipboard.setText("plain");
    clipboard.setPNG(png);
    EXPECT_EQ(clipboard.text(), std::nullopt);
    EXPECT_EQ(clipboard.imageData(), png);
    EXPECT_EQ(QGuiApplication::clipboard()->mimeData()->formats(), QStringList{"image/png"});
    clipboard.setText("plain");
    EXPECT_EQ(clipboard.text(), "plain");
    EXPECT_EQ(clipboard.imageData(), std::nullopt);

    // What another application may offer.
    struct Row { QStringList formats; std::optional<QByteArray> image; };
    const Row rows[] = {
        {{"image/tiff", "image/png"}, png}, {{"image/tiff"}, tiff}, {{"image/jpeg", "text/html"}, std::nullopt},
    };
    for (const Row &row : rows) {
        auto *offer = new QMimeData;
        for (const QString &format : row.formats)
            offer->setData(format, format == "image/tiff" ? tiff : format == "image/png" ? png : QByteArray("x"));
        QGuiApplication::clipboard()->setMimeData(offer);
        EXPECT_EQ(clipboard.imageData(), row.image) << row.formats.join(' ').toStdString();
        EXPECT_EQ(clipboard.text(), std::nullopt);
    }
}
