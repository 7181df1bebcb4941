#include "services/BackgroundQuitConfirmation.h"
#include "services/DockPresence.h"
#include "services/WidgetDockWindowList.h"
#include "tests/support/WidgetQueries.h"
#include "tests/support/Patience.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QDialogButtonBox>
#include <QProxyStyle>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

namespace {
using Policy = DockActivationPolicy;

class FakeWindowList final : public DockWindowList {
public:
    QObject *add(DockWindow window)
    {
        owned.push_back(std::make_unique<QObject>());
        window.handle = owned.back().get();
        list.append(window);
        return window.handle;
    }
    DockWindow &at(QObject *handle) { return *std::find_if(list.begin(), list.end(), [&](auto &w) { return w.handle == handle; }); }
    QList<DockWindow> windows() const override { return ++listings, list; }
    void hide(QObject *window) override { at(window).isVisible = false; }
    Policy policy() const override { return current; }
    void setPolicy(Policy p) override { current = p; }
    bool isApplicationHidden() const override { return hidden; }
    void observe(Handler h) override { handler = std::move(h); }
    void send(DockWindowEvent event, QObject *window = nullptr) { handler(event, window ? at(window) : DockWindow{}); }

    std::vector<std::unique_ptr<QObject>> owned;
    QList<DockWindow> list;
    Policy current = Policy::regular;
    bool hidden = false;
    Handler handler;
    mutable int listings = 0;
};

const DockWindow titled{nullptr, false, true, true, false};
const DockWindow titledMinimized{nullptr, false, true, false, true};
const DockWindow panel{nullptr, true, true, true, false};
const DockWindow untitled{nullptr, false, false, true, false};

struct Started {
    std::shared_ptr<FakeWindowList> list = std::make_shared<FakeWindowList>();
    DockPresence presence{list};
    void start()
    {
        presence.start();
        QCoreApplication::processEvents();
    }
};

// Presses a button of the alert as soon as it runs modally.
void answerAlert(const std::function<void(QMessageBox &)> &press)
{
    QTimer::singleShot(0, [press] {
        if (auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget()))
            press(*box);
    });
}

QAbstractButton *button(QMessageBox &box, const char *text) { return buttonTitled(box, QString::fromUtf8(text)); }
} // namespace

TEST(DockPresence, ReconcileFollowsTheApplicationWindows)
{
    const struct { const char *name; QList<DockWindow> windows; bool editorFirst, hidden; Policy before, expected; } cases[] = {
        {"panels and untitled windows", {panel, untitled}, false, false, Policy::regular, Policy::accessory},
        {"minimised titled window", {panel, titledMinimized}, false, false, Policy::accessory, Policy::regular},
        {"titled window closed", {{nullptr, false, true, false, false}}, false, false, Policy::regular, Policy::accessory},
        {"untitled registered editor", {untitled}, true, false, Policy::accessory, Policy::regular},
        {"panel registered editor", {panel}, true, false, Policy::accessory, Policy::regular},
        {"application hidden", {}, false, true, Policy::regular, Policy::regular},
        {"application hidden with a window", {titled}, false, true, Policy::accessory, Policy::accessory},
    };
    for (const auto &c : cases) {
        Started s;
        for (const DockWindow &w : c.windows)
            s.list->add(w);
        if (c.editorFirst)
            s.presence.registerEditorWindow(s.list->list.first().handle);
        s.list->current = c.before;
        s.list->hidden = c.hidden;
        s.start();
        EXPECT_EQ(s.presence.policy(), c.expected) << c.name;
    }
}

TEST(DockPresence, BackgroundWindowsCountAgainOnlyOnceTheyBecomeKey)
{
    Started s;
    QObject *window = s.list->add(titledMinimized);
    s.list->add(panel);
    s.presence.didChooseBackground(); // ignored before start
    s.start();
    ASSERT_EQ(s.presence.policy(), Policy::regular);

    s.presence.didChooseBackground();
    EXPECT_EQ(s.presence.policy(), Policy::accessory);
    s.list->send(DockWindowEvent::windowDidUnminimize, window);
    QCoreApplication::processEvents();
    EXPECT_EQ(s.presence.policy(), Policy::accessory) << "still in the background";

    s.list->send(DockWindowEvent::windowDidBecomeKey, window);
    EXPECT_EQ(s.presence.policy(), Policy::regular);
    s.list->send(DockWindowEvent::applicationDidUpdate);
    QCoreApplication::processEvents();
    EXPECT_EQ(s.presence.policy(), Policy::regular) << "no longer in the background";
}

TEST(DockPresence, TriggersBeforeTheQueuedPassAreAbsorbed)
{
    Started s;
    s.start();
    ASSERT_EQ(s.presence.policy(), Policy::accessory);
    int changes = 0;
    QObject::connect(&s.presence, &DockPresence::changed, [&] { ++changes; });
    QObject *window = s.list->add(titled);
    const int listings = s.list->listings;
    for (const auto event : {DockWindowEvent::applicationDidUpdate, DockWindowEvent::windowWillClose,
                             DockWindowEvent::windowDidMinimize, DockWindowEvent::applicationDidUnhide})
        s.list->send(event, window);
    QCoreApplication::processEvents();
    EXPECT_EQ(s.presence.policy(), Policy::regular);
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(s.list->listings, listings + 1);
}

TEST(BackgroundQuitConfirmation, AlertTextsAndButtons)
{
    for (const bool busy : {false, true}) {
        const auto alert = BackgroundQuitConfirmation::makeAlert(QStringLiteral("Ostrel Quill"), busy);
        EXPECT_EQ(alert.box->text(), QStringLiteral("Keep Ostrel Quill running?"));
        const QString base = QStringLiteral("Keep running in background closes the window. "
                                            "The tray icon and enabled shortcuts stay available.");
        EXPECT_EQ(alert.box->informativeText(),
                  busy ? base + QStringLiteral(" Your current task will continue. Finish or cancel it before quitting the app.")
                       : base);
        EXPECT_EQ(alert.quit->isEnabled(), !busy);
        EXPECT_EQ(alert.box->defaultButton(), alert.keepRunning);
        EXPECT_EQ(alert.box->escapeButton(), alert.cancel);
    }
}

// Each desktop's own button layout, as its style gives it.
struct DesktopButtonLayout final : QProxyStyle {
    explicit DesktopButtonLayout(int l) : layout(l) {}
    int layout;
    int styleHint(StyleHint hint, const QStyleOption *o, const QWidget *w, QStyleHintReturn *r) const override
    {
        return hint == SH_DialogButtonLayout ? layout : QProxyStyle::styleHint(hint, o, w, r);
    }
};

TEST(BackgroundQuitConfirmation, ButtonsKeepTheirOrderOnEveryDesktop)
{
    for (const int layout : {QDialogButtonBox::WinLayout, QDialogButtonBox::MacLayout, QDialogButtonBox::KdeLayout,
                             QDialogButtonBox::GnomeLayout}) {
        DesktopButtonLayout style(layout);
        const auto alert = BackgroundQuitConfirmation::makeAlert(QStringLiteral("Quill"), false);
        alert.box->findChild<QDialogButtonBox *>()->setStyle(&style);
        alert.box->show();
        QCoreApplication::processEvents();
        EXPECT_TRUE(alert.keepRunning->x() < alert.quit->x() && alert.quit->x() < alert.cancel->x()) << layout;
    }
}

// Real top-level widgets: the adapter's reading of window kinds and events.
TEST(DockPresence, FollowsTopLevelWidgets)
{
    QWidget document;
    document.setWindowTitle(QStringLiteral("Document"));
    QWidget palette(nullptr, Qt::Tool);
    palette.show();
    auto list = std::make_shared<WidgetDockWindowList>(Policy::accessory);
    DockPresence presence(list);
    presence.start();
    const auto settlesAt = [&](Policy p) { return QTest::qWaitFor([&] { return presence.policy() == p; }, patienceMs); };
    EXPECT_TRUE(settlesAt(Policy::accessory));

    document.show();
    EXPECT_TRUE(settlesAt(Policy::regular)) << "a titled window appeared";
    document.showMinimized();
    QCoreApplication::processEvents();
    EXPECT_EQ(presence.policy(), Policy::regular) << "minimised still counts";
    document.showNormal();
    document.close();
    EXPECT_TRUE(settlesAt(Policy::accessory)) << "only a tool window is left";

    document.show();
    ASSERT_TRUE(settlesAt(Policy::regular));
    answerAlert([](QMessageBox &box) { button(box, "Keep running in background")->click(); });
    EXPECT_EQ(BackgroundQuitConfirmation::request(QStringLiteral("Quill"), true, presence, [] {}),
              BackgroundQuitConfirmation::Choice::keepRunningInBackground);
    EXPECT_FALSE(document.isVisible());
    EXPECT_TRUE(palette.isVisible());
    EXPECT_TRUE(settlesAt(Policy::accessory));

    int changes = 0, quits = 0;
    QObject::connect(&presence, &DockPresence::changed, [&] { ++changes; });
    answerAlert([](QMessageBox &box) { QTest::keyClick(&box, Qt::Key_Escape); });
    EXPECT_EQ(BackgroundQuitConfirmation::request(QStringLiteral("Quill"), false, presence, [&] { ++quits; }),
              BackgroundQuitConfirmation::Choice::cancel);
    QCoreApplication::processEvents();
    EXPECT_EQ(changes, 0) << "an alert is not an application window";
    answerAlert([](QMessageBox &box) { button(box, "Quit app")->click(); });
    EXPECT_EQ(BackgroundQuitConfirmation::request(QStringLiteral("Quill"), false, presence, [&] { ++quits; }),
              BackgroundQuitConfirmation::Choice::quitApp);
    EXPECT_EQ(quits, 1);
    EXPECT_TRUE(palette.isVisible());
}
