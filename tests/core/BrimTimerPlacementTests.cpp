#include "core/BrimPanelPlacement.h"
#include "core/BrimTimerPlacement.h"

#include <gtest/gtest.h>

TEST(BrimTimerPlacement, Frames)
{
    struct Row { QRectF screen, visible; double safeTop; QSizeF size; QRectF frame; };
    const QSizeF capsule(300, 56);
    const Row rows[] = {
        {{0, 0, 1440, 900}, {0, 0, 1440, 875}, 0, capsule, {570, 815, 300, 56}},
        {{0, 0, 1512, 982}, {0, 0, 1512, 949}, 38, capsule, {606, 884, 300, 56}},
        {{0, 0, 1440, 900}, {80, 0, 1360, 875}, 0, capsule, {570, 815, 300, 56}},
        // Dock on the left pushing the visible frame past the centred position.
        {{0, 0, 1440, 900}, {700, 0, 740, 875}, 0, capsule, {700, 815, 300, 56}},
        // Dock on the right: the right edge of the visible frame wins.
        {{0, 0, 1440, 900}, {0, 0, 800, 875}, 0, capsule, {500, 815, 300, 56}},
        {{0, 0, 1440, 900}, {10, 0, 200, 875}, 0, capsule, {10, 815, 200, 56}},
        {{0, 0, 1440, 900}, {0, 0, 1440, 3}, 0, capsule, {570, 0, 300, 0}},
        {{0, 0, 1440, 900}, {0, 0, 1440, 875}, -30, capsule, {570, 815, 300, 56}},
        {{-1920, 1080, 1920, 1200}, {-1920, 1080, 1920, 1175}, 0, capsule, {-1110, 2195, 300, 56}},
        // Visible frame lower than the capsule: it sits on the visible bottom.
        {{0, 0, 1440, 900}, {0, 0, 1440, 40}, 0, capsule, {570, 0, 300, 36}},
        {{0, 0, 1440, 900}, {0, 0, 1440, 875}, 0, QSizeF(-5, -5), {720, 871, 0, 0}},
    };
    for (const Row &row : rows)
        EXPECT_EQ(BrimTimerPlacement::frame(row.screen, row.visible, row.safeTop, row.size), row.frame)
            << row.visible.x() << "," << row.visible.width() << "," << row.visible.height();
}

TEST(BrimPanelPlacement, NextToTheIconAndInsideTheScreen)
{
    struct Row { const char *name; QRect anchor; QSize size; QPoint topLeft; };
    const QRect area(0, 32, 1280, 768); // below a 32-pixel top panel
    const QSize panel(690, 520);
    const Row rows[] = {
        {"top-right icon: below, pushed left", {1240, 4, 24, 24}, panel, {590, 32}},
        {"top icon in the middle: centred below", {628, 4, 24, 24}, panel, {294, 32}},
        {"bottom-left icon: above, pushed right", {4, 772, 24, 24}, panel, {0, 248}},
        {"point in the lower half: a bar's reach above it", {900, 700, 1, 1}, panel, {555, 145}},
        {"point on the bar outside the area: below the bar", {1200, 10, 1, 1}, panel, {590, 32}},
        {"taller than the screen: top stays visible", {1240, 4, 24, 24}, {690, 900}, {590, 32}},
        {"wider than the screen: left stays visible", {1240, 4, 24, 24}, {1400, 300}, {0, 32}},
    };
    for (const Row &row : rows)
        EXPECT_EQ(BrimPanelPlacement::topLeft(row.anchor, row.size, area), row.topLeft) << row.name;
    // The whole output as usable area (XWayland): points on bars at each edge.
    const QRect output(0, 0, 1280, 800);
    const Row points[] = {
        {"top bar", {1200, 10, 1, 1}, panel, {590, 46}}, {"bottom bar", {640, 790, 1, 1}, panel, {295, 235}},
        {"left bar", {10, 400, 1, 1}, panel, {46, 140}}, {"right bar", {1270, 400, 1, 1}, panel, {545, 140}},
    };
    for (const Row &row : points)
        EXPECT_EQ(BrimPanelPlacement::topLeft(row.anchor, row.size, output), row.topLeft) << row.name;
}
