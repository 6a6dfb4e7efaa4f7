#pragma once
// Reads what a Windows executable's PE header says about its security flags and
// its imports, from the file's bytes.

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace pe {

struct Image {
    bool is64 = false;
    std::uint16_t dllCharacteristics = 0;
    // The COFF header's link time, in seconds since 1970 (0 when the linker wrote none).
    std::uint32_t timeStamp = 0;
    // Imported functions by DLL name (names upper-cased); ordinals as "#n".
    std::map<std::string, std::vector<std::string>> imports;
};

inline constexpr std::uint16_t kHighEntropyVa = 0x0020;
inline constexpr std::uint16_t kDynamicBase = 0x0040;
inline constexpr std::uint16_t kNxCompat = 0x0100;

// The text in upper case, as the DLL names of Image::imports.
std::string Upper(std::string text);

// Empty when the bytes are not a well-formed PE image.
std::optional<Image> Parse(const std::vector<std::uint8_t>& bytes);

} // namespace pe
