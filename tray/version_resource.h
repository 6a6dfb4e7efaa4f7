#pragma once
// Reads a string of a program's version resource (the VS_VERSIONINFO block, wide
// format) without the platform's version library. Pure logic.

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace nowplaying::tray {

// The value of name in the first string table that has it; empty when the block has
// none or is malformed. Nothing outside versionInfo is read.
std::u16string FindVersionString(std::span<const std::uint8_t> versionInfo, std::u16string_view name);

} // namespace nowplaying::tray
