#include "pe_image.h"

#include <algorithm>
#include <cctype>

namespace pe {
namespace {

class Reader {
public:
    explicit Reader(const std::vector<std::uint8_t>& bytes) : m_bytes(bytes) {}

    bool Has(std::size_t offset, std::size_t size) const
    {
        return offset <= m_bytes.size() && size <= m_bytes.size() - offset;
    }
    std::uint64_t Read(std::size_t offset, std::size_t size) const
    {
        std::uint64_t value = 0;
        for (std::size_t i = size; i-- > 0;) {
            value = (value << 8) | m_bytes[offset + i];
        }
        return value;
    }
    std::uint32_t U32(std::size_t offset) const { return static_cast<std::uint32_t>(Read(offset, 4)); }
    std::optional<std::string> String(std::size_t offset) const
    {
        const auto begin = m_bytes.begin() + static_cast<std::ptrdiff_t>(std::min(offset, m_bytes.size()));
        const auto end = std::find(begin, m_bytes.end(), 0);
        return end == m_bytes.end() ? std::nullopt : std::optional<std::string>(std::in_place, begin, end);
    }

private:
    const std::vector<std::uint8_t>& m_bytes;
};

struct Section {
    std::uint32_t virtualAddress;
    std::uint32_t virtualSize;
    std::uint32_t rawOffset;
    std::uint32_t rawSize;
};

std::optional<std::size_t> FileOffset(const std::vector<Section>& sections, std::uint64_t rva)
{
    for (const Section& s : sections) {
        const std::uint32_t size = std::max(s.virtualSize, s.rawSize);
        if (rva >= s.virtualAddress && rva < static_cast<std::uint64_t>(s.virtualAddress) + size) {
            const std::uint64_t offset = rva - s.virtualAddress;
            return offset < s.rawSize ? std::optional<std::size_t>(s.rawOffset + offset) : std::nullopt;
        }
    }
    return std::nullopt;
}

} // namespace

std::string Upper(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    return text;
}

std::optional<Image> Parse(const std::vector<std::uint8_t>& bytes)
{
    const Reader r(bytes);
    if (!r.Has(0, 64) || r.Read(0, 2) != 0x5A4D) { // "MZ"
        return std::nullopt;
    }
    const std::size_t peOffset = r.Read(0x3C, 4);
    if (!r.Has(peOffset, 24) || r.Read(peOffset, 4) != 0x4550) { // "PE\0\0"
        return std::nullopt;
    }
    const std::size_t coff = peOffset + 4;
    const std::size_t sectionCount = r.Read(coff + 2, 2);
    const std::size_t optionalSize = r.Read(coff + 16, 2);
    const std::size_t optional = coff + 20;
    if (!r.Has(optional, optionalSize) || optionalSize < 2) {
        return std::nullopt;
    }
    Image image;
    const auto magic = r.Read(optional, 2);
    if (magic != 0x10B && magic != 0x20B) {
        return std::nullopt;
    }
    image.is64 = magic == 0x20B;
    image.timeStamp = r.U32(coff + 4);
    const std::size_t directories = optional + (image.is64 ? 112 : 96);
    if (optionalSize < (directories - optional) + 16) {
        return std::nullopt;
    }
    image.dllCharacteristics = static_cast<std::uint16_t>(r.Read(optional + 70, 2));
    const std::uint64_t importRva = r.Read(directories + 8, 4);

    std::vector<Section> sections;
    const std::size_t table = optional + optionalSize;
    for (std::size_t i = 0; i < sectionCount; ++i) {
        const std::size_t at = table + i * 40;
        if (!r.Has(at, 40)) {
            return std::nullopt;
        }
        sections.push_back({r.U32(at + 12), r.U32(at + 8), r.U32(at + 20), r.U32(at + 16)});
    }
    if (importRva == 0) {
        return image;
    }
    const std::size_t thunkSize = image.is64 ? 8 : 4;
    const std::uint64_t ordinalFlag = image.is64 ? 0x8000000000000000ull : 0x80000000ull;
    for (auto descriptor = FileOffset(sections, importRva); descriptor && r.Has(*descriptor, 20); *descriptor += 20) {
        const std::uint64_t lookupRva = r.Read(*descriptor, 4);
        const std::uint64_t nameRva = r.Read(*descriptor + 12, 4);
        const std::uint64_t addressRva = r.Read(*descriptor + 16, 4);
        if (nameRva == 0) {
            break;
        }
        const auto nameAt = FileOffset(sections, nameRva);
        const auto dll = nameAt ? r.String(*nameAt) : std::nullopt;
        auto thunk = FileOffset(sections, lookupRva != 0 ? lookupRva : addressRva);
        if (!dll || !thunk) {
            return std::nullopt;
        }
        auto& functions = image.imports[Upper(*dll)];
        for (; r.Has(*thunk, thunkSize); *thunk += thunkSize) {
            const std::uint64_t entry = r.Read(*thunk, thunkSize);
            if (entry == 0) {
                break;
            }
            if ((entry & ordinalFlag) != 0) {
                functions.push_back("#" + std::to_string(entry & 0xFFFF));
                continue;
            }
            const auto hintAt = FileOffset(sections, entry & 0x7FFFFFFF);
            const auto function = hintAt ? r.String(*hintAt + 2) : std::nullopt;
            if (!function) {
                return std::nullopt;
            }
            functions.push_back(*function);
        }
    }
    return image;
}

} // namespace pe
