#pragma once
// The About window's geometry, kept in twips as the window was designed, and its
// conversion to pixels at a given DPI. Pure logic: the window applies the rectangles
// computed here whenever its DPI is known or changes.

#include <array>
#include <string_view>

namespace nowplaying {

inline constexpr int TWIPS_PER_INCH = 1440;
inline constexpr int DEFAULT_DPI = 96; // 15 twips per pixel

struct TwipsRect {
    int left;
    int top;
    int width;
    int height;
};

struct PixelRect {
    int left;
    int top;
    int right;
    int bottom;

    int Width() const { return right - left; }
    int Height() const { return bottom - top; }
    friend bool operator==(const PixelRect&, const PixelRect&) = default;
};

struct PixelSize {
    int width;
    int height;
    friend bool operator==(const PixelSize&, const PixelSize&) = default;
};

enum class ControlKind { Label, DefaultButton };

// Control IDs stay the same from release to release, so that tests and tools can
// find the controls from outside. cmdOk carries the ID that Enter produces (IDOK).
inline constexpr int ID_CMD_OK = 1;
inline constexpr int ID_LBL1 = 101;
inline constexpr int ID_LBL2 = 102;
inline constexpr int ID_LBL_SONG = 103;
inline constexpr int ID_LBL3 = 104;

struct AboutControl {
    int id;
    ControlKind kind;
    TwipsRect twips;
};

inline constexpr TwipsRect ABOUT_CLIENT_TWIPS = {0, 0, 4935, 2280};

// In tab order, which is also the order of creation (and so the Z-order).
inline constexpr std::array<AboutControl, 5> ABOUT_CONTROLS = {{
    {ID_LBL1, ControlKind::Label, {240, 240, 4455, 255}},
    {ID_LBL2, ControlKind::Label, {240, 480, 4455, 255}},
    {ID_CMD_OK, ControlKind::DefaultButton, {1800, 1680, 1335, 375}},
    {ID_LBL_SONG, ControlKind::Label, {120, 1200, 4695, 255}},
    {ID_LBL3, ControlKind::Label, {120, 960, 4695, 255}},
}};

// twips * dpi / 1440, rounded to the nearest pixel with halves away from zero
// (the rounding of the platform's MulDiv, so both sides of the code agree).
int TwipsToPixels(int twips, int dpi);

// Converts the edges, not the sizes: a control's right edge is round(left + width).
// Edges that coincide in twips then coincide in pixels, and a control centred in
// twips stays centred to the pixel, at any DPI.
PixelRect ToPixels(const TwipsRect& twips, int dpi);

PixelSize AboutClientSize(int dpi);

// The labels hold one line each, sized for a small font; the message font of a
// current system can be wider. Given a font height (LOGFONT's signed pixel height)
// at which the widest caption needs `needed` pixels where `available` are free, the
// next height to try: smaller in proportion, at least one pixel smaller, and never
// below two thirds of originalHeight. Returns height when the caption fits.
int FitFontHeight(int height, int originalHeight, int needed, int available);

} // namespace nowplaying
