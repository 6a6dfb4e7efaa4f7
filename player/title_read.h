#pragma once
// Reading one window title with as few system calls as it takes. Pure logic over the
// platform's two title calls, in either character type: UTF-16 on the NT family, the
// ANSI code page's bytes on the 95 family.

#include "player/window_scan.h"

#include <climits>
#include <cstddef>
#include <string>

namespace nowplaying {

template <typename Char>
class TitleCalls {
public:
    // GetWindowText: copies at most capacity - 1 characters and a terminator into
    // buffer; returns the number copied, 0 for none.
    virtual int CopyTitle(WindowHandle h, Char* buffer, int capacity) = 0;
    // GetWindowTextLength.
    virtual int TitleLength(WindowHandle h) = 0;

protected:
    ~TitleCalls() = default;
};

// What the buffer holds before its first read: room for nearly every title.
inline constexpr std::size_t TITLE_BUFFER_CHARS = 512;
inline constexpr int TITLE_READ_ATTEMPTS = 3;

// Reads h's title into the front of buffer, which keeps its size from one read to
// the next, and returns its length; 0 for an empty or unreadable title. One copy
// does it while the title fits. Only a copy that fills the buffer asks for the
// length, then reads with one character more than that: a copy that fills this
// too means the title grew meanwhile, and it is read again rather than taken cut.
template <typename Char>
std::size_t ReadWholeTitle(TitleCalls<Char>& calls, WindowHandle h, std::basic_string<Char>& buffer)
{
    if (buffer.size() < TITLE_BUFFER_CHARS) {
        buffer.resize(TITLE_BUFFER_CHARS);
    }
    const int capacity = static_cast<int>(buffer.size());
    const int copied = calls.CopyTitle(h, buffer.data(), capacity);
    if (copied < capacity - 1) {
        return copied > 0 ? static_cast<std::size_t>(copied) : 0;
    }
    for (int attempt = 0; attempt < TITLE_READ_ATTEMPTS; ++attempt) {
        const int length = calls.TitleLength(h);
        if (length <= 0 || length > INT_MAX - 2) {
            return 0;
        }
        const std::size_t room = static_cast<std::size_t>(length) + 2;
        if (buffer.size() < room) {
            buffer.resize(room);
        }
        const int whole = calls.CopyTitle(h, buffer.data(), length + 2);
        if (whole <= length) {
            return whole > 0 ? static_cast<std::size_t>(whole) : 0;
        }
    }
    return 0;
}

} // namespace nowplaying
