#include "tray/version_resource.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <numeric>
#include <string>
#include <vector>

namespace nowplaying::tray {
namespace {

using Bytes = std::vector<std::uint8_t>;

void PutWord(Bytes& bytes, std::size_t value)
{
    bytes.push_back(static_cast<std::uint8_t>(value & 0xFF));
    bytes.push_back(static_cast<std::uint8_t>((value >> 8) & 0xFF));
}

void PadTo4(Bytes& bytes)
{
    while (bytes.size() % 4 != 0) {
        bytes.push_back(0);
    }
}

// A node as the resource compiler lays it out: wLength (without trailing padding),
// wValueLength (characters for text, bytes otherwise), wType, the key, the value
// and the children, each on a 4-byte boundary.
Bytes Node(std::u16string_view key, const Bytes& value, std::size_t valueLength, bool text,
           const std::vector<Bytes>& children = {})
{
    Bytes bytes;
    PutWord(bytes, 0);
    PutWord(bytes, valueLength);
    PutWord(bytes, text ? 1 : 0);
    for (char16_t c : key) {
        PutWord(bytes, c);
    }
    PutWord(bytes, 0);
    PadTo4(bytes);
    bytes.insert(bytes.end(), value.begin(), value.end());
    for (const Bytes& child : children) {
        PadTo4(bytes);
        bytes.insert(bytes.end(), child.begin(), child.end());
    }
    bytes[0] = static_cast<std::uint8_t>(bytes.size() & 0xFF);
    bytes[1] = static_cast<std::uint8_t>(bytes.size() >> 8);
    return bytes;
}

Bytes String(std::u16string_view key, std::u16string_view text)
{
    Bytes value;
    for (char16_t c : text) {
        PutWord(value, c);
    }
    PutWord(value, 0);
    return Node(key, value, text.size() + 1, true);
}

Bytes VersionInfo(const std::vector<Bytes>& tables)
{
    const Bytes fixedFileInfo(52, 0xAB);
    return Node(u"VS_VERSION_INFO", fixedFileInfo, fixedFileInfo.size(), false,
                {Node(u"StringFileInfo", {}, 0, true, tables),
                 Node(u"VarFileInfo", {}, 0, true, {Node(u"Translation", {0x09, 0x04, 0xB0, 0x04}, 4, false)})});
}

TEST(VersionResource, FindsTheFileDescription)
{
    const Bytes block =
        VersionInfo({Node(u"040904b0", {}, 0, true,
                          {String(u"FileVersion", u"1.0.0.0"), String(u"FileDescription", u"nowplaying tray test host"),
                           String(u"Comments", u"x")})});
    EXPECT_EQ(FindVersionString(block, u"FileDescription"), u"nowplaying tray test host");
    EXPECT_EQ(FindVersionString(block, u"FileVersion"), u"1.0.0.0");
    EXPECT_EQ(FindVersionString(block, u"Comments"), u"x");
}

TEST(VersionResource, NoDescriptionIsEmpty)
{
    const Bytes block =
        VersionInfo({Node(u"040904B0", {}, 0, true,
                          {String(u"ProductName", u"nowplaying"), String(u"OriginalFilename", u"nowplaying.exe")})});
    EXPECT_EQ(FindVersionString(block, u"FileDescription"), u"");
    EXPECT_EQ(FindVersionString(block, u"ProductName"), u"nowplaying");
}

TEST(VersionResource, LaterStringTablesAreSearched)
{
    const Bytes block = VersionInfo({Node(u"040704b0", {}, 0, true, {String(u"ProductName", u"a")}),
                                     Node(u"040904b0", {}, 0, true, {String(u"FileDescription", u"second")})});
    EXPECT_EQ(FindVersionString(block, u"FileDescription"), u"second");
}

TEST(VersionResource, MalformedBlocksYieldNothing)
{
    const Bytes block = VersionInfo({Node(u"040904b0", {}, 0, true, {String(u"FileDescription", u"description")})});
    for (std::size_t size = 0; size < block.size(); ++size) {
        const Bytes cut(block.begin(), block.begin() + static_cast<std::ptrdiff_t>(size));
        ASSERT_EQ(FindVersionString(cut, u"FileDescription"), u"") << "cut to " << size << " bytes";
    }
    // One word overwritten anywhere: the lengths may now point past the block. The
    // result is nothing, or the description with at most that one unit changed or added.
    for (std::size_t offset = 0; offset + 1 < block.size(); offset += 2) {
        for (std::uint8_t low : {0x00, 0x02, 0xFF}) {
            Bytes corrupt = block;
            corrupt[offset] = low;
            corrupt[offset + 1] = 0xFF;
            const std::u16string found = FindVersionString(corrupt, u"FileDescription");
            if (!found.empty()) {
                // An overwritten terminator lets the unit itself follow the description.
                const std::u16string expected = u"description";
                ASSERT_TRUE(found.size() == 11u || found.size() == 12u) << "word at " << offset;
                const std::size_t changed = std::inner_product(expected.begin(), expected.end(), found.begin(),
                                                               found.size() - 11, std::plus<>(), std::not_equal_to<>());
                ASSERT_LE(changed, 1u) << "word at " << offset;
            }
        }
    }
    Bytes wrongRoot = block;
    wrongRoot[6] = 'X';
    EXPECT_EQ(FindVersionString(wrongRoot, u"FileDescription"), u"");
}

} // namespace
} // namespace nowplaying::tray
