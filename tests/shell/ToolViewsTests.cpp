#include "models/BrimColorModel.h"
#include "models/BrimQRModel.h"
#include "models/BrimTextModel.h"
#include "shell/BrimColorSwatch.h"
#include "shell/BrimColorsView.h"
#include "shell/BrimPlainTextField.h"
#include "shell/BrimQRView.h"
#include "shell/BrimTextView.h"
#include "tests/shell/ShellFixture.h"
#include "tests/support/FakeClipboard.h"
#include "tests/support/FakeFilePanels.h"

#include <QApplication>
#include <QClipboard>

#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTest>

namespace {

// The detail pane the panel embeds these views in.
constexpr int paneWidth = 330;

struct HeldSampler final : BrimColorSampler {
    void pick(Done d) override { done = std::move(d); }
    Done done;
};

struct ToolViews : ::testing::Test {
    std::shared_ptr<FakeClipboard> clipboard = std::make_shared<FakeClipboard>();
    std::shared_ptr<MemoryUserDefaults> defaults = std::make_shared<MemoryUserDefaults>();
    std::shared_ptr<HeldSampler> sampler = std::make_shared<HeldSampler>();

    // Lays the view out in the pane and keeps a picture of it for review.
    static void show(QWidget &view, const char *state)
    {
        view.resize(paneWidth, view.heightForWidth(paneWidth));
        view.show();
        QCoreApplication::processEvents();
        view.resize(paneWidth, view.heightForWidth(paneWidth));
        EXPECT_LE(view.minimumSizeHint().width(), paneWidth) << state;
        view.grab().save(QStringLiteral("tool-view-%1.png").arg(QLatin1String(state)));
    }
    static bool shows(QWidget &view, const QString &text) { return ShellFixture::visibleTexts(view).contains(text); }
};

} // namespace

TEST_F(ToolViews, ColorsShowCopyAndSaveWithoutMovingTheSavedList)
{
    QStringList saved;
    for (int i = 0; i < BrimColorModel::savedColorLimit; ++i)
        saved << BrimRGB{std::uint8_t(i * 10), 0x40, 0x80}.hex();
    defaults->setString(BrimColorModel::savedColorsKey, saved.join(','));
    BrimColorModel model{{sampler, defaults, clipboard}};
    BrimColorsView view(model);
    auto *field = view.findChild<QLineEdit *>();
    auto *swatch = view.findChild<BrimColorSwatch *>();
    auto savedTop = [&] {
        QCoreApplication::processEvents(); // new buttons show from the event loop
        QAbstractButton *first = ShellFixture::button(view, "#004080");
        return first ? first->mapTo(&view, QPoint()).y() : -1;
    };

    field->clear();
    QTest::keyClicks(field, "abc");
    show(view, "colors-valid");
    EXPECT_TRUE(swatch->isVisibleTo(&view));
    EXPECT_EQ(swatch->accessibleName(), "Color preview #AABBCC");
    EXPECT_TRUE(shows(view, "rgb(170, 187, 204)"));
    EXPECT_TRUE(shows(view, "Saved colors · 20"));
    QTest::mouseClick(ShellFixture::button(view, "Copy HEX"), Qt::LeftButton);
    EXPECT_EQ(clipboard->plain, "#AABBCC");
    EXPECT_EQ(ShellFixture::button(view, "Save favorite")->accessibleDescription(),
              "Keep up to 20 saved colors. Remove one before saving another.");
    const int top = savedTop();

    QTest::keyClick(field, Qt::Key_D);
    show(view, "colors-invalid");
    EXPECT_TRUE(shows(view, "Enter a 3- or 6-digit HEX color."));
    EXPECT_FALSE(swatch->isVisibleTo(&view));
    EXPECT_FALSE(ShellFixture::button(view, "Copy HEX"));
    EXPECT_EQ(savedTop(), top);

    QTest::mouseClick(ShellFixture::button(view, "#0A4080"), Qt::LeftButton);
    EXPECT_EQ(field->text(), "#0A4080");
    QTest::mouseClick(ShellFixture::button(view, "Remove favorite"), Qt::LeftButton);
    EXPECT_TRUE(shows(view, "Saved colors · 19"));
    EXPECT_TRUE(ShellFixture::button(view, "Save favorite")->isEnabled());
    EXPECT_EQ(savedTop(), top);

    QTest::mouseClick(ShellFixture::button(view, "Pick from screen"), Qt::LeftButton);
    EXPECT_FALSE(ShellFixture::button(view, "Pick from screen")->isEnabled());
    sampler->done({BrimSampledColor::Outcome::picked, std::array{0.0, 0.0, std::nan("")}});
    show(view, "colors-error");
    EXPECT_TRUE(ShellFixture::button(view, "Pick from screen")->isEnabled());
    EXPECT_TRUE(shows(view, "This color could not be converted to RGB."));
}

TEST_F(ToolViews, TextPreviewsCopiesAndWarnsOverTheLimit)
{
    BrimTextModel model(clipboard);
    BrimTextView view(model);
    auto editors = view.findChildren<QPlainTextEdit *>();
    ASSERT_EQ(editors.size(), 2);
    QPlainTextEdit *input = editors[0], *preview = editors[1];
    auto *copy = ShellFixture::button(view, "Copy result");

    show(view, "text-empty");
    EXPECT_EQ(preview->toPlainText(), "");
    EXPECT_EQ(preview->placeholderText(), "Your result appears here.");
    EXPECT_FALSE(copy->isEnabled());

    QTest::keyClicks(input, "straße");
    view.findChild<QComboBox *>()->setCurrentText("UPPERCASE");
    show(view, "text-result");
    EXPECT_EQ(preview->toPlainText(), "STRASSE");
    QTest::mouseClick(copy, Qt::LeftButton);
    EXPECT_EQ(clipboard->plain, "STRASSE");

    model.setInput(QString(200'001, u'x'));
    show(view, "text-over-limit");
    EXPECT_EQ(preview->toPlainText(), "");
    EXPECT_FALSE(copy->isEnabled());
    EXPECT_TRUE(shows(view, "Use text up to 200,000 characters."));
}

// The editors hand the model exactly what was pasted and typed: Qt's own
// plain text would turn U+00A0 into a space and every line break into LF.
TEST_F(ToolViews, EditorsKeepTheUsersTextExactly)
{
    const QString pasted = QStringLiteral("a\u00A0b\r\nc\u2028d\re\u2029f");
    BrimTextModel text(clipboard);
    BrimTextView textView(text);
    BrimQRModel qr{{clipboard, std::make_shared<FakeFilePanels>()}};
    BrimQRView qrView(qr);
    const struct { QWidget *view; const QString &input; } cases[] = {{&textView, text.input()}, {&qrView, qr.input()}};
    for (const auto &[view, input] : cases) {
        auto *field = view->findChild<BrimPlainTextField *>();
        view->show();
        QApplication::setActiveWindow(view);
        field->setFocus();
        QGuiApplication::clipboard()->setText(pasted);
        QTest::keyClick(field, Qt::Key_V, Qt::ControlModifier);
        EXPECT_EQ(input, pasted);
        QTest::keyClick(field, Qt::Key_Tab); // a tab is typed, not a move
        QTest::keyClicks(field, "x");
        EXPECT_EQ(input, pasted + QStringLiteral("\tx"));
        QTest::keyClick(field, Qt::Key_Tab, Qt::ControlModifier);
        EXPECT_FALSE(field->hasFocus());
        field->setFocus();
        QTest::keyClick(field, Qt::Key_Backtab, Qt::ShiftModifier);
        EXPECT_FALSE(field->hasFocus());
    }
    // Set by the model, shown, and never written back changed.
    clipboard->plain = pasted;
    QTest::mouseClick(ShellFixture::button(textView, "Paste text"), Qt::LeftButton);
    QTest::mouseClick(ShellFixture::button(textView, "Copy result"), Qt::LeftButton);
    EXPECT_EQ(clipboard->plain, pasted);

    // Bytes of the exact text, both numbers grouped alike in any locale.
    const QLocale before;
    QLocale::setDefault(QLocale(QLocale::German));
    for (const auto &[input, counter] : {std::pair{QStringLiteral("a\u00A0"), "3/2,000 bytes"},
                                         std::pair{QString(1500, u'a'), "1,500/2,000 bytes"}}) {
        qr.setInput(input);
        EXPECT_TRUE(shows(qrView, QString::fromUtf8(counter))) << counter;
    }
    QLocale::setDefault(before);
}
