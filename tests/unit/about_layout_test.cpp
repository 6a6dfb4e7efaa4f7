#include "app/about_layout.h"

#include "support/named_row.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdlib>

namespace nowplaying {
namespace {

struct ExpectedLayout : support::NamedRow {
    int dpi;
    PixelSize client;
    // In the order of ABOUT_CONTROLS: lbl1, lbl2, cmdOk, lblSong, lbl3.
    std::array<PixelRect, 5> controls;
};

class AboutLayoutAtDpi : public ::testing::TestWithParam<ExpectedLayout> {};

TEST_P(AboutLayoutAtDpi, ClientAndControlRectangles)
{
    const ExpectedLayout& expected = GetParam();
    EXPECT_EQ(AboutClientSize(expected.dpi), expected.client);
    for (std::size_t i = 0; i < ABOUT_CONTROLS.size(); ++i) {
        EXPECT_EQ(ToPixels(ABOUT_CONTROLS[i].twips, expected.dpi), expected.controls[i])
            << "control ID " << ABOUT_CONTROLS[i].id;
    }
}

// 96 DPI is 15 twips per pixel, and every figure of the design divides evenly.
// At 120 and 144 DPI edges fall on quarters and halves; halves round up.
INSTANTIATE_TEST_SUITE_P(
    Layouts, AboutLayoutAtDpi,
    ::testing::Values(
        ExpectedLayout{
            {"96dpi"},
            96,
            {329, 152},
            {{{16, 16, 313, 33}, {16, 32, 313, 49}, {120, 112, 209, 137}, {8, 80, 321, 97}, {8, 64, 321, 81}}}},
        ExpectedLayout{
            {"120dpi"},
            120,
            {411, 190},
            {{{20, 20, 391, 41}, {20, 40, 391, 61}, {150, 140, 261, 171}, {10, 100, 401, 121}, {10, 80, 401, 101}}}},
        ExpectedLayout{
            {"144dpi"},
            144,
            {494, 228},
            {{{24, 24, 470, 50}, {24, 48, 470, 74}, {180, 168, 314, 206}, {12, 120, 482, 146}, {12, 96, 482, 122}}}}),
    support::RowName);

TEST(TwipsToPixels, RoundsToNearestWithHalvesAwayFromZero)
{
    struct Case {
        int twips;
        int dpi;
        int pixels;
    };
    const Case cases[] = {
        {0, 96, 0},     {7, 96, 0},       {8, 96, 1},       {15, 96, 1},      {22, 96, 1},
        {23, 96, 2},    {5, 144, 1},      {4, 144, 0},      {-5, 144, -1},    {-4, 144, 0},
        {1440, 96, 96}, {1440, 288, 288}, {4935, 144, 494}, {4935, 120, 411}, {4935, 168, 576},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(TwipsToPixels(c.twips, c.dpi), c.pixels) << c.twips << " twips at " << c.dpi << " DPI";
    }
}

// Centred controls stay centred whatever the DPI: the margins on the two sides
// differ by at most the one pixel that rounding can shift.
TEST(AboutLayout, CentredControlsStayCentredAtEveryDpi)
{
    for (int dpi = 72; dpi <= 480; ++dpi) {
        const PixelSize client = AboutClientSize(dpi);
        for (const AboutControl& control : ABOUT_CONTROLS) {
            const PixelRect rect = ToPixels(control.twips, dpi);
            const int rightMargin = client.width - rect.right;
            EXPECT_LE(std::abs(rect.left - rightMargin), 1) << "control " << control.id << " at " << dpi;
            EXPECT_GT(rect.Width(), 0);
            EXPECT_LE(rect.bottom, client.height);
        }
    }
}

TEST(AboutLayout, ScalesWithDpiWithinRounding)
{
    for (int dpi : {120, 144, 192, 240}) {
        const PixelSize client = AboutClientSize(dpi);
        EXPECT_LE(std::abs(client.width * 96 - 329 * dpi), 96) << dpi;
        EXPECT_LE(std::abs(client.height * 96 - 152 * dpi), 96) << dpi;
    }
}

TEST(FitFontHeight, ShrinksInProportionButNotBelowTwoThirds)
{
    struct Case {
        int height;
        int original;
        int needed;
        int available;
        int next;
    };
    const Case cases[] = {
        {-12, -12, 297, 297, -12}, // fits exactly: unchanged
        {-12, -12, 200, 297, -12}, // fits with room to spare: never grows
        {-12, -12, 330, 297, -10}, // 12 * 297 / 330 = 10.8, rounded down
        {-12, -12, 300, 297, -11}, // proportion rounds to 11: one pixel smaller
        {-12, -12, 298, 297, -11}, // proportion stays 11.96: still one pixel smaller
        {-12, -12, 600, 297, -8},  // half the width would need 5.9: stops at 2/3 of 12
        {-8, -12, 400, 297, -8},   // at the smallest already: stays there
        {-11, -11, 352, 297, -9},  // 11 * 2 / 3 = 7.3: the smallest is 8
        {-9, -11, 298, 297, -8},   {-8, -11, 298, 297, -8}, {-18, -18, 470, 446, -17}, // 144 DPI
        {16, 16, 400, 297, 11},  // a positive (cell) height keeps its sign
        {-11, -11, 0, 297, -11}, // nothing measured
    };
    for (const Case& c : cases) {
        EXPECT_EQ(FitFontHeight(c.height, c.original, c.needed, c.available), c.next)
            << c.height << " needing " << c.needed << " of " << c.available;
    }
}

} // namespace
} // namespace nowplaying
