#include "about_layout.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>

namespace nowplaying {

int TwipsToPixels(int twips, int dpi)
{
    const std::int64_t product = static_cast<std::int64_t>(twips) * dpi;
    const std::int64_t half = TWIPS_PER_INCH / 2;
    return static_cast<int>(product >= 0 ? (product + half) / TWIPS_PER_INCH : (product - half) / TWIPS_PER_INCH);
}

PixelRect ToPixels(const TwipsRect& twips, int dpi)
{
    return {TwipsToPixels(twips.left, dpi), TwipsToPixels(twips.top, dpi), TwipsToPixels(twips.left + twips.width, dpi),
            TwipsToPixels(twips.top + twips.height, dpi)};
}

PixelSize AboutClientSize(int dpi)
{
    const PixelRect client = ToPixels(ABOUT_CLIENT_TWIPS, dpi);
    return {client.Width(), client.Height()};
}

int FitFontHeight(int height, int originalHeight, int needed, int available)
{
    if (needed <= available || needed <= 0) {
        return height;
    }
    const int magnitude = std::abs(height);
    const int smallest = (std::abs(originalHeight) * 2 + 2) / 3;
    const int proportional = static_cast<int>(static_cast<std::int64_t>(magnitude) * std::max(available, 0) / needed);
    const int next = std::max(smallest, std::min(magnitude - 1, proportional));
    return height < 0 ? -next : next;
}

} // namespace nowplaying
