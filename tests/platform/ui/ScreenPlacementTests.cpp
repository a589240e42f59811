// The placement rule every window's frame follows: inside the available area, moved rather
// than shrunk, shrunk only where it is larger than the area, its title bar always inside.
#include <gtest/gtest.h>

#include <QRect>

#include "platform/ui/ScreenPlacement.h"

TEST(FrameInsideArea, MovesAFrameBackInAndShrinksItOnlyWhereItIsLarger) {
    const QRect screen(0, 0, 1600, 1000);
    const QRect belowTopPanel(0, 30, 1600, 970);
    const QRect secondScreen(1600, 0, 1600, 1000);
    struct Case {
        const char* what;
        QRect frame, area;
        QSize minimum;
        QRect expected;
    } cases[] = {
        {"fits", {100, 100, 800, 600}, screen, {}, {100, 100, 800, 600}},
        {"20 further still fits", {60, 70, 1540, 920}, screen, {}, {60, 70, 1540, 920}},
        {"past the right edge", {80, 70, 1540, 920}, screen, {}, {60, 70, 1540, 920}},
        {"past the bottom edge", {60, 100, 1540, 920}, screen, {}, {60, 80, 1540, 920}},
        {"past both", {100, 120, 1540, 920}, screen, {}, {60, 80, 1540, 920}},
        {"above and left", {-400, -80, 700, 500}, screen, {}, {0, 0, 700, 500}},
        {"larger than the area", {-400, -80, 2600, 1700}, screen, {}, screen},
        {"only taller", {100, 50, 800, 1200}, screen, {}, {100, 0, 800, 1000}},
        {"under a top panel", {100, 10, 800, 600}, belowTopPanel, {}, {100, 30, 800, 600}},
        {"cannot be that small", {100, 100, 800, 600}, screen, {1700, 500}, {0, 100, 1700, 600}},
        {"on a second screen", {3000, 100, 400, 300}, secondScreen, {}, {2800, 100, 400, 300}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(frameInsideArea(c.frame, c.area, c.minimum), c.expected) << c.what;
    }
}
