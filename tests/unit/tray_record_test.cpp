#include "tray/notify_icon_data.h"
#include "tray/shell_version.h"

#include "tray_fakes.h"
#include "support/named_row.h"

#include <gtest/gtest.h>

#include <array>
#include "tray/overflow_error.h"

namespace nowplaying::tray {
namespace {

using testing::FakeCodePage;
using testing::Repeat;

struct VersionCase : support::NamedRow {
    std::uint32_t packed;
    WindowsVersion expected;
    bool unicode;
    bool balloons;
};

class Versions : public ::testing::TestWithParam<VersionCase> {};

TEST_P(Versions, DecodeAndChooseTheLayout)
{
    const VersionCase& c = GetParam();
    const WindowsVersion v = GetWindowsVersion(c.packed);
    EXPECT_EQ(v.major, c.expected.major);
    EXPECT_EQ(v.minor, c.expected.minor);
    EXPECT_EQ(v.buildLow, c.expected.buildLow);
    EXPECT_EQ(v.buildHigh, c.expected.buildHigh);
    EXPECT_EQ(v.isNt, c.expected.isNt);
    const ShellLayout layout = ChooseShellLayout(v);
    EXPECT_EQ(layout.bUseUnicode, c.unicode);
    EXPECT_EQ(layout.bBalloonSupport, c.balloons);
}

INSTANTIATE_TEST_SUITE_P(
    Tray, Versions,
    ::testing::Values(VersionCase{{"Xp"}, 0x0A280105, {5, 1, 0x28, 0x0A, true}, true, true},
                      VersionCase{{"Seven"}, 0x1DB10106, {6, 1, 0xB1, 0x1D, true}, true, true},
                      VersionCase{{"Nt4"}, 0x05650004, {4, 0, 0x65, 0x05, true}, true, false},
                      VersionCase{{"Nt351"}, 0x04213303, {3, 51, 0x21, 0x04, true}, true, false},
                      VersionCase{{"Me"}, 0xC0005A04, {4, 90, 0x00, 0xC0, false}, false, true},
                      VersionCase{{"Me91"}, 0xC0005B04, {4, 91, 0x00, 0xC0, false}, false, false},
                      VersionCase{{"Nineteen98"}, 0xC0000A04, {4, 10, 0x00, 0xC0, false}, false, false},
                      // The build high byte keeps all eight bits: at least 128 on the 95 family.
                      VersionCase{{"Ninety5"}, 0x83B60004, {4, 0, 0xB6, 0x83, false}, false, false},
                      VersionCase{{"TopBitOnly"}, 0x80FF0004, {4, 0, 0xFF, 0x80, false}, false, false}),
    support::RowName);

struct LayoutCase : support::NamedRow {
    std::size_t handleSize;
    bool unicode;
    // hWnd, uID, uFlags, uCallbackMessage, hIcon, szTip, dwState, dwStateMask, szInfo,
    // uTimeout, szInfoTitle, dwInfoFlags: the platform's offsets.
    std::array<std::size_t, 12> offsets;
    std::size_t v1Size;
    std::size_t v5Size;
};

class Layouts : public ::testing::TestWithParam<LayoutCase> {};

TEST_P(Layouts, FieldsSitAtThePlatformOffsets)
{
    const LayoutCase& c = GetParam();
    const RecordLayout layout = MakeRecordLayout(c.handleSize, c.unicode);
    const std::array<std::size_t, 12> offsets = {
        layout.hWnd.offset,   layout.uID.offset,      layout.uFlags.offset,      layout.uCallbackMessage.offset,
        layout.hIcon.offset,  layout.szTip.offset,    layout.dwState.offset,     layout.dwStateMask.offset,
        layout.szInfo.offset, layout.uTimeout.offset, layout.szInfoTitle.offset, layout.dwInfoFlags.offset};
    EXPECT_EQ(offsets, c.offsets);
    const std::size_t charSize = c.unicode ? 2 : 1;
    EXPECT_EQ(layout.szTip.size, 128 * charSize);
    EXPECT_EQ(layout.szInfo.size, 256 * charSize);
    EXPECT_EQ(layout.szInfoTitle.size, 64 * charSize);
    EXPECT_EQ(NotifyIconDataSize(layout, false), static_cast<std::int32_t>(c.v1Size));
    EXPECT_EQ(NotifyIconDataSize(layout, true), static_cast<std::int32_t>(c.v5Size));
    EXPECT_EQ(NotifyIconRecord(layout).Bytes().size(), c.v5Size);
}

INSTANTIATE_TEST_SUITE_P(
    Tray, Layouts,
    ::testing::Values(
        LayoutCase{{"Ansi32"}, 4, false, {4, 8, 12, 16, 20, 24, 152, 156, 160, 416, 420, 484}, 88, 488},
        LayoutCase{{"Unicode32"}, 4, true, {4, 8, 12, 16, 20, 24, 280, 284, 288, 800, 804, 932}, 152, 936},
        LayoutCase{{"Ansi64"}, 8, false, {8, 16, 20, 24, 32, 40, 168, 172, 176, 432, 436, 500}, 104, 504},
        LayoutCase{{"Unicode64"}, 8, true, {8, 16, 20, 24, 32, 40, 296, 300, 304, 816, 820, 948}, 168, 952}),
    support::RowName);

TEST(TrayRecord, IntegersAreLittleEndianAndHandlesTakeTheHandleSize)
{
    NotifyIconRecord narrow(MakeRecordLayout(4, true));
    narrow.Set(RecordField::hIcon, 0x1122334455667788ull);
    narrow.Set(RecordField::uCallbackMessage, 512);
    EXPECT_EQ(narrow.Get(RecordField::hIcon), 0x55667788u) << "a 32-bit handle keeps its low half";
    const std::vector<std::uint8_t> expected = {0x00, 0x02, 0x00, 0x00, 0x88, 0x77, 0x66, 0x55, 0x00};
    EXPECT_EQ(std::vector<std::uint8_t>(narrow.Bytes().begin() + 16, narrow.Bytes().begin() + 25), expected);

    NotifyIconRecord wide(MakeRecordLayout(8, true));
    wide.Set(RecordField::hIcon, 0x1122334455667788ull);
    EXPECT_EQ(wide.Get(RecordField::hIcon), 0x1122334455667788ull);
    EXPECT_EQ(wide.Bytes()[39], 0x11);
    EXPECT_EQ(wide.Get(RecordField::uCallbackMessage), 0u);
}

TEST(TrayRecord, CharsToBytes)
{
    EXPECT_EQ(CharsToBytes(64, true), 128);
    EXPECT_EQ(CharsToBytes(64, false), 64);
    EXPECT_EQ(CharsToBytes(512, true), 1024);
    EXPECT_EQ(CharsToBytes(0x7FFFFFFF, false), 0x7FFFFFFF);
    EXPECT_THROW(CharsToBytes(0x40000000, true), OverflowError);
}

struct CopyCase : support::NamedRow {
    std::size_t textChars;
    std::size_t n;
    std::size_t keptChars;
};

class CopyStringToBytesBounds : public ::testing::TestWithParam<CopyCase> {};

// Text is 'a', 'b', 'c', ... over a 600-byte destination that starts out full of 0xEE.
TEST_P(CopyStringToBytesBounds, KeepsTextZeroFillsToNAndLeavesTheRest)
{
    const CopyCase& c = GetParam();
    std::u16string text;
    for (std::size_t i = 0; i < c.textChars; ++i) {
        text.push_back(static_cast<char16_t>(u'a' + i % 26));
    }
    std::vector<std::uint8_t> destination(600, 0xEE);
    CopyStringToBytes(text, destination, c.n);
    for (std::size_t i = 0; i < c.keptChars; ++i) {
        ASSERT_EQ(destination[2 * i], 'a' + i % 26) << "byte " << 2 * i;
        ASSERT_EQ(destination[2 * i + 1], 0) << "byte " << 2 * i + 1;
    }
    for (std::size_t i = 2 * c.keptChars; i < c.n; ++i) {
        ASSERT_EQ(destination[i], 0) << "byte " << i;
    }
    for (std::size_t i = c.n; i < destination.size(); ++i) {
        ASSERT_EQ(destination[i], 0xEE) << "byte " << i << " lies beyond n";
    }
}

INSTANTIATE_TEST_SUITE_P(
    Tray, CopyStringToBytesBounds,
    ::testing::Values(CopyCase{{"Abc128"}, 3, 128, 3}, CopyCase{{"Chars63N128"}, 63, 128, 63},
                      CopyCase{{"Chars64N128"}, 64, 128, 63}, CopyCase{{"Chars100N128"}, 100, 128, 63},
                      CopyCase{{"Chars100N256"}, 100, 256, 100}, CopyCase{{"Chars127N256"}, 127, 256, 127},
                      CopyCase{{"Chars200N256"}, 200, 256, 127}, CopyCase{{"Chars300N512"}, 300, 512, 255},
                      CopyCase{{"Chars100N128Title"}, 100, 128, 63}, CopyCase{{"EmptyClears"}, 0, 256, 0},
                      CopyCase{{"NOfOne"}, 5, 1, 0}),
    support::RowName);

TEST(TrayRecord, CopyStringToBytesStaysInsideTheDestination)
{
    std::vector<std::uint8_t> buffer(300, 0xEE);
    CopyStringToBytes(Repeat(u'x', 400), std::span<std::uint8_t>(buffer).first(256), 512);
    EXPECT_EQ(std::vector<std::uint8_t>(buffer.begin() + 252, buffer.begin() + 257),
              (std::vector<std::uint8_t>{'x', 0, 0, 0, 0xEE}));
}

struct AnsiCase : support::NamedRow {
    std::u16string text;
    std::size_t fieldSize;
    bool doubleByte;
    std::string expectedText; // the bytes before the zero
};

class AnsiFields : public ::testing::TestWithParam<AnsiCase> {};

TEST_P(AnsiFields, TextThenOneZeroThenSpaces)
{
    const AnsiCase& c = GetParam();
    FakeCodePage codePage;
    codePage.doubleByte = c.doubleByte;
    std::vector<std::uint8_t> field(c.fieldSize, 0xEE);
    WriteAnsiText(c.text, field, codePage);
    ASSERT_LT(c.expectedText.size(), c.fieldSize);
    EXPECT_EQ(std::string(field.begin(), field.begin() + static_cast<std::ptrdiff_t>(c.expectedText.size())),
              c.expectedText);
    EXPECT_EQ(field[c.expectedText.size()], 0);
    for (std::size_t i = c.expectedText.size() + 1; i < c.fieldSize; ++i) {
        ASSERT_EQ(field[i], ' ') << "byte " << i;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Tray, AnsiFields,
    ::testing::Values(AnsiCase{{"Abc"}, u"abc", 128, false, "abc"}, AnsiCase{{"Empty"}, u"", 128, false, ""},
                      AnsiCase{{"TipCutAt127"}, Repeat(u't', 200), 128, false, std::string(127, 't')},
                      AnsiCase{{"Tip127Fits"}, Repeat(u't', 127), 128, false, std::string(127, 't')},
                      AnsiCase{{"InfoCutAt255"}, Repeat(u'i', 300), 256, false, std::string(255, 'i')},
                      AnsiCase{{"TitleCutAt63"}, Repeat(u'h', 100), 64, false, std::string(63, 'h')},
                      AnsiCase{{"OutsideTheCodePage"}, u"Zo\u00EB \u591C", 128, false, "Zo\xEB ?"},
                      // Two bytes a character: 63 characters fill 126 bytes, the 64th would cover the zero.
                      AnsiCase{{"DoubleByteCutOnACharacter"},
                               Repeat(u'\u3042', 100),
                               128,
                               true,
                               [] {
                                   std::string s;
                                   for (int i = 0; i < 63; ++i) {
                                       s += "\xC4\x42";
                                   }
                                   return s;
                               }()}),
    support::RowName);

TEST(TrayRecord, ReadTextStopsAtTheFirstZero)
{
    FakeCodePage codePage;
    EXPECT_EQ(ReadText(std::vector<std::uint8_t>{'t', 'i', 'p', 0, ' ', ' '}, false, codePage), u"tip");
    EXPECT_EQ(ReadText(std::vector<std::uint8_t>{'t', 0, 0x42, 0x30, 0, 0, 'x', 0}, true, codePage), u"t\u3042");
    EXPECT_EQ(ReadText(std::vector<std::uint8_t>{'a', 0, 'b', 0}, true, codePage), u"ab")
        << "a field without a zero is read whole";
}

} // namespace
} // namespace nowplaying::tray
