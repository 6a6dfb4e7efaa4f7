#pragma once
// The platform's notification-icon record (NOTIFYICONDATA up to dwInfoFlags) as a
// byte image, in its ANSI and Unicode layouts, for 4- or 8-byte handles, and the
// rules for writing text into its fixed-size fields. Pure logic.

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace nowplaying::tray {

enum class RecordField {
    cbSize,
    hWnd,
    uID,
    uFlags,
    uCallbackMessage,
    hIcon,
    dwState,
    dwStateMask,
    uTimeout,
    dwInfoFlags
};
enum class TextField { szTip, szInfo, szInfoTitle };

// uFlags bits, the shell messages the component sends and the callback version
// (the shell header spells them NIF_*, NIM_* and NOTIFYICON_VERSION, as macros).
inline constexpr std::uint32_t FLAG_MESSAGE = 1;
inline constexpr std::uint32_t FLAG_ICON = 2;
inline constexpr std::uint32_t FLAG_TIP = 4;
inline constexpr std::uint32_t FLAG_INFO = 16;
inline constexpr std::uint32_t NOTIFY_ADD = 0;
inline constexpr std::uint32_t NOTIFY_MODIFY = 1;
inline constexpr std::uint32_t NOTIFY_DELETE = 2;
inline constexpr std::uint32_t NOTIFY_SETFOCUS = 3;
inline constexpr std::uint32_t NOTIFY_SETVERSION = 4;
inline constexpr std::uint32_t NOTIFY_VERSION_3 = 3;

// Character counts of the text fields; bytes are twice as many in the Unicode layout.
inline constexpr std::int32_t TIP_CHARS = 128;
inline constexpr std::int32_t OLD_TIP_CHARS = 64;
inline constexpr std::int32_t INFO_CHARS = 256;
inline constexpr std::int32_t INFO_TITLE_CHARS = 64;

struct FieldSpan {
    std::size_t offset = 0;
    std::size_t size = 0;
    constexpr std::size_t end() const { return offset + size; }
};

struct RecordLayout {
    std::size_t handleSize = 4;
    bool unicode = false;
    FieldSpan cbSize, hWnd, uID, uFlags, uCallbackMessage, hIcon, szTip, dwState, dwStateMask, szInfo, uTimeout,
        szInfoTitle, dwInfoFlags;
    // What shells without balloons read: up to the 64th character of szTip.
    std::size_t v1Size = 0;
    // The balloon-capable record: up to and including dwInfoFlags.
    std::size_t v5Size = 0;

    constexpr FieldSpan Of(RecordField field) const
    {
        switch (field) {
        case RecordField::cbSize: return cbSize;
        case RecordField::hWnd: return hWnd;
        case RecordField::uID: return uID;
        case RecordField::uFlags: return uFlags;
        case RecordField::uCallbackMessage: return uCallbackMessage;
        case RecordField::hIcon: return hIcon;
        case RecordField::dwState: return dwState;
        case RecordField::dwStateMask: return dwStateMask;
        case RecordField::uTimeout: return uTimeout;
        case RecordField::dwInfoFlags: return dwInfoFlags;
        }
        return {};
    }
    constexpr FieldSpan Of(TextField field) const
    {
        switch (field) {
        case TextField::szTip: return szTip;
        case TextField::szInfo: return szInfo;
        case TextField::szInfoTitle: return szInfoTitle;
        }
        return {};
    }
};

// The C layout rules: each field at the next multiple of its own size (4 for the
// 32-bit integers, the handle size for handles, the character size for text).
constexpr RecordLayout MakeRecordLayout(std::size_t handleSize, bool unicode)
{
    const std::size_t charSize = unicode ? 2 : 1;
    std::size_t next = 0;
    auto place = [&next](std::size_t size, std::size_t alignment) {
        next = (next + alignment - 1) / alignment * alignment;
        const FieldSpan span{next, size};
        next += size;
        return span;
    };
    RecordLayout layout;
    layout.handleSize = handleSize;
    layout.unicode = unicode;
    layout.cbSize = place(4, 4);
    layout.hWnd = place(handleSize, handleSize);
    layout.uID = place(4, 4);
    layout.uFlags = place(4, 4);
    layout.uCallbackMessage = place(4, 4);
    layout.hIcon = place(handleSize, handleSize);
    layout.szTip = place(TIP_CHARS * charSize, charSize);
    layout.dwState = place(4, 4);
    layout.dwStateMask = place(4, 4);
    layout.szInfo = place(INFO_CHARS * charSize, charSize);
    layout.uTimeout = place(4, 4);
    layout.szInfoTitle = place(INFO_TITLE_CHARS * charSize, charSize);
    layout.dwInfoFlags = place(4, 4);
    layout.v1Size = layout.szTip.offset + OLD_TIP_CHARS * charSize;
    layout.v5Size = layout.dwInfoFlags.end();
    return layout;
}

// The size announced in cbSize: 88, 152, 488 or 936 with 4-byte handles.
std::int32_t NotifyIconDataSize(const RecordLayout& layout, bool bBalloonSupport);

// Bytes taken by a character count in the layout; OverflowError beyond 32 bits.
std::int32_t CharsToBytes(std::int32_t chars, bool bUseUnicode);

// Writes the UTF-16LE text into destination[0, n): the first min(2 * length, n - 2)
// bytes are text and the rest up to n - 1 is zero, so a zero code unit always ends
// it. An empty text clears the n bytes. Bytes from n on are left alone; n is
// bounded by the destination's size.
void CopyStringToBytes(std::u16string_view text, std::span<std::uint8_t> destination, std::size_t n);

// The system's ANSI code page, injected so that the packing runs without Windows.
class AnsiCodePage {
public:
    virtual ~AnsiCodePage() = default;
    virtual std::string ToAnsi(std::u16string_view text) const = 0;
    virtual std::u16string FromAnsi(std::string_view bytes) const = 0;
};

// The ANSI field rule: the text cut to one character less than the field, then one
// zero, then spaces to the end of the field. The text is cut further, on a
// character boundary, when its converted bytes would not leave room for the zero.
void WriteAnsiText(std::u16string_view text, std::span<std::uint8_t> field, const AnsiCodePage& codePage);

// The text of a field up to its first zero character (the whole field without one).
std::u16string ReadText(std::span<const std::uint8_t> field, bool unicode, const AnsiCodePage& codePage);

class NotifyIconRecord {
public:
    explicit NotifyIconRecord(const RecordLayout& layout) : m_layout(layout), m_bytes(layout.v5Size, 0) {}

    const RecordLayout& Layout() const { return m_layout; }
    // Little-endian integers; a handle takes the layout's handle size.
    std::uint64_t Get(RecordField field) const;
    void Set(RecordField field, std::uint64_t value);
    std::span<std::uint8_t> Text(TextField field);
    std::span<const std::uint8_t> Text(TextField field) const;
    const std::vector<std::uint8_t>& Bytes() const { return m_bytes; }

private:
    RecordLayout m_layout;
    std::vector<std::uint8_t> m_bytes;
};

} // namespace nowplaying::tray
