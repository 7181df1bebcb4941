#include "services/BetaSupportView.h"
#include "services/OstrelSignals.h"
#include "services/SupportSettingsFooter.h"
#include "telemetry/TelemetryPreferences.h"

#include "RecordingTellixClient.h"

#include <QCheckBox>
#include <QClipboard>
#include <QGuiApplication>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QToolButton>
#include <gtest/gtest.h>

using namespace std::chrono_literals;

namespace {
AppBundle bundle(bool configured)
{
    AppBundle result;
    result.identifier = QStringLiteral("app.ostrel.brimkit");
    result.shortVersion = QStringLiteral("1.0.0");
    result.buildNumber = QStringLiteral("3");
    if (configured) {
        result.tellixEndpoint = QStringLiteral("https://tellix.example");
        result.tellixKey = QStringLiteral("key");
    }
    return result;
}

struct ViewHarness {
    explicit ViewHarness(bool configured, std::shared_ptr<MemoryUserDefaults> defaults = std::make_shared<MemoryUserDefaults>())
        : store(std::move(defaults))
        , client(std::make_shared<RecordingTellixClient>())
        , facade(bundle(configured), store, client)
        , view(facade, QStringLiteral("Ostrel Brimkit"))
    {
        view.show();
    }

    QPlainTextEdit *editor() { return view.findChild<QPlainTextEdit *>(QStringLiteral("message")); }
    QPushButton *send() { return view.findChild<QPushButton *>(QStringLiteral("send")); }
    QPushButton *copy() { return view.findChild<QPushButton *>(QStringLiteral("copy")); }
    QLabel *label(const char *name) { return view.findChild<QLabel *>(QString::fromLatin1(name)); }

    std::shared_ptr<MemoryUserDefaults> store;
    std::shared_ptr<RecordingTellixClient> client;
    OstrelSignals facade;
    BetaSupportView view;
};
} // namespace

TEST(BetaSupportView, CounterAndSendButtonFollowTheMessage)
{
    const struct {
        QString message;
        const char *counter;
        bool sendable;
    } cases[] = {
        {QString(), "0/2000 characters", false},
        {QStringLiteral(" \n\t "), "4/2000 characters", false},
        {QStringLiteral("Nice"), "4/2000 characters", true},
        {QString(2000, QLatin1Char('x')), "2000/2000 characters", true},
        {QString(2001, QLatin1Char('x')), "2001/2000 characters", false},
        // Counted untrimmed: 1999 letters and two spaces are over the limit.
        {QStringLiteral(" ") + QString(1999, QLatin1Char('x')) + QStringLiteral(" "), "2001/2000 characters", false},
        {QStringLiteral("😀"), "2/2000 characters", true}, // UTF-16 code units
    };
    ViewHarness h(true);
    ASSERT_NE(h.editor(), nullptr);
    for (const auto &c : cases) {
        h.editor()->setPlainText(c.message);
        EXPECT_EQ(h.label("counter")->text(), QLatin1String(c.counter));
        EXPECT_EQ(h.send()->isEnabled(), c.sendable) << c.counter;
    }
    EXPECT_FALSE(h.label("notConfigured")->isVisible());
}

TEST(BetaSupportView, UnconfiguredBuildCopiesButNeverSends)
{
    ViewHarness h(false);
    h.editor()->setPlainText(QStringLiteral("The timer skipped a second."));
    EXPECT_TRUE(h.label("notConfigured")->isVisible());
    EXPECT_EQ(h.label("notConfigured")->text(),
              QStringLiteral("Online reporting is not configured in this build. You can copy your report."));
    EXPECT_FALSE(h.send()->isEnabled());
    h.view.sendReport(); // even when forced
    EXPECT_TRUE(h.client->reports.empty());

    QTest::mouseClick(h.copy(), Qt::LeftButton);
    EXPECT_EQ(QGuiApplication::clipboard()->text(),
              QStringLiteral("The timer skipped a second.\n\n") + h.facade.reviewedMetadata());
    EXPECT_EQ(h.label("result")->text(), QStringLiteral("Copied."));
}

TEST(BetaSupportView, SendingReportsTheOutcomeAndKeepsTextOnFailure)
{
    const struct {
        bool accepted;
        const char *result;
        bool messageKept;
    } cases[] = {
        {true, "Report sent. Thank you.", false},
        {false, "Delivery could not be confirmed. Your message is preserved; retrying may duplicate a report.", true},
    };
    for (const auto &c : cases) {
        ViewHarness h(true);
        h.client->feedbackAccepted = c.accepted;
        h.client->replyDelay = 50ms;
        h.facade.setFeedbackIsBug(true);
        h.editor()->setPlainText(QStringLiteral("  Crashed on wake.  "));
        QTest::mouseClick(h.send(), Qt::LeftButton);

        EXPECT_TRUE(h.view.isSending());
        EXPECT_EQ(h.send()->text(), QStringLiteral("Sending…"));
        EXPECT_FALSE(h.send()->isEnabled());
        EXPECT_FALSE(h.editor()->isEnabled());

        ASSERT_TRUE(QTest::qWaitFor([&] { return !h.view.isSending(); }, 5000));
        ASSERT_EQ(h.client->reports.size(), 1u);
        EXPECT_EQ(h.client->reports[0].message, QStringLiteral("  Crashed on wake.  "));
        EXPECT_TRUE(h.client->reports[0].bug);
        EXPECT_EQ(h.label("result")->text(), QLatin1String(c.result));
        EXPECT_EQ(h.view.message().isEmpty(), !c.messageKept);
        EXPECT_EQ(h.send()->text(), QStringLiteral("Send report"));
    }
}

TEST(SupportSettingsFooter, TogglesReflectAndChangeTheChoices)
{
    const struct {
        const char *name;
        bool configured;
        bool usage;
        bool usageEnabled;
        bool cityEnabled;
    } cases[] = {
        {"not configured", false, true, false, false},
        {"statistics on", true, true, true, true},
        {"statistics off", true, false, true, false},
    };
    for (const auto &c : cases) {
        auto store = std::make_shared<MemoryUserDefaults>();
        store->setBool(TelemetryPreferences::usageKey(), c.usage);
        OstrelSignals facade(bundle(c.configured), store, std::make_shared<RecordingTellixClient>());
        SupportSettingsFooter footer(facade);
        auto *usage = footer.findChild<QCheckBox *>(QStringLiteral("usage"));
        auto *city = footer.findChild<QCheckBox *>(QStringLiteral("city"));
        EXPECT_EQ(usage->isChecked(), c.usage) << c.name;
        EXPECT_EQ(usage->isEnabled(), c.usageEnabled) << c.name;
        EXPECT_EQ(city->isEnabled(), c.cityEnabled) << c.name;
    }

    auto store = std::make_shared<MemoryUserDefaults>();
    OstrelSignals facade(bundle(true), store, std::make_shared<RecordingTellixClient>());
    SupportSettingsFooter footer(facade);
    footer.show();
    auto *usage = footer.findChild<QCheckBox *>(QStringLiteral("usage"));
    auto *city = footer.findChild<QCheckBox *>(QStringLiteral("city"));
    usage->click();
    EXPECT_FALSE(facade.enabled());
    EXPECT_EQ(store->boolValue(TelemetryPreferences::usageKey()), false);
    EXPECT_FALSE(city->isEnabled());
    usage->click();
    city->click();
    EXPECT_FALSE(facade.locationEnabled());
    EXPECT_EQ(store->boolValue(TelemetryPreferences::cityKey()), false);

    bool linuxWording = false;
    for (QLabel *label : footer.findChildren<QLabel *>()) {
        EXPECT_FALSE(label->text().contains(QLatin1String("macOS")));
        linuxWording = linuxWording || label->text().contains(QLatin1String("app and Linux versions"));
    }
    EXPECT_TRUE(linuxWording);
}

TEST(FeedbackWindow, TitledByItsModeButtonsStayInViewAndKeysCloseIt)
{
    OstrelSignals facade(bundle(true), std::make_shared<MemoryUserDefaults>(), std::make_shared<RecordingTellixClient>());
    facade.showSupport(true);
    QWidget *window = facade.supportWindow();
    EXPECT_EQ(window->windowTitle(), QStringLiteral("Bug report"));
    facade.setFeedbackIsBug(false);
    EXPECT_EQ(window->windowTitle(), QStringLiteral("Feedback"));

    // A short screen's window, with the app details opened.
    window->resize(window->width(), 360);
    QCoreApplication::processEvents();
    window->findChild<QToolButton *>()->click();
    auto *send = window->findChild<QPushButton *>(QStringLiteral("send"));
    const QRect shown = QRect(send->mapTo(window, QPoint()), send->size());
    EXPECT_TRUE(window->rect().contains(shown)) << shown.y() << " in " << window->height();

    for (const QKeySequence &keys : {QKeySequence(Qt::Key_Escape), QKeySequence(Qt::CTRL | Qt::Key_W)}) {
        facade.showSupport(false);
        QApplication::setActiveWindow(window);
        QTest::keySequence(window, keys);
        EXPECT_FALSE(window->isVisible()) << keys.toString().toStdString();
    }
}
