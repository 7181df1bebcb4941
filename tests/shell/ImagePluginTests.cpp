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

// Left to right and right to left.
QList<QImage> clearSymbols(const QStyle &style)
{
    QStyleOption option;
    const QImage left = style.standardIcon(QStyle::SP_LineEditClearButton, &option).pixmap(16).toImage();
    option.direction = Qt::RightToLeft;
    return {left, style.standardIcon(QStyle::SP_LineEditClearButton, &option).pixmap(16).toImage()};
}

} // namespace

// What the panel draws leaves the image-format plugins unloaded: loaded, they
// stay mapped for good. A program of its own, so no other test has loaded them
// first; the tests run in the order written.
TEST(ImagePlugins, QRCodeIsWrittenAndShownWithoutThem)
{
    EXPECT_FALSE(PngImage::fromData(BrimQR::png(QStringLiteral("https://example.org")).value()).isNull());
    EXPECT_FALSE(imagePluginsLoaded());
}

// A field's clear symbol is exactly the style's own.
TEST(ImagePlugins, ClearSymbolIsTheStylesOwnDrawnWithoutThem)
{
    const QString key = QApplication::style()->name();
    const QList<QImage> drawn = clearSymbols(BrimkitStyle(key));
    EXPECT_FALSE(imagePluginsLoaded());
    const std::unique_ptr<QStyle> plain(QStyleFactory::create(key));
    EXPECT_FALSE(drawn.first().isNull());
    EXPECT_EQ(drawn, clearSymbols(*plain));
}
