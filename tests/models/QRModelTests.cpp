#include "models/BrimQRModel.h"
#include "platform/BrimQR.h"
#include "tests/support/FakeClipboard.h"
#include "tests/support/FakeFilePanels.h"
#include "tests/support/QRSamples.h"

#include <QTemporaryDir>
#include <QTest>
#include <QThreadPool>
#include <gtest/gtest.h>

namespace {

struct QRModel : ::testing::Test {
    std::shared_ptr<FakeClipboard> clipboard = std::make_shared<FakeClipboard>();
    std::shared_ptr<FakeFilePanels> panels = std::make_shared<FakeFilePanels>();
    std::shared_ptr<const BrimQRCodec> codec = std::make_shared<SystemBrimQRCodec>();
    std::unique_ptr<BrimQRModel> model = std::make_unique<BrimQRModel>(BrimQRModel::Environment{clipboard, panels, codec});
    QTemporaryDir dir;

    bool settled() { return QTest::qWaitFor([&] { return !model->busy(); }, 20'000); }
    QString file(const QString &name, const QByteArray &contents)
    {
        QFile f(dir.filePath(name));
        return f.open(QIODevice::WriteOnly) && f.write(contents) == contents.size() ? f.fileName() : QString();
    }
};

} // namespace

TEST_F(QRModel, GeneratesUntilTheInputChanges)
{
    model->setInput(QString());
    model->generate();
    EXPECT_EQ(model->error(), QStringLiteral("Enter text up to 2,000 UTF-8 bytes."));
    model->setInput(QStringLiteral("hello"));
    EXPECT_FALSE(model->error());
    model->generate();
    ASSERT_TRUE(model->png());
    model->copyImage();
    EXPECT_EQ(clipboard->image, model->png());
    model->setInput(QStringLiteral("hello!"));
    EXPECT_FALSE(model->png());
}

TEST_F(QRModel, OneReadAtATime)
{
    clipboard->image = encodedImage(qrSample(QStringLiteral("first")));
    model->pasteImage();
    EXPECT_TRUE(model->busy());
    // Neither another paste (even of nothing) nor the open panel starts anything.
    clipboard->image = encodedImage(qrSample(QStringLiteral("second")));
    model->pasteImage();
    clipboard->image.reset();
    model->pasteImage();
    model->chooseImage();
    EXPECT_TRUE(panels->asked.isEmpty());
    EXPECT_FALSE(model->error());
    ASSERT_TRUE(settled());
    EXPECT_EQ(model->decoded(), QStringList{QStringLiteral("first")});

    // Nothing to paste: a message, and the last texts stay.
    model->pasteImage();
    EXPECT_EQ(model->error(), QStringLiteral("Copy an image first, then choose Paste image."));
    EXPECT_EQ(model->decoded(), QStringList{QStringLiteral("first")});
}

TEST_F(QRModel, ChosenFilesAreReadOrExplained)
{
    const struct { QString path; QStringList decoded; std::optional<QString> error; } cases[] = {
        {file(QStringLiteral("code.png"), encodedImage(qrSample(QStringLiteral("on disk")))), {QStringLiteral("on disk")}, {}},
        {file(QStringLiteral("huge.png"), QByteArray(30'000'001, '\0')), {}, BrimQRFailure(BrimQRFailure::image).description()},
        {dir.filePath(QStringLiteral("gone.png")), {}, QStringLiteral("No such file or directory")},
    };
    for (const auto &c : cases) {
        model->chooseImage();
        EXPECT_EQ(panels->asked.last(), QStringLiteral("Read QR Code"));
        panels->answer(c.path);
        ASSERT_TRUE(settled());
        EXPECT_EQ(model->decoded(), c.decoded) << c.path.toStdString();
        EXPECT_EQ(model->error(), c.error) << c.path.toStdString();
    }
}

TEST_F(QRModel, SavesTheImageShownWhenAsked)
{
    model->setInput(QStringLiteral("saved"));
    model->generate();
    const QByteArray png = *model->png();
    model->save();
    EXPECT_EQ(panels->asked, QStringList{QStringLiteral("QR-Code.png")});
    model->setInput(QStringLiteral("edited meanwhile"));
    panels->answer(dir.filePath(QStringLiteral("QR-Code.png")));
    QFile saved(dir.filePath(QStringLiteral("QR-Code.png")));
    EXPECT_TRUE(saved.open(QIODevice::ReadOnly) && saved.readAll() == png);
    EXPECT_FALSE(model->error());

    model->generate();
    model->save();
    panels->answer(dir.filePath(QStringLiteral("no-such-folder/QR-Code.png")));
    EXPECT_EQ(model->error(), QStringLiteral("No such file or directory"));
}

TEST_F(QRModel, AModelGoneMeanwhileIsLeftAlone)
{
    clipboard->image = encodedImage(qrSample(QStringLiteral("late")));
    model->pasteImage();
    model.reset();
    QThreadPool::globalInstance()->waitForDone();
    QCoreApplication::processEvents();

    model = std::make_unique<BrimQRModel>(BrimQRModel::Environment{clipboard, panels, codec});
    model->chooseImage();
    model.reset();
    panels->answer(file(QStringLiteral("late.png"), *clipboard->image));
    QThreadPool::globalInstance()->waitForDone();
    QCoreApplication::processEvents();
}
