#pragma once
// The text logs of a test run: the stand-in messenger and the tray test host write
// them with LogWriter while the tests read them with ReadLog; the probe and the
// launcher write lines of the same shape. A line is words separated by white space; a
// stamped line starts with the microseconds of the shared clock and its kind.
// LogWriter is header-only, for programs that do not link the support library.

#include "clock.h"
#include "win32/api.h"
#include "win32/unique_handle.h"

#include <windows.h>

#include <string>
#include <string_view>
#include <vector>

namespace support {

using LogLine = std::vector<std::string>;

// Every non-empty line of the file, split into words; nothing when it does not exist yet.
std::vector<LogLine> ReadLog(const std::wstring& path);

struct LogEntry {
    long long us;
    std::string kind;
    std::vector<std::string> fields;
};

// The stamped lines of a log, in order.
std::vector<LogEntry> ReadStampedLog(const std::wstring& path);

inline std::string ToUtf8(std::u16string_view text)
{
    const auto* wide = reinterpret_cast<const wchar_t*>(text.data());
    const int size = WideCharToMultiByte(CP_UTF8, 0, wide, static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<std::size_t>(size > 0 ? size : 0), '\0');
    WideCharToMultiByte(CP_UTF8, 0, wide, static_cast<int>(text.size()), out.data(), size, nullptr, nullptr);
    return out;
}

// Appends stamped lines, each in one write, so that a reader never sees half a line.
// The file is opened through the ANSI function, which the 95 family has too, and
// shared, so that the tests read it while it grows. Without a path it writes nothing.
class LogWriter {
public:
    explicit LogWriter(const std::wstring& path)
    {
        if (!path.empty()) {
            const std::string ansi =
                nowplaying::win32::ToAnsi({reinterpret_cast<const char16_t*>(path.data()), path.size()});
            const HANDLE file = CreateFileA(ansi.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                            OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
            m_file.reset(file != INVALID_HANDLE_VALUE ? file : nullptr);
        }
    }

    // kindAndFields: "kind field...". us: when it happened, now by default.
    void Write(const std::string& kindAndFields, long long us = NowMicroseconds()) const
    {
        const std::string line = std::to_string(us) + " " + kindAndFields + "\n";
        DWORD written = 0;
        if (m_file) {
            WriteFile(m_file.get(), line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
        }
    }

private:
    nowplaying::win32::UniqueKernelHandle m_file;
};

} // namespace support
