#include "peers.h"

#include "log.h"
#include "payload.h"
#include "peers/standin_player.h"

#include <gtest/gtest.h>

namespace support {

StandInPlayer::StandInPlayer(const std::wstring& title, const std::wstring& extraArguments)
    : m_process(L"standin_player.exe", L"--title \"" + title + L"\" " + extraArguments)
{
    m_window = FindProcessWindow(m_process, L"nowplaying.StandInPlayer", kAppear);
    EXPECT_NE(m_window, nullptr) << "the stand-in player's window did not appear";
}

void StandInPlayer::SetTitle(const std::wstring& title)
{
    DWORD_PTR result = 0;
    SendMessageTimeoutW(m_window, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(title.c_str()), SMTO_ABORTIFHUNG, 2000,
                        &result);
}

void StandInPlayer::Scroll(bool on)
{
    DWORD_PTR result = 0;
    SendMessageTimeoutW(m_window, peers::kScrollMessage, on ? 1 : 0, 0, SMTO_ABORTIFHUNG, 2000, &result);
}

std::size_t StandInPlayer::Steps() const
{
    DWORD_PTR steps = 0;
    SendMessageTimeoutW(m_window, peers::kStepsMessage, 0, 0, SMTO_ABORTIFHUNG, 2000, &steps);
    return steps;
}

void StandInPlayer::Close()
{
    PostMessageW(m_window, WM_CLOSE, 0, 0);
    EXPECT_TRUE(m_process.WaitForExit(kReact)) << "the stand-in player did not close";
}

std::optional<std::wstring> SongOf(const Received& message)
{
    const auto song = DecodeNowPlaying(message.bytes);
    if (!song) {
        return std::nullopt;
    }
    return std::wstring(song->begin(), song->end());
}

StandInMessenger::StandInMessenger(bool hang, const std::wstring& extraArguments)
    : m_logPath(NewTempDir() + L"\\messenger.log"),
      m_process(L"standin_messenger.exe",
                L"--log \"" + m_logPath + L"\"" + (hang ? L" --hang " : L" ") + extraArguments)
{
    m_window = FindProcessWindow(m_process, L"MsnMsgrUIManager", kAppear);
    EXPECT_NE(m_window, nullptr) << "the stand-in messenger's window did not appear";
}

std::vector<Received> StandInMessenger::Messages() const
{
    std::vector<Received> messages;
    for (const LogEntry& entry : ReadStampedLog(m_logPath)) {
        if (entry.kind != "msg" || entry.fields.size() < 2) {
            continue;
        }
        const std::vector<std::string>& fields = entry.fields;
        Received message{entry.us,
                         static_cast<std::uint32_t>(std::stoul(fields[0])),
                         static_cast<std::uint32_t>(std::stoul(fields[1])),
                         {}};
        const std::string hex = fields.size() > 2 ? fields[2] : "";
        for (std::size_t i = 0; i + 1 < hex.size(); i += 2) {
            message.bytes.push_back(static_cast<std::uint8_t>(std::stoi(hex.substr(i, 2), nullptr, 16)));
        }
        messages.push_back(std::move(message));
    }
    return messages;
}

bool StandInMessenger::WaitForMessages(std::size_t count, Clock timeout) const
{
    return WaitUntil([&] { return Messages().size() >= count; }, timeout);
}

NowPlaying::NowPlaying(Start start, std::optional<WORD> showCommand)
    : m_process(L"nowplaying.exe", L"", ProgramLaunch(), L"", showCommand)
{
    if (start == Start::Again) {
        return;
    }
    m_window = FindProcessWindow(m_process, L"nowplaying.frmMain", kAppear);
    EXPECT_NE(m_window, nullptr) << "the program's window did not appear";
}

} // namespace support
