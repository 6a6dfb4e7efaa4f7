#pragma once
// Reading one window title with as few system calls as it takes. Pure logic over the
// platform's two title calls.

#include "player/window_scan.h"

#include <string>

namespace nowplaying {

class TitleCalls {
public:
    // GetWindowText: reads at most capacity - 1 characters of h's title into title,
    // as UTF-16, and returns how many the system copied (0 for none), counted as
    // TitleLength counts; capacity - 1 means that the title may have been cut.
    virtual int CopyTitle(NativeHandle h, std::u16string& title, int capacity) = 0;
    // GetWindowTextLength.
    virtual int TitleLength(NativeHandle h) = 0;

protected:
    ~TitleCalls() = default;
};

// Reads titles with one copy each while they fit the capacity it keeps from one read
// to the next. Only a copy that fills it asks for the length, then reads with one
// character more than that: a copy that fills this too means the title grew
// meanwhile, and it is read again rather than taken cut.
class TitleReader {
public:
    // Where the capacity starts, room for nearly every title, and how far a longer
    // title raises it: one very long title must not make every later read clear a
    // buffer of its size.
    static constexpr int FIRST_CAPACITY = 512;
    static constexpr int MAX_CAPACITY = 4096;
    static constexpr int READ_ATTEMPTS = 3;

    // Reads h's title into title, reusing its storage, and returns its length in
    // UTF-16 units; 0, with title empty, for an empty or unreadable title.
    std::size_t Read(TitleCalls& calls, NativeHandle h, std::u16string& title);

private:
    int m_capacity = FIRST_CAPACITY;
};

} // namespace nowplaying
