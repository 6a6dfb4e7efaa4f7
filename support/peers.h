#pragma once
// The real program and the stand-in peers, each started as its own process, and what
// the stand-in messengers recorded.

#include "desktop.h"
#include "process.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace support {

class StandInPlayer {
public:
    explicit StandInPlayer(const std::wstring& title, const std::wstring& extraArguments = L"");
    // A new caption, set from outside as the user's actions change the player's.
    void SetTitle(const std::wstring& title);
    // Turns the taskbar scroll of the caption on or off.
    void Scroll(bool on);
    // The scroll steps written since the caption was last written plain.
    std::size_t Steps() const;
    void Close();
    HWND Window() const { return m_window; }

private:
    Process m_process;
    HWND m_window = nullptr;
};

struct Received {
    long long arrivalUs;
    std::uint32_t dwData;
    std::uint32_t cbData;
    std::vector<std::uint8_t> bytes;
};

// The song a message carries; nullopt unless its bytes are exactly a now-playing payload.
std::optional<std::wstring> SongOf(const Received& message);

class StandInMessenger {
public:
    explicit StandInMessenger(bool hang = false, const std::wstring& extraArguments = L"");
    std::vector<Received> Messages() const;
    // Waits until at least count messages arrived.
    bool WaitForMessages(std::size_t count, Clock timeout) const;
    HWND Window() const { return m_window; }
    void Kill() { m_process.Kill(); }

private:
    std::wstring m_logPath;
    Process m_process;
    HWND m_window = nullptr;
};

// The program under test. Started Again while it runs already, it is to end without
// a window of its own, so nothing waits for one. showCommand: as Process's.
class NowPlaying {
public:
    enum class Start { Alone, Again };
    explicit NowPlaying(Start start = Start::Alone, std::optional<WORD> showCommand = std::nullopt);
    HWND Window() const { return m_window; }
    Process& process() { return m_process; }

private:
    Process m_process;
    HWND m_window = nullptr;
};

// How most cases begin: the player with a title, a messenger and the program, started
// in that order; Start is true once the first song has arrived.
class PlayerTest : public ::testing::Test {
protected:
    bool Start(const std::wstring& title)
    {
        player.emplace(title);
        messenger.emplace();
        program.emplace();
        return messenger->WaitForMessages(1, kReact);
    }

    std::optional<StandInPlayer> player;
    std::optional<StandInMessenger> messenger;
    std::optional<NowPlaying> program;
};

} // namespace support
