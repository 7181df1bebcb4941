#include "platform/BrimQR.h"
#include "platform/PngImage.h"
#include "shell/BrimkitStyle.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QFile>
#include <QStyleFactory>
#include <QStyleOption>

#include <memory>

namespace {

bool imagePluginsLoaded()
{
    QFile maps(QStringLiteral("/proc/self/maps"));
    return maps.open(QIODevice::ReadOnly) && maps.readAll().contains("/imageformats/");
}

QList<QImage> clearSymbols(const QStyle &style)
{
    QList<QImage> images;
    for (const Qt::LayoutDirection direction : {Qt::LeftToRight, Qt::RightToLeft}) {
        QStyleOption option;
        option.direction = direction;
        const QIcon icon = style.standardIcon(QStyle::SP_LineEditClearButton, &option);
        for (const qreal ratio : {1.0, 2.0})
            images << icon.pixmap(QSize(16, 16), ratio).toImage();
    }
    return images;
}

} // namespace

// What the panel draws leaves the image-format plugins unloaded: loaded, they
// stay mapped for good. A program of its own, so no other test has loaded them
// first; the tests run in the order written.

TEST(ImagePlugins, QRCodeIsWrittenAndShownWithoutThem)
{
    const QImage shown = PngImage::fromData(BrimQR::png(QStringLiteral("https://example.org")).value());
    EXPECT_FALSE(shown.isNull());
    EXPECT_FALSE(imagePluginsLoaded());
}

// A field's clear symbol is exactly the style's own.
TEST(ImagePlugins, ClearSymbolIsTheStylesOwnDrawnWithoutThem)
{
    const QString key = QApplication::style()->name();
    const BrimkitStyle ours(key);
    const QList<QImage> drawn = clearSymbols(ours);
    EXPECT_FALSE(imagePluginsLoaded());
    const std::unique_ptr<QStyle> plain(QStyleFactory::create(key));
    ASSERT_TRUE(plain);
    EXPECT_FALSE(drawn.first().isNull());
    EXPECT_EQ(drawn, clearSymbols(*plain));
}
