// Writes arbitrary texts into the notification-icon record's text fields, in both
// layouts and with any byte count, and checks the packing rules and the bounds:
// AddressSanitizer catches a write past a field, the checks a wrong packing.

#include "support/payload.h"
#include "tests/unit/tray_fakes.h"
#include "tray/notify_icon_data.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

using namespace nowplaying::tray;

void Check(bool condition)
{
    if (!condition) {
        std::abort();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < 3) {
        return 0;
    }
    const std::size_t handleSize = (data[0] & 1) != 0 ? 8 : 4;
    const bool unicode = (data[0] & 2) != 0;
    const auto field = static_cast<TextField>((data[0] >> 2) % 3);
    const RecordLayout layout = MakeRecordLayout(handleSize, unicode);
    const std::size_t fieldSize = layout.Of(field).size;
    const std::size_t n = (static_cast<std::size_t>(data[1]) << 2) % (fieldSize * 2 + 1);
    const std::u16string text = support::FromUtf16Le({data + 2, size - 2});

    // Exactly the field's bytes on the heap, behind a sentinel-filled copy to compare.
    std::vector<std::uint8_t> bytes(fieldSize, 0xA5);
    CopyStringToBytes(text, bytes, n);
    const std::size_t written = std::min(n, fieldSize);
    if (written >= 2) {
        const std::size_t textBytes = std::min(text.size() * 2, written - 2);
        for (std::size_t i = 0; i < written; ++i) {
            const std::uint8_t expected =
                i < textBytes ? static_cast<std::uint8_t>(text[i / 2] >> (8 * (i % 2))) : std::uint8_t{0};
            Check(bytes[i] == expected);
        }
    }
    for (std::size_t i = written; i < fieldSize; ++i) {
        Check(bytes[i] == 0xA5);
    }

    // Cuts must fall on character boundaries.
    nowplaying::tray::testing::FakeCodePage codePage;
    codePage.doubleByte = true;
    std::vector<std::uint8_t> ansi(MakeRecordLayout(handleSize, false).Of(field).size, 0xA5);
    WriteAnsiText(text, ansi, codePage);
    // The field ends in one zero and spaces; the text before that zero (which may hold
    // zeros of its own) is a whole-character prefix of the text as the code page
    // renders it, and what is read back stops at its first zero.
    std::size_t end = ansi.size();
    while (end > 0 && ansi[end - 1] == ' ') {
        --end;
    }
    Check(end > 0 && ansi[end - 1] == 0);
    const std::string written8(ansi.begin(), ansi.begin() + static_cast<std::ptrdiff_t>(end - 1));
    const std::u16string stored = codePage.FromAnsi(written8);
    const std::u16string full = codePage.FromAnsi(codePage.ToAnsi(text));
    Check(full.compare(0, stored.size(), stored) == 0);
    const std::u16string back = ReadText(ansi, false, codePage);
    Check(stored.compare(0, back.size(), back) == 0);
    return 0;
}
