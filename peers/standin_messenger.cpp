// Stand-in for the messenger: a visible window of the messenger's class that
// records every WM_COPYDATA it receives and shows the last song it decoded.
//
//   standin_messenger.exe [--log FILE] [--print] [--hang] [--hang-after S --hang-for MS]
//
// --log   appends "<us> ready <hwnd>" once, then per message a line
//         "<arrival us> msg <dwData> <cbData> <payload bytes in hex>", stamped with
//         QueryPerformanceCounter's microseconds, which every process shares.
// --print writes each decoded song to standard output, for the demo.
// --hang  never returns from the WM_COPYDATA handler: a hung receiver.
// --hang-after S --hang-for MS
//         the first message after S seconds is held MS milliseconds: a receiver
//         that hangs for a while and then recovers.

#include "peers/peer_window.h"
#include "support/clock.h"
#include "support/command_line.h"
#include "support/log.h"
#include "support/payload.h"

#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <span>
#include <string>

namespace {

constexpr char16_t kClass[] = u"MsnMsgrUIManager";
constexpr int kSongLabelId = 100;

const support::LogWriter* g_log = nullptr;
bool g_print = false;
bool g_hang = false;
long long g_hangAfterUs = -1;
DWORD g_hangForMs = 0;
long long g_startUs = 0;

// The song of a now-playing payload, or a note that the message was something else.
std::u16string DecodeSong(const void* bytes, std::size_t size)
{
    const auto song = support::DecodeNowPlaying(
        std::span<const std::uint8_t>(static_cast<const std::uint8_t*>(bytes), bytes != nullptr ? size : 0));
    return song ? *song : u"(not a now-playing message)";
}

// Every script as it is, whatever the system's code pages: the text itself to a
// console, which would read the C runtime's bytes in its own code page, and UTF-8
// bytes to a file or a pipe.
void PrintLine(const std::wstring& line)
{
    const HANDLE out = GetStdHandle(STD_OUTPUT_HANDLE);
    DWORD mode = 0;
    DWORD written = 0;
    if (GetConsoleMode(out, &mode)) {
        WriteConsoleW(out, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
    } else {
        const std::string bytes = support::ToUtf8({reinterpret_cast<const char16_t*>(line.data()), line.size()});
        WriteFile(out, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    }
}

void OnCopyData(HWND hWnd, const COPYDATASTRUCT& data)
{
    const long long arrival = support::NowMicroseconds();
    std::string line = "msg " + std::to_string(data.dwData) + " " + std::to_string(data.cbData) + " ";
    const auto* bytes = static_cast<const unsigned char*>(data.lpData);
    static const char hex[] = "0123456789abcdef";
    for (DWORD i = 0; bytes != nullptr && i < data.cbData; ++i) {
        line += hex[bytes[i] >> 4];
        line += hex[bytes[i] & 15];
    }
    g_log->Write(line, arrival);

    const std::u16string song = DecodeSong(data.lpData, data.cbData);
    SetDlgItemTextW(hWnd, kSongLabelId, (L"Now playing: " + std::wstring(song.begin(), song.end())).c_str());
    if (g_print) {
        PrintLine(L"stand-in messenger received (id " + std::to_wstring(data.dwData) + L", " +
                  std::to_wstring(data.cbData) + L" bytes): " + std::wstring(song.begin(), song.end()) + L"\n");
    }
    while (g_hang) {
        Sleep(1000);
    }
    if (g_hangAfterUs >= 0 && arrival - g_startUs >= g_hangAfterUs) {
        g_hangAfterUs = -1;
        Sleep(g_hangForMs);
    }
}

class StandInMessenger final : public peers::PeerWindow {
public:
    StandInMessenger() : PeerWindow(kClass, COLOR_BTNFACE) {}

private:
    LRESULT OnMessage(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam) override
    {
        if (message == WM_COPYDATA) {
            OnCopyData(hWnd, *reinterpret_cast<const COPYDATASTRUCT*>(lParam));
            return TRUE;
        }
        return PeerWindow::OnMessage(hWnd, message, wParam, lParam);
    }
};

} // namespace

int wmain()
{
    HINSTANCE instance = GetModuleHandleW(nullptr);
    const support::CommandLine args;
    g_print = args.Has(L"--print");
    g_hang = args.Has(L"--hang");
    g_startUs = support::NowMicroseconds();
    if (args.Int(L"--hang-for", 0) > 0) {
        g_hangAfterUs = static_cast<long long>(args.Int(L"--hang-after", 0)) * 1000000;
        g_hangForMs = static_cast<DWORD>(args.Int(L"--hang-for", 0));
    }
    const support::LogWriter log(args.Value(L"--log", L""));
    g_log = &log;

    StandInMessenger messenger;
    if (!messenger.Create(L"Stand-in messenger", 40, 160)) {
        return 1;
    }
    HWND hWnd = messenger.Handle();
    CreateWindowExW(0, L"STATIC", L"Now playing: (nothing received yet)",
                    WS_CHILD | WS_VISIBLE | SS_CENTER | SS_NOPREFIX, 8, 16, 528, 20, hWnd,
                    reinterpret_cast<HMENU>(static_cast<INT_PTR>(kSongLabelId)), instance, nullptr);
    char ready[64];
    std::snprintf(ready, sizeof ready, "ready %llx", static_cast<unsigned long long>(reinterpret_cast<UINT_PTR>(hWnd)));
    log.Write(ready);

    StandInMessenger::RunMessageLoop();
    return 0;
}
