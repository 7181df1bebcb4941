#include "models/BrimQRModel.h"
#include "platform/BrimQR.h"
#include "shell/BrimQRView.h"
#include "shell/QFileDialogPanels.h"
#include "tests/shell/ShellFixture.h"
#include "tests/support/FakeClipboard.h"
#include "tests/support/FakeFilePanels.h"
#include "tests/support/QRSamples.h"

#include <QDesktopServices>
#include <QFileDialog>
#include <QMessageBox>
#include <QTimer>
#include <QTemporaryDir>
#include <QPlainTextEdit>
#include <QTest>
#include <QTextEdit>

namespace {

// Receives the links something asked the desktop to open.
struct LinkCatcher : QObject {
    Q_OBJECT
public:
    QList<QUrl> opened;
public Q_SLOTS:
    void open(const QUrl &url) { opened << url; }
};

struct QRView : ::testing::Test {
    std::shared_ptr<FakeClipboard> clipboard = std::make_shared<FakeClipboard>();
    BrimQRModel model{{clipboard, std::make_shared<FakeFilePanels>(), std::make_shared<SystemBrimQRCodec>()}};
    BrimQRView view{model};

    QRView()
    {
        view.setFixedWidth(330); // the panel's detail pane
        view.show();
    }
    QAbstractButton *button(const QString &text) { return ShellFixture::button(view, text); }
    void type(const QString &text) { view.findChild<QPlainTextEdit *>()->setPlainText(text); }
    // Kept in the build folder for a look at the layout.
    void shoot(const char *name)
    {
        QCoreApplication::processEvents();
        view.resize(330, view.heightForWidth(330));
        view.grab().save(QStringLiteral("qr-view-%1.png").arg(QLatin1String(name)));
    }
};

} // namespace

TEST_F(QRView, CountsBytesAndOffersGenerationWithinTheLimit)
{
    shoot("empty");
    const struct { QString text; QString counter; bool enabled; } cases[] = {
        {QString(), QStringLiteral("0/2,000 bytes"), false},
        {QStringLiteral("é"), QStringLiteral("2/2,000 bytes"), true},
        {QString(2000, u'a'), {}, true}, {QString(1000, u'é') + u'a', {}, false},
    };
    for (const auto &c : cases) {
        type(c.text);
        EXPECT_TRUE(c.counter.isEmpty() || ShellFixture::visibleTexts(view).contains(c.counter)) << c.text.size();
        EXPECT_EQ(button(QStringLiteral("Generate QR code"))->isEnabled(), c.enabled) << c.text.size();
    }
    type(QStringLiteral("https://example.com/"));
    button(QStringLiteral("Generate QR code"))->click();
    EXPECT_TRUE(button(QStringLiteral("Save PNG…")));
    shoot("generated");
    type(QStringLiteral("edited"));
    EXPECT_FALSE(button(QStringLiteral("Save PNG…")));
}

TEST_F(QRView, DecodedTextsAreShownAndCopiedButNeverOpened)
{
    const QString link = QStringLiteral("https://example.com/") + QString(1200, u'x');
    LinkCatcher catcher;
    QDesktopServices::setUrlHandler(QStringLiteral("https"), &catcher, "open");
    clipboard->image = encodedImage(qrSample(link));
    button(QStringLiteral("Paste image"))->click();
    EXPECT_TRUE(ShellFixture::visibleTexts(view).contains(QStringLiteral("Reading QR codes…")));
    shoot("reading");
    ASSERT_TRUE(QTest::qWaitFor([&] { return !model.busy(); }, 20'000));
    clipboard->image.reset();
    button(QStringLiteral("Paste image"))->click(); // leaves a message under the texts
    QCoreApplication::processEvents(); // new rows show from the event loop
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
    EXPECT_EQ(clipboard->plain, link);

    // Nothing reaches past the narrow pane.
    EXPECT_LE(view.minimumSizeHint().width(), 330);
    for (auto *child : view.findChildren<QWidget *>()) {
        EXPECT_TRUE(!child->isVisibleTo(&view) || child->mapTo(&view, QPoint(child->width(), 0)).x() <= 330)
            << child->metaObject()->className();
    }
}

TEST(QFileDialogPanelsTest, OnePanelAtATimeAndTheDialogNamesTheFileItAsksAbout)
{
    QFileDialogPanels panels;
    QTemporaryDir dir;
    std::optional<QString> chosen;
    const auto save = [&](const char *typed) {
        chosen.reset();
        panels.askSavePNG(QStringLiteral("QR-Code.png"), [&](std::optional<QString> path) { chosen = path; });
        panels.current()->selectFile(dir.filePath(QString::fromUtf8(typed)));
        QMetaObject::invokeMethod(panels.current(), &QDialog::accept);
    };
    panels.askSavePNG(QStringLiteral("QR-Code.png"), [](std::optional<QString>) {});
    QFileDialog *dialog = panels.current();
    ASSERT_TRUE(dialog && dialog->selectedFiles().value(0).endsWith(QStringLiteral("/QR-Code.png")));
    panels.askImage(QStringLiteral("Read QR Code"), [](std::optional<QString>) { ADD_FAILURE(); });
    EXPECT_EQ(panels.current(), dialog);
    dialog->reject();
    // The name the user confirmed, with a suffix only where none was typed.
    for (const auto &[typed, saved] : {std::pair{"shot.jpg", "shot.jpg"}, std::pair{"shot", "shot.png"}}) {
        save(typed);
        EXPECT_EQ(chosen, dir.filePath(QString::fromUtf8(saved))) << typed;
    }
    // Replacing a file is asked about under its real name, and "No" keeps it.
    QFile existing(dir.filePath(QStringLiteral("old.png")));
    ASSERT_TRUE(existing.open(QIODevice::WriteOnly));
    QString question;
    QTimer::singleShot(0, [&] {
        auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
        question = box ? box->text() : QString();
        box->reject();
    });
    save("old");
    EXPECT_TRUE(question.contains(QStringLiteral("old.png"))) << question.toStdString();
    EXPECT_FALSE(chosen);
}

#include "BrimQRViewTests.moc"
