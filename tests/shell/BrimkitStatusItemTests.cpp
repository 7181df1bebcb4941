#include "services/OstrelSignals.h"
#include "shell/BrimkitStatusIcon.h"
#include "shell/BrimkitStatusItem.h"
#include "tests/shell/ShellFixture.h"

#include <QApplication>
#include <QPainter>
#include <QSignalSpy>
#include <cmath>

using StatusItem = ShellFixture;

namespace {

double luminance(QRgb rgb)
{
    const auto linear = [](int c) { return c <= 10 ? c / 3294.6 : std::pow((c / 255.0 + 0.055) / 1.055, 2.4); };
    return 0.2126 * linear(qRed(rgb)) + 0.7152 * linear(qGreen(rgb)) + 0.0722 * linear(qBlue(rgb));
}
double contrast(QRgb a, QRgb b)
{
    const double la = luminance(a), lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}
QImage onPanel(const QImage &icon, QColor panel)
{
    QImage out(icon.size(), QImage::Format_RGB32);
    out.fill(panel);
    QPainter(&out).drawImage(0, 0, icon);
    return out;
}

const auto symbol = [](const char *name) { return BrimkitStatusGlyph::ofSymbol(QLatin1String(name)); };
const std::pair<const char *, BrimkitStatusGlyph> states[] = {
    {"running", BrimkitStatusGlyph::countdown(1440, 25, false)}, {"paused", BrimkitStatusGlyph::countdown(1440, 25, true)},
    {"hours", BrimkitStatusGlyph::countdown(14400, 240, false)}, {"last minute", BrimkitStatusGlyph::countdown(40, 25, false)},
    {"last minute paused", BrimkitStatusGlyph::countdown(40, 25, true)}, {"done", symbol("checkmark.circle.fill")},
    {"alarm", BrimkitStatusGlyph::alarmFired()}, {"upcoming", symbol("alarm.fill")},
    {"awake", symbol("cup.and.saucer")}, {"idle", symbol("wrench.and.screwdriver")}};

} // namespace

// A 25-minute focus session stepped four times a second: the icon follows the
// minutes (rounded up, as the title) and redraws once a minute, then once a
// second in the last minute; the tooltip follows every second.
TEST_F(StatusItem, RedrawsWhenTheMinuteChangesAndTheTooltipEverySecond)
{
    BrimkitStatusItem item(model, OstrelSignals::shared());
    model.startTimer(25, BrimTimerKind::focus);
    const BrimDate start = clock->now();
    const auto at = [&](double seconds) {
        clock->set(start + seconds);
        model.refresh(clock->now());
        return BrimkitStatusGlyph::forModel(model);
    };
    const std::tuple<double, int, int, int> rows[] = {
        // seconds in, minutes shown, ring filled, of
        {0, 25, 25, 25}, {0.5, 25, 25, 25}, {60, 24, 24, 25}, {1439.5, 2, 2, 25}, {1440, 0, 60, 60}, {1499.2, 0, 1, 60}};
    for (const auto &[seconds, minutes, filled, steps] : rows) {
        const BrimkitStatusGlyph glyph = at(seconds);
        EXPECT_EQ(std::tuple(glyph.minutes, glyph.ringFilled, glyph.ringSteps), std::tuple(minutes, filled, steps)) << seconds;
    }

    const int before = item.redrawCount();
    for (int step = 0; step <= 4 * 1500; ++step) {
        at(step * 0.25);
        EXPECT_TRUE(step != 4 * 600 + 1 || item.toolTip() == QStringLiteral("Ostrel Brimkit, Focus, 15:00"));
    }
    // Back to 25, then 24 … 2 in whole minutes, 60 … 1 seconds, done.
    EXPECT_EQ(item.redrawCount() - before, 1 + 23 + 60 + 1);
    EXPECT_EQ(item.toolTip(), QStringLiteral("Ostrel Brimkit, Focus finished, Done"));
}

// With two alarms fired, dismissing the first must not leave its name behind.
TEST_F(StatusItem, TooltipNamesTheAlarmStillShown)
{
    BrimkitStatusItem item(model, OstrelSignals::shared());
    model.alarms().add(QStringLiteral("Tea"), clock->now() + 60, clock->now());
    model.alarms().add(QStringLiteral("Call"), clock->now() + 120, clock->now());
    clock->set(clock->now() + 180);
    model.refresh(clock->now());
    ASSERT_EQ(item.toolTip(), QStringLiteral("Ostrel Brimkit, Tea, Alarm"));
    EXPECT_EQ(BrimkitStatusGlyph::forModel(model), BrimkitStatusGlyph::alarmFired());
    const int redraws = item.redrawCount();
    model.alarms().remove(model.alarms().book().completed().first().id);
    EXPECT_EQ(item.toolTip(), QStringLiteral("Ostrel Brimkit, Call, Alarm"));
    EXPECT_EQ(item.redrawCount(), redraws);
}

// At 22 px on black and on white panels, whichever ink the palette gives:
// a good share of what covers the slot stands 3:1 from the panel, numbers are
// 10 px tall, and every state, however long its number, fills the same square.
TEST(BrimkitStatusIcon, ReadableOnDarkAndLightPanels)
{
    for (const auto &[name, glyph] : states) {
        for (QColor ink : {Qt::black, Qt::white}) {
            const QImage icon = BrimkitStatusIcon::image(glyph, 22, ink);
            ASSERT_EQ(icon.size(), QSize(22, 22)) << name;
            for (QColor panel : {Qt::black, Qt::white}) {
                const QImage seen = onPanel(icon, panel);
                int covered = 0, legible = 0, top = 22, bottom = -1;
                for (int y = 0; y < 22; ++y) {
                    for (int x = 0; x < 22; ++x) {
                        const QRgb pixel = seen.pixel(x, y);
                        covered += qAlpha(icon.pixel(x, y)) >= 128;
                        legible += qAlpha(icon.pixel(x, y)) >= 128 && contrast(pixel, panel.rgb()) >= 3;
                        // The number's ink: nearer the ink than the halo, inside the ring.
                        if (std::hypot(x - 10.5, y - 10.5) < 7 && contrast(pixel, ink.rgb()) < contrast(pixel, ~ink.rgb()))
                            top = std::min(top, y), bottom = std::max(bottom, y);
                    }
                }
                const std::string at = std::string(name) + " on " + (panel == ink ? "its ink" : "the halo's colour");
                EXPECT_TRUE(legible >= 30 && legible * 4 >= covered) << at << ": " << legible << " of " << covered;
                EXPECT_TRUE(glyph.minutes == 0 || bottom - top + 1 >= 10) << at << ": " << bottom - top + 1 << " px";
            }
        }
    }
}

TEST(BrimkitStatusIcon, StatesDifferAndDigitsStayPut)
{
    const auto seen = [](const BrimkitStatusGlyph &g) { return onPanel(BrimkitStatusIcon::image(g, 22, Qt::black), Qt::white); };
    const auto differing = [&](const BrimkitStatusGlyph &a, const BrimkitStatusGlyph &b, int fromX) {
        const QImage one = seen(a), other = seen(b);
        int count = 0;
        for (int y = 0; y < 22; ++y)
            for (int x = fromX; x < 22; ++x)
                count += contrast(one.pixel(x, y), other.pixel(x, y)) >= 1.5;
        return count;
    };
    for (const auto &[a, glyphA] : states) {
        for (const auto &[b, glyphB] : states)
            EXPECT_TRUE(std::string(a) >= b || differing(glyphA, glyphB, 0) >= 12) << a << " vs " << b;
    }
    // Tabular digits: the last digit sits in the same place whatever comes before it.
    EXPECT_EQ(differing(BrimkitStatusGlyph::countdown(660, 11, false), BrimkitStatusGlyph::countdown(4860, 81, false), 11), 0);
}

TEST_F(StatusItem, MenuOpensThePanelOffersFeedbackAndQuits)
{
    QApplication::setApplicationDisplayName(QStringLiteral("Ostrel Brimkit"));
    BrimkitStatusItem item(model, OstrelSignals::shared());
    QStringList entries;
    for (QAction *action : item.menu().actions())
        entries << (action->isSeparator() ? QStringLiteral("—") : action->text());
    EXPECT_EQ(entries, (QStringList{"Open Ostrel Brimkit", "—", "Send feedback…", "Report a bug…", "—",
                                    "Quit Ostrel Brimkit"}));
    QSignalSpy open(&item, &BrimkitStatusItem::openRequested);
    item.menu().actions().first()->trigger();
    EXPECT_EQ(open.count(), 1);
}
