// Odd player titles: the program must neither crash nor send a wrong song.

#include "support/peers.h"
#include "win32/api.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

namespace {

using namespace support;

using OddTitles = PlayerTest;

struct OddTitle {
    const char* name;
    std::wstring title;
    std::wstring song; // the song the program must send for it
};

std::wstring Long(std::size_t characters)
{
    std::wstring text;
    for (std::size_t i = 0; text.size() < characters; ++i) {
        text += static_cast<wchar_t>(L'a' + i % 26);
    }
    return text;
}

const OddTitle kOddTitles[] = {
    {"empty title", L"", L""},
    {"one character", L"x", L""},
    {"marker at the very start", L" - Winamp after", L""},
    {"marker at the very end", L"9. Ends with the marker - Winamp", L"Ends with the marker"},
    {"two markers", L"1. a - Winamp b - Winamp", L"a"},
    {"one word before the marker", L"Word - Winamp", L"Word"},
    {"unpaired high surrogate", L"1. x\xD800y - Winamp", L"x\xD800y"},
    {"unpaired low surrogate at the end", L"1. z\xDC00 - Winamp", L"z\xDC00"},
    {"2000 characters", L"1. " + Long(2000 - 12) + L" - Winamp", Long(2000 - 12)},
    {"32000 characters", L"1. " + Long(32000 - 12) + L" - Winamp", Long(32000 - 12)},
};

// Each odd title follows a plain one, so every expected song is a change (or, for
// an empty song, a change to nothing).
TEST_F(OddTitles, EachGivesItsSongAndTheProgramLivesOn)
{
    ASSERT_TRUE(Start(L"1. Plain - Song - Winamp"));

    std::size_t expected = 1;
    for (const OddTitle& odd : kOddTitles) {
        SCOPED_TRACE(odd.name);
        if (nowplaying::win32::UsesAnsiFunctions() && odd.song.find_first_of(L"\xD800\xDC00") != std::wstring::npos) {
            continue; // the ANSI code page has no surrogates
        }
        player->SetTitle(odd.title);
        ASSERT_TRUE(messenger->WaitForMessages(++expected, kReact));
        EXPECT_EQ(SongOf(messenger->Messages().back()), odd.song);
        player->SetTitle(L"1. Plain - Song - Winamp");
        ASSERT_TRUE(messenger->WaitForMessages(++expected, kReact));
        ASSERT_TRUE(program->process().Running());
    }
    Settle();
    EXPECT_EQ(messenger->Messages().size(), expected);
}

// The title flips between two lengths as fast as another process can set it, so
// some reads happen between the length query and the text copy.
TEST_F(OddTitles, TitleChangingWhileReadGivesOnlyWholeSongs)
{
    const std::wstring shortTitle = L"1. S - Winamp";
    const std::wstring longTitle = L"1. " + Long(3000) + L" - Winamp";
    ASSERT_TRUE(Start(shortTitle));

    const auto until = std::chrono::steady_clock::now() + 3s;
    for (int i = 0; std::chrono::steady_clock::now() < until; ++i) {
        player->SetTitle(i % 2 == 0 ? longTitle : shortTitle);
    }
    player->SetTitle(shortTitle);
    Settle();

    ASSERT_TRUE(program->process().Running());
    const auto messages = messenger->Messages();
    for (const auto& message : messages) {
        const auto song = SongOf(message);
        EXPECT_TRUE(song == L"S" || song == Long(3000)) << "a torn or stale title was sent";
    }
    EXPECT_EQ(SongOf(messages.back()), L"S");
}

using PlayerLife = PlayerTest;

struct LifeTitle {
    std::wstring title;
    bool scrolled;     // with the taskbar scroll on: seen through a whole cycle of it
    std::wstring song; // the song the messenger has last been sent once the program saw it
};

// The titles the player writes, in the order a user's actions bring them.
const LifeTitle kPlayerLife[] = {
    {L"Winamp 5.9.2 Build 10042", true, L""}, // start-up, empty playlist
    {L"1. Ab - Cd - Winamp", false, L"Ab - Cd"},
    {L"1. Ab - Cd - Winamp", true, L"Ab - Cd"},
    {L"1. Ab - Cd - Winamp [Paused]", true, L"Ab - Cd"},
    {L"Ab - Cd - Winamp [Stopped]", true, L"Ab - Cd"}, // the playlist number turned off
    {L"2. E *** F - G - Winamp", true, L"E *** F - G"},
    {L"Hi - Jk - Winamp", false, L"Hi - Jk"},
    {L"Winamp 5.9.2 Build 10042", false, L""}, // the playlist emptied
};

TEST_F(PlayerLife, EachSongArrivesOnceInOrder)
{
    player.emplace(kPlayerLife[0].title);
    messenger.emplace();
    program.emplace();

    std::vector<std::optional<std::wstring>> expected;
    std::wstring last;
    for (const LifeTitle& row : kPlayerLife) {
        SCOPED_TRACE(row.title);
        player->SetTitle(row.title);
        player->Scroll(row.scrolled);
        if (row.song != last) {
            last = row.song;
            expected.push_back(last);
        }
        // Its last step, then its first again.
        ASSERT_TRUE(!row.scrolled || WaitUntil([&] { return player->Steps() > row.title.size() + 3; }, 20s));
        EXPECT_TRUE(WaitUntil(
            [&] {
                const auto messages = messenger->Messages();
                return (messages.empty() ? std::optional<std::wstring>(L"") : SongOf(messages.back())) == row.song;
            },
            kReact));
    }
    Settle();
    std::vector<std::optional<std::wstring>> songs;
    for (const Received& message : messenger->Messages()) {
        songs.push_back(SongOf(message));
    }
    EXPECT_EQ(songs, expected);
}

} // namespace
