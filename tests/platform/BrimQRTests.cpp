#include "platform/BrimQR.h"
#include "tests/support/QRSamples.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

const QString first = QStringLiteral("https://example.com/a?q=é");
const QString second = QStringLiteral("WIFI:S:home;T:WPA;P:secret;;");

QStringList sorted(QStringList texts)
{
    texts.sort();
    return texts;
}

} // namespace

TEST(BrimQR, PayloadIsOneTo2000Utf8Bytes)
{
    const struct {
        QString text;
        bool fits;
    } cases[] = {
        {QString(), false},
        {QString(2000, u'a'), true},
        {QString(667, u'€'), false}, // 2,001 bytes in 667 characters
        {QString(666, u'€') + QStringLiteral("ab"), true},
        {QString(1000, u'é') + u'a', false},
    };
    for (const auto &c : cases) {
        const auto png = BrimQR::png(c.text);
        EXPECT_EQ(png.ok(), c.fits) << c.text.size();
        if (!c.fits) {
            EXPECT_EQ(png.error().description(), QStringLiteral("Enter text up to 2,000 UTF-8 bytes."));
        }
    }
}

TEST(BrimQR, GeneratedCodeHasItsQuietZoneAndReadsBack)
{
    const QString texts[] = {QStringLiteral("a"), first, QStringLiteral("two\nlines, a NUL") + QChar(0) + u'.',
                             QString(2000, u'7')};
    for (const QString &text : texts) {
        const auto png = BrimQR::png(text);
        ASSERT_TRUE(png.ok());
        const QImage image = QImage::fromData(*png, "PNG").convertToFormat(QImage::Format_RGB32);
        ASSERT_EQ(image.width(), image.height());
        EXPECT_EQ(image.width() % 8, 0);
        const int side = image.width();
        bool marginWhite = true;
        for (int i = 0; i < 32; ++i) {
            for (int j = 0; j < side; ++j) {
                for (QPoint p : {QPoint(i, j), QPoint(side - 1 - i, j), QPoint(j, i), QPoint(j, side - 1 - i)})
                    marginWhite &= image.pixel(p) == qRgb(255, 255, 255);
            }
        }
        EXPECT_TRUE(marginWhite);
        // The symbol starts right after the margin: its top-left finder corner.
        EXPECT_EQ(image.pixel(32, 32), qRgb(0, 0, 0));
        const auto read = BrimQR::read(*png);
        ASSERT_TRUE(read.ok()) << read.error().description().toStdString();
        EXPECT_EQ(*read, QStringList{text});
    }
}

TEST(BrimQR, ReadsEveryCodeOfAnImageOnce)
{
    const struct {
        std::vector<std::pair<QString, QPoint>> codes;
        QStringList texts;
    } cases[] = {
        {{{first, {20, 20}}, {first, {520, 20}}}, {first}},
        {{{first, {20, 20}}, {second, {520, 20}}}, {first, second}},
        {{{first, {20, 20}}, {second, {520, 20}}, {first, {20, 520}}}, {first, second}},
    };
    for (const auto &c : cases) {
        const auto read = BrimQR::read(encodedImage(qrCanvas({1000, 1000}, c.codes)));
        ASSERT_TRUE(read.ok());
        EXPECT_EQ(sorted(*read), sorted(c.texts));
    }
}

TEST(BrimQR, ImagesBeyondTheLimitsOrWithoutCodesFail)
{
    const QByteArray codePNG = BrimQR::png(first).value();
    QByteArray padded = codePNG; // bytes after the PNG's end are ignored by decoders
    padded.resize(30'000'000, '\0');
    const QByteArray overLimit = padded + '\0';
    QImage transparent(400, 400, QImage::Format_ARGB32);
    transparent.fill(Qt::transparent);
    QImage code = qrSample(first).convertToFormat(QImage::Format_ARGB32);
    code.setAlphaChannel(code.convertToFormat(QImage::Format_Grayscale8).createMaskFromColor(qRgb(0, 0, 0)));
    QPainter(&transparent).drawImage(0, 0, code);

    const struct {
        const char *name;
        QByteArray data;
        std::optional<BrimQRFailure> failure;
    } cases[] = {
        {"30,000,000 bytes", padded, std::nullopt},
        {"30,000,001 bytes", overLimit, BrimQRFailure::image},
        {"10,000 x 4,000", encodedImage(qrCanvas({10'000, 4'000}, {{first, {4'000, 1'000}}}), "JPEG"), std::nullopt},
        {"10,000 x 4,001", encodedImage(qrCanvas({10'000, 4'001}, {{first, {4'000, 1'000}}}), "JPEG"), BrimQRFailure::image},
        {"code on transparency", encodedImage(transparent), std::nullopt},
        {"no code", encodedImage(qrCanvas({300, 200}, {}), "JPEG"), BrimQRFailure::noCode},
        {"not an image", codePNG.mid(200), BrimQRFailure::image},
        {"nothing", QByteArray(), BrimQRFailure::image},
    };
    for (const auto &c : cases) {
        const auto read = BrimQR::read(c.data);
        if (c.failure)
            EXPECT_EQ(read.ok() ? std::nullopt : std::optional(read.error()), c.failure) << c.name;
        else
            EXPECT_EQ(read.ok() ? *read : QStringList(read.error().description()), QStringList{first}) << c.name;
    }
}

TEST(BrimQR, FilesAreMeasuredBeforeTheyAreRead)
{
    QTemporaryDir dir;
    const QString big = dir.filePath(QStringLiteral("big.png"));
    QFile file(big);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly) && file.write(BrimQR::png(first).value()) > 0);
    ASSERT_TRUE(file.resize(30'000'000));
    file.close();
    EXPECT_EQ(BrimQR::readFile(big).value(), QStringList{first});
    ASSERT_TRUE(QFile::resize(big, 30'000'001));
    EXPECT_EQ(BrimQR::readFile(big).error(), BrimQRFailure::image);

    EXPECT_EQ(BrimQR::readFile(dir.path()).error(), BrimQRFailure::image);
    const auto missing = BrimQR::readFile(dir.filePath(QStringLiteral("missing.png")));
    ASSERT_FALSE(missing.ok());
    EXPECT_EQ(missing.error().kind(), BrimQRFailure::system);
    EXPECT_FALSE(missing.error().description().isEmpty());
}
