#include "services/BetaSupportView.h"
#include "services/SupportSettingsFooter.h"
#include "telemetry/TelemetryPreferences.h"

#include "RecordingTellixClient.h"
#include "tests/support/Patience.h"

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
struct ViewHarness : SignalsHarness {
    explicit ViewHarness(bool configured) : SignalsHarness(std::make_shared<MemoryUserDefaults>(), configured)
    {
        view.show();
    }

    QPlainTextEdit *editor() { return view.findChild<QPlainTextEdit *>(QStringLiteral("message")); }
    QPushButton *send() { return view.findChild<QPushButton *>(QStringLiteral("send")); }
    QLabel *label(const char *name) { return view.findChild<QLabel *>(QString::fromLatin1(name)); }

    BetaSupportView view{facade, QStringLiteral("Ostrel Brimkit")};
};
} // namespace

TEST(BetaSupportView, CounterAndSendButtonFollowTheMessage)
{
    struct Case { QString message; const char *counter; bool sendable; };
    const Case cases[] = {
        {QString(), "0/2000 characters", false}, {QStringLiteral(" \n\t "), "4/2000 characters", false},
        {QStringLiteral("Nice"), "4/2000 characters", true},
        {QString(2000, QLatin1Char('x')), "2000/2000 characters", true},
        {QString(2001, QLatin1Char('x')), "2001/2000 characters", false},
        // Counted untrimmed: 1999 letters and two spaces are over the limit.
        {QStringLiteral(" ") + QString(1999, QLatin1Char('x')) + QStringLiteral(" "), "2001/2000 characters", false},
        {QStringLiteral("😀"), "2/2000 characters", true}, // UTF-16 code units
    };
    ViewHarness h(true);
    ASSERT_NE(h.editor(), nullptr);
    for (const Case &c : cases) {
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

    QTest::mouseClick(h.view.findChild<QPushButton *>(QStringLiteral("copy")), Qt::LeftButton);
    EXPECT_EQ(QGuiApplication::clipboard()->text(),
              QStringLiteral("The timer skipped a second.\n\n") + h.facade.reviewedMetadata());
    EXPECT_EQ(h.label("result")->text(), QStringLiteral("Copied."));
}

TEST(BetaSupportView, SendingReportsTheOutcomeAndKeepsTextOnFailure)
{
    struct Case { bool accepted; const char *result; };
    const Case cases[] = {
        {true, "Report sent. Thank you."},
        {false, "Delivery could not be confirmed. Your message is preserved; retrying may duplicate a report."},
    };
    for (const Case &c : cases) {
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

        ASSERT_TRUE(QTest::qWaitFor([&] { return !h.view.isSending(); }, patienceMs));
        ASSERT_EQ(h.client->reports.size(), 1u);
        EXPECT_EQ(h.client->reports[0].message, QStringLiteral("  Crashed on wake.  "));
        EXPECT_TRUE(h.client->reports[0].bug);
        EXPECT_EQ(h.label("result")->text(), QLatin1String(c.result));
        EXPECT_EQ(h.view.message().isEmpty(), c.accepted) << "the message is kept only on failure";
        EXPECT_EQ(h.send()->text(), QStringLiteral("Send report"));
    }
}

TEST(SupportSettingsFooter, TogglesReflectAndChangeTheChoices)
{
    struct Case { const char *name; bool configured, usage, usageEnabled, cityEnabled; };
    const Case cases[] = {
        {"not configured", false, true, false, false}, {"statistics on", true, true, true, true},
        {"statistics off", true, false, true, false},
    };
    for (const Case &c : cases) {
        auto store = std::make_shared<MemoryUserDefaults>();
        store->setBool(TelemetryPreferences::usageKey(), c.usage);
        OstrelSignals facade(testBundle(c.configured), store, std::make_shared<RecordingTellixClient>());
        SupportSettingsFooter footer(facade);
        footer.show();
        auto *usage = footer.findChild<QCheckBox *>(QStringLiteral("usage"));
        auto *city = footer.findChild<QCheckBox *>(QStringLiteral("city"));
        EXPECT_EQ(usage->isChecked(), c.usage) << c.name;
        EXPECT_EQ(usage->isEnabled(), c.usageEnabled) << c.name;
        EXPECT_EQ(city->isEnabled(), c.cityEnabled) << c.name;
        if (!c.configured || !c.usage)
            continue;
        usage->click();
        EXPECT_FALSE(facade.enabled());
        EXPECT_FALSE(city->isEnabled());
        usage->click();
        city->click();
        EXPECT_FALSE(facade.locationEnabled());

        bool linuxWording = false;
        for (QLabel *label : footer.findChildren<QLabel *>()) {
            EXPECT_FALSE(label->text().contains(QLatin1String("macOS")));
            linuxWording = linuxWording || label->text().contains(QLatin1String("app and Linux versions"));
        }
        EXPECT_TRUE(linuxWording);
    }
}

TEST(FeedbackWindow, TitledByItsModeButtonsStayInViewAndKeysCloseIt)
{
    SignalsHarness h;
    OstrelSignals &facade = h.facade;
    facade.showSupport(true);
    QWidget *window = facade.supportWindow();
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
