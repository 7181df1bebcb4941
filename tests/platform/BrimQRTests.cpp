#include "core/BrimQRRules.h"
#include "platform/BrimQR.h"
#include "tests/support/QRSamples.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

const QString first = QStringLiteral("https://example.com/a?q=é");
const QString second = QStringLiteral("WIFI:S:home;T:WPA;P:secret;;");
const QString imageFailure = BrimQRFailure(BrimQRFailure::image).description();

// The texts in sorted order joined by "|", or the failure's description.
QString outcome(const Result<QStringList, BrimQRFailure> &read)
{
    QStringList texts = read.ok() ? *read : QStringList();
    texts.sort();
    return read.ok() ? texts.join(u'|') : read.error().description();
}

// A white 1 x 1 GIF on a logical screen of the given size.
QByteArray gifOnScreen(quint16 width, quint16 height)
{
    QByteArray gif("GIF89a");
    for (quint16 side : {width, height}) {
        gif += char(side & 0xff);
        gif += char(side >> 8);
    }
    gif += QByteArray::fromHex("800000" "000000ffffff" "2c000000000100010000" "0202440100" "3b");
    return gif;
}

} // namespace

TEST(BrimQR, PayloadIsOneTo2000Utf8Bytes)
{
    const std::pair<QString, bool> cases[] = {
        {QString(), false}, {QString(2000, u'a'), true},
        {QString(667, u'€'), false}, // 2,001 bytes in 667 characters
        {QString(666, u'€') + QStringLiteral("ab"), true},
    };
    for (const auto &[text, fits] : cases) {
        const auto png = BrimQR::png(text);
        EXPECT_EQ(png.ok() ? QString() : png.error().description(),
                  fits ? QString() : QStringLiteral("Enter text up to 2,000 UTF-8 bytes."));
    }
}

TEST(BrimQR, GeneratedCodeHasItsQuietZoneAndReadsBack)
{
    const QString texts[] = {QStringLiteral("a"), first, QStringLiteral("two\nlines, a NUL") + QChar(0) + u'.',
                             QString(2000, u'7')};
    for (const QString &text : texts) {
        const QByteArray png = BrimQR::png(text).value();
        const QImage image = QImage::fromData(png, "PNG").convertToFormat(QImage::Format_RGB32);
        const int side = image.width();
        ASSERT_EQ(side, image.height());
        EXPECT_EQ(side % 8, 0);
        // Only white outside the 32-pixel margin.
        QImage framed(image.size(), QImage::Format_RGB32);
        framed.fill(Qt::white);
        QPainter(&framed).drawImage(32, 32, image.copy(32, 32, side - 64, side - 64));
        EXPECT_EQ(framed, image);
        // The symbol starts right after the margin: its top-left finder corner.
        EXPECT_EQ(image.pixel(32, 32), qRgb(0, 0, 0));
        EXPECT_EQ(outcome(BrimQR::read(png)), text);
    }
}

TEST(BrimQR, ReadsEveryCodeOnceWithinTheLimits)
{
    const QByteArray codePNG = BrimQR::png(first).value();
    QByteArray padded = codePNG; // decoders ignore bytes after the PNG's end
    padded.resize(30'000'000, '\0');
    QImage code = qrSample(first).convertToFormat(QImage::Format_ARGB32);
    code.setAlphaChannel(code.convertToFormat(QImage::Format_Grayscale8).createMaskFromColor(qRgb(0, 0, 0)));

    const struct { const char *name; QByteArray data; QString outcome; } cases[] = {
        {"same code twice", encodedImage(qrCanvas({1000, 500}, {{first, {20, 20}}, {first, {520, 20}}})), first},
        {"two codes, one of them twice",
         encodedImage(qrCanvas({1000, 1000}, {{first, {20, 20}}, {second, {520, 20}}, {first, {20, 520}}})),
         second + u'|' + first},
        {"code on transparency", encodedImage(code), first},
        {"TIFF, as the clipboard may hold it", encodedImage(qrSample(first), "TIFF"), first},
        {"30,000,000 bytes", padded, first},
        {"30,000,001 bytes", padded + '\0', imageFailure},
        // In colour: 160 MB decoded, over Qt's default allocation limit.
        {"10,000 x 4,000", encodedImage(qrCanvas({10'000, 4'000}, {{first, {4'000, 1'000}}}).convertToFormat(QImage::Format_RGB32), "PNG", 80), first},
        {"10,000 x 4,001", encodedImage(qrCanvas({10'000, 4'001}, {{first, {4'000, 1'000}}}), "JPEG"), imageFailure},
        {"no code", encodedImage(qrCanvas({300, 200}, {}), "JPEG"),
         QStringLiteral("No readable QR code was found in this image.")},
        // Too small for the quick look at a quarter of the size; the larger look finds it.
        {"small code in a large photo", encodedImage(qrCanvas({4800, 2400}, {{second, {3000, 1500}}}), "JPEG", 90), second},
        // Qt reports a GIF's first frame but decodes its whole logical screen.
        {"1 x 1 GIF frame on a 10,000 x 4,001 screen", gifOnScreen(10'000, 4'001), imageFailure},
        {"not an image", codePNG.mid(200), imageFailure},
        {"nothing", QByteArray(), imageFailure},
    };
    for (const auto &c : cases)
        EXPECT_EQ(outcome(BrimQR::read(c.data)), c.outcome) << c.name;
}

TEST(BrimQRRules, ALargeImageIsLookedAtSmallFirstAtAFractionAJpegDecodesDirectly)
{
    const std::pair<QSize, QSize> cases[] = {
        {{8000, 5000}, {2000, 1250}}, {{10'000, 4'000}, {1250, 500}}, {{4096, 3072}, {2048, 1536}},
        {{2400, 1800}, {1200, 900}}, {{2399, 1800}, {}}, {{100, 8000}, {25, 2000}}};
    for (const auto &[size, quick] : cases)
        EXPECT_EQ(BrimQRRules::quickDetectionSize(size), quick) << size.width() << "x" << size.height();
}

TEST(BrimQR, FilesAreMeasuredBeforeTheyAreRead)
{
    QTemporaryDir dir;
    const QString big = dir.filePath(QStringLiteral("big.png"));
    QFile file(big);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly) && file.write(BrimQR::png(first).value()) > 0);
    ASSERT_TRUE(file.resize(30'000'000));
    file.close();
    EXPECT_EQ(outcome(BrimQR::readFile(big)), first);
    ASSERT_TRUE(QFile::resize(big, 30'000'001));
    EXPECT_EQ(outcome(BrimQR::readFile(big)), imageFailure);
    EXPECT_EQ(outcome(BrimQR::readFile(dir.path())), imageFailure);
    EXPECT_EQ(outcome(BrimQR::readFile(dir.filePath(QStringLiteral("gone.png")))),
              QStringLiteral("No such file or directory"));
}
