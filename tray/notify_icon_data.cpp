#include "notify_icon_data.h"

#include <algorithm>
#include <limits>
#include "tray/overflow_error.h"

namespace nowplaying::tray {

std::int32_t NotifyIconDataSize(const RecordLayout& layout, bool bBalloonSupport)
{
    return static_cast<std::int32_t>(bBalloonSupport ? layout.v5Size : layout.v1Size);
}

std::int32_t CharsToBytes(std::int32_t chars, bool bUseUnicode)
{
    const std::int64_t bytes = static_cast<std::int64_t>(chars) * (bUseUnicode ? 2 : 1);
    if (bytes > std::numeric_limits<std::int32_t>::max() || bytes < std::numeric_limits<std::int32_t>::min()) {
        throw OverflowError("character count too large for a byte count");
    }
    return static_cast<std::int32_t>(bytes);
}

void CopyStringToBytes(std::u16string_view text, std::span<std::uint8_t> destination, std::size_t n)
{
    n = std::min(n, destination.size());
    const std::size_t textBytes = std::min(text.size() * 2, n >= 2 ? n - 2 : 0);
    for (std::size_t i = 0; i < textBytes; ++i) {
        const char16_t unit = text[i / 2];
        destination[i] = static_cast<std::uint8_t>(i % 2 == 0 ? unit & 0xFF : unit >> 8);
    }
    std::fill(destination.begin() + static_cast<std::ptrdiff_t>(textBytes),
              destination.begin() + static_cast<std::ptrdiff_t>(n), std::uint8_t{0});
}

void WriteAnsiText(std::u16string_view text, std::span<std::uint8_t> field, const AnsiCodePage& codePage)
{
    if (field.empty()) {
        return;
    }
    const std::size_t room = field.size() - 1;
    text = text.substr(0, std::min(text.size(), room));
    // A double-byte code page can need more bytes than characters.
    std::string bytes = codePage.ToAnsi(text);
    while (bytes.size() > room) {
        text.remove_suffix(1);
        bytes = codePage.ToAnsi(text);
    }
    std::copy(bytes.begin(), bytes.end(), field.begin());
    field[bytes.size()] = 0;
    std::fill(field.begin() + static_cast<std::ptrdiff_t>(bytes.size()) + 1, field.end(), std::uint8_t{' '});
}

std::u16string ReadText(std::span<const std::uint8_t> field, bool unicode, const AnsiCodePage& codePage)
{
    if (!unicode) {
        const auto zero = std::find(field.begin(), field.end(), std::uint8_t{0});
        return codePage.FromAnsi(std::string(field.begin(), zero));
    }
    std::u16string text;
    for (std::size_t i = 0; i + 1 < field.size(); i += 2) {
        const auto unit = static_cast<char16_t>(field[i] | (field[i + 1] << 8));
        if (unit == 0) {
            break;
        }
        text.push_back(unit);
    }
    return text;
}

std::uint64_t NotifyIconRecord::Get(RecordField field) const
{
    const FieldSpan span = m_layout.Of(field);
    std::uint64_t value = 0;
    for (std::size_t i = span.size; i-- > 0;) {
        value = (value << 8) | m_bytes[span.offset + i];
    }
    return value;
}

void NotifyIconRecord::Set(RecordField field, std::uint64_t value)
{
    const FieldSpan span = m_layout.Of(field);
    for (std::size_t i = 0; i < span.size; ++i) {
        m_bytes[span.offset + i] = static_cast<std::uint8_t>(value >> (8 * i));
    }
}

std::span<std::uint8_t> NotifyIconRecord::Text(TextField field)
{
    const FieldSpan span = m_layout.Of(field);
    return std::span<std::uint8_t>(m_bytes).subspan(span.offset, span.size);
}

std::span<const std::uint8_t> NotifyIconRecord::Text(TextField field) const
{
    const FieldSpan span = m_layout.Of(field);
    return std::span<const std::uint8_t>(m_bytes).subspan(span.offset, span.size);
}

} // namespace nowplaying::tray
