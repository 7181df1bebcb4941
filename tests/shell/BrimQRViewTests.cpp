#include "models/BrimQRModel.h"
#include "shell/BrimQRView.h"
#include "tests/support/FakeClipboard.h"
#include "tests/support/FakeFilePanels.h"
#include "tests/support/QRSamples.h"

#include <QAbstractButton>
#include <QDesktopServices>
#include <QLabel>
#include <QPlainTextEdit>
#include <QTest>
#include <QTextEdit>
#include <gtest/gtest.h>

namespace {

struct QRView : ::testing::Test {
    std::shared_ptr<FakeClipboard> clipboard = std::make_shared<FakeClipboard>();
    BrimQRModel model{{clipboard, std::make_shared<FakeFilePanels>()}};
    BrimQRView view{model};

    QRView()
    {
        view.setFixedWidth(330);
        view.show();
    }
    QAbstractButton *button(const QString &text)
    {
        for (auto *b : view.findChildren<QAbstractButton *>()) {
            if (b->isVisibleTo(&view) && b->text() == text)
                return b;
        }
        return nullptr;
    }
    QLabel *label(const QString &text)
    {
        for (auto *l : view.findChildren<QLabel *>()) {
            if (l->isVisibleTo(&view) && l->text() == text)
                return l;
        }
        return nullptr;
    }
    void type(const QString &text) { view.findChild<QPlainTextEdit *>()->setPlainText(text); }
    void paste(const QString &text)
    {
        clipboard->image = encodedImage(qrSample(text));
        button(QStringLiteral("Paste image"))->click();
    }
    // Kept in the build folder for a look at the layout.
    void shoot(const char *name)
    {
        view.resize(330, view.heightForWidth(330));
        view.grab().save(QStringLiteral("qr-view-%1.png").arg(QLatin1String(name)));
    }
};

// Receives links that something asked the desktop to open.
struct LinkCatcher : QObject {
    Q_OBJECT
public:
    QList<QUrl> opened;
public Q_SLOTS:
    void open(const QUrl &url) { opened << url; }
};

} // namespace

TEST_F(QRView, CountsBytesAndOffersGenerationWithinTheLimit)
{
    shoot("empty");
    const struct {
        QString text;
        const char *counter;
        bool enabled;
    } cases[] = {
        {QString(), "0/2,000 bytes", false},
        {QStringLiteral("é"), "2/2,000 bytes", true},
        {QString(2000, u'a'), nullptr, true},
        {QString(1000, u'é') + u'a', nullptr, false},
    };
    for (const auto &c : cases) {
        type(c.text);
        EXPECT_TRUE(!c.counter || label(QLatin1String(c.counter))) << c.counter;
        EXPECT_EQ(button(QStringLiteral("Generate QR code"))->isEnabled(), c.enabled) << c.text.size();
    }

    type(QStringLiteral("https://example.com/"));
    button(QStringLiteral("Generate QR code"))->click();
    auto *preview = view.findChild<QLabel *>();
    for (auto *l : view.findChildren<QLabel *>())
        preview = l->accessibleName() == QStringLiteral("Generated QR code preview") ? l : preview;
    EXPECT_TRUE(preview->isVisible() && !preview->pixmap().isNull());
    shoot("generated");
    button(QStringLiteral("Copy image"))->click();
    EXPECT_EQ(clipboard->image, model.png());
    type(QStringLiteral("https://example.com/x"));
    EXPECT_FALSE(preview->isVisible());
    EXPECT_FALSE(button(QStringLiteral("Save PNG…")));
}

TEST_F(QRView, DecodedTextsAreShownAndCopiedButNeverOpened)
{
    const QString link = QStringLiteral("https://example.com/") + QString(1200, u'x');
    LinkCatcher catcher;
    QDesktopServices::setUrlHandler(QStringLiteral("https"), &catcher, "open");
    paste(link);
    EXPECT_TRUE(label(QStringLiteral("Reading QR codes…")));
    shoot("reading");
    ASSERT_TRUE(QTest::qWaitFor([&] { return !model.busy(); }, 20'000));
    clipboard->image.reset();
    button(QStringLiteral("Paste image"))->click(); // leaves a message under the texts
    QTest::qWait(50);
    shoot("decoded");

    QTextEdit *text = view.findChild<QTextEdit *>();
    ASSERT_TRUE(text && text->isVisible());
    EXPECT_EQ(text->toPlainText(), link);
    for (QPoint at : {QPoint(5, 5), text->viewport()->rect().center()}) {
        QTest::mouseClick(text->viewport(), Qt::LeftButton, Qt::ControlModifier, at);
        QTest::mouseDClick(text->viewport(), Qt::LeftButton, {}, at);
    }
    QDesktopServices::unsetUrlHandler(QStringLiteral("https"));
    EXPECT_TRUE(catcher.opened.isEmpty());
    button(QStringLiteral("Copy text"))->click();
    EXPECT_EQ(clipboard->plainText, link);

    // Nothing of the view reaches past the narrow pane it lives in.
    EXPECT_LE(view.minimumSizeHint().width(), 330);
    for (auto *child : view.findChildren<QWidget *>()) {
        EXPECT_TRUE(!child->isVisibleTo(&view) || child->mapTo(&view, QPoint(child->width(), 0)).x() <= 330)
            << child->metaObject()->className();
    }
}

#include "BrimQRViewTests.moc"
