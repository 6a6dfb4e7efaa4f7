// The 95-family launcher, proved on a probe whose calls tell the families apart and
// on the real program: what the stubs return, the stack across them, the lookups,
// the counts, the exit code and the end of the program with the launcher.

#include "support/log.h"
#include "support/named_row.h"
#include "support/peers.h"
#include "support/registry.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <map>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

namespace {

using namespace support;

using Fields = std::vector<std::string>;

// Lines of "key field..." (or "missing name field..."), by key.
std::map<std::string, Fields> ReadLines(const std::wstring& path, std::size_t keyWords)
{
    std::map<std::string, Fields> lines;
    for (const LogLine& words : ReadLog(path)) {
        const std::size_t split = std::min(keyWords, words.size());
        std::string key;
        for (std::size_t i = 0; i < split; ++i) {
            key += (i == 0 ? "" : " ") + words[i];
        }
        lines[key] = Fields(words.begin() + static_cast<long>(split), words.end());
    }
    return lines;
}

struct ProbeCase {
    Launch launch;
    bool wideWorks;    // the W functions do what they say
    bool newerIsFound; // GetProcAddress finds the functions newer than Windows 98
};

std::ostream& operator<<(std::ostream& out, const ProbeCase& c)
{
    return out << Name(c.launch);
}

class FamilyProbe : public ::testing::TestWithParam<ProbeCase> {};

TEST_P(FamilyProbe, WideCallsNewerLookupsStackAndExitCode)
{
    const ProbeCase& c = GetParam();
    const std::wstring dir = NewTempDir();
    const std::wstring out = dir + L"\\probe.txt";
    const std::wstring countsPath = dir + L"\\counts.txt";
    Process probe(L"family_probe.exe", L"\"" + out + L"\"", c.launch, c.launch == Launch::Direct ? L"" : countsPath);
    ASSERT_TRUE(probe.WaitForExit(kAppear)) << "the probe did not end";
    EXPECT_EQ(probe.ExitCode(), 7u) << "the launcher passes the program's exit code on";

    const auto lines = ReadLines(out, 1);
    ASSERT_EQ(lines.count("window_w"), 1u) << "the probe wrote nothing";
    const Fields& wide = lines.at("window_w");
    ASSERT_EQ(wide.size(), 3u);
    EXPECT_EQ(wide[0], c.wideWorks ? "1" : "0") << "CreateWindowExW";
    if (!c.wideWorks) {
        EXPECT_EQ(wide[1], "120") << "ERROR_CALL_NOT_IMPLEMENTED";
    }
    EXPECT_EQ(wide[2], "0") << "the stack moved across CreateWindowExW";
    const Fields& ansi = lines.at("window_a");
    ASSERT_EQ(ansi.size(), 3u);
    EXPECT_EQ(ansi[0], "1") << "CreateWindowExA works on every family";
    EXPECT_EQ(ansi[2], "0") << "the stack moved across CreateWindowExA";

    EXPECT_EQ(lines.at("looked_up_w"), (c.wideWorks ? Fields{"1", "1", "0", "0"} : Fields{"1", "0", "120", "0"}))
        << "SetWindowTextW through GetProcAddress: found, result, last error, stack drift";
    EXPECT_EQ(lines.at("working_w"), (Fields{"4", "4"})) << "lstrlenW works on every family";

    const auto missing = ReadLines(out, 2);
    for (const char* name : {"missing SetDefaultDllDirectories", "missing GetDpiForWindow"}) {
        EXPECT_EQ(missing.at(name), (c.newerIsFound ? Fields{"1", "0"} : Fields{"0", "127"})) << name;
    }

    if (c.launch == Launch::Direct) {
        return;
    }
    const auto counts = ReadCounts(countsPath);
    const std::string stubState = "fails";
    EXPECT_EQ(counts.at("USER32.dll!CreateWindowExW"), std::make_pair(1ul, stubState));
    EXPECT_EQ(counts.at("USER32.dll!SetWindowTextW"), std::make_pair(1ul, stubState)) << "called after a lookup";
    EXPECT_EQ(counts.at("KERNEL32.dll!lstrlenW"), std::make_pair(1ul, std::string("works")));
    EXPECT_EQ(counts.count("USER32.dll!CreateWindowExA"), 0u) << "only W functions are counted";
    EXPECT_EQ(counts.at("GetProcAddress(GetDpiForWindow)").second, c.newerIsFound ? "passed" : "missing");
    // The runtime's start-up calls it, and the probe ran to its end all the same.
    ASSERT_EQ(counts.count("KERNEL32.dll!GetStartupInfoW"), 1u);
    EXPECT_GE(counts.at("KERNEL32.dll!GetStartupInfoW").first, 1ul);
}

INSTANTIATE_TEST_SUITE_P(Launches, FamilyProbe,
                         ::testing::Values(ProbeCase{Launch::Direct, true, true},
                                           ProbeCase{Launch::FamilyNt, true, true},
                                           ProbeCase{Launch::Family95, false, false}),
                         [](const auto& info) { return std::string(Name(info.param.launch)); });

class FamilyProgram : public ::testing::TestWithParam<Launch> {};

// Launch to window, printed for each way of starting. The program starts through the
// runtime's ANSI start-up, which takes no GetStartupInfoW; the runtime still calls
// CreateSemaphoreW, a stub on the 95 family, and the program must come up all the same,
// calling no other stub. Under the 95 family's DLLs it is told the 95 family's version.
TEST_P(FamilyProgram, StartsAndShowsItsWindow)
{
    std::optional<EmulatedVersion> version;
    if (GetParam() == Launch::Family95) {
        version.emplace(L"nowplaying.exe", L"win98");
    }
    const std::wstring countsPath = NewTempDir() + L"\\counts.txt";
    const auto startedAt = std::chrono::steady_clock::now();
    Process program(L"nowplaying.exe", L"", GetParam(), countsPath);
    const HWND window = FindProcessWindow(program, L"nowplaying.frmMain", kAppear);
    const auto ms =
        std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - startedAt).count();
    if (window != nullptr) {
        std::printf("nowplaying.exe %s: window after %lld ms\n", Name(GetParam()), static_cast<long long>(ms));
    }
    EXPECT_NE(window, nullptr) << "no window after " << ms << " ms; the program's exit code: " << program.ExitCode();
    EXPECT_TRUE(program.Running());
    if (GetParam() == Launch::Direct) {
        return;
    }
    program.Kill();
    const auto counts = ReadCounts(countsPath);
    const std::string semaphore = "KERNEL32.dll!CreateSemaphoreW";
    ASSERT_EQ(counts.count(semaphore), 1u) << "no counts, or the runtime no longer calls " << semaphore;
    EXPECT_GE(counts.at(semaphore).first, 1ul);
    EXPECT_EQ(counts.count("KERNEL32.dll!GetStartupInfoW"), 0u);
    for (const auto& [function, count] : counts) {
        EXPECT_TRUE(GetParam() == Launch::FamilyNt || function == semaphore || count.second != "fails")
            << function << " is a stub on the 95 family";
    }
}

INSTANTIATE_TEST_SUITE_P(Launches, FamilyProgram, ::testing::Values(Launch::Direct, Launch::FamilyNt, Launch::Family95),
                         [](const auto& info) { return std::string(Name(info.param)); });

struct EndCase : NamedRow {
    bool killLauncher; // else the program
};

class FamilyEnd : public ::testing::TestWithParam<EndCase> {};

// A long-running program under the launcher: the harness finds its window by the
// child's id, and whichever of the two ends, the other follows.
TEST_P(FamilyEnd, ProgramAndLauncherEndTogether)
{
    const std::wstring countsPath = NewTempDir() + L"\\counts.txt";
    Process player(L"standin_player.exe", L"--title \"1. A - B - Winamp\"", Launch::FamilyNt, countsPath);
    ASSERT_NE(player.Launcher(), nullptr);
    ASSERT_NE(FindProcessWindow(player, L"nowplaying.StandInPlayer", kAppear), nullptr);
    ASSERT_TRUE(TerminateProcess(GetParam().killLauncher ? player.Launcher() : player.Handle(), 3));
    EXPECT_EQ(WaitForSingleObject(player.Handle(), 5000), WAIT_OBJECT_0) << "the program outlived its launcher";
    EXPECT_EQ(WaitForSingleObject(player.Launcher(), 5000), WAIT_OBJECT_0) << "the launcher outlived its program";
    if (!GetParam().killLauncher) {
        EXPECT_EQ(player.ExitCode(), 3u);
        const auto counts = ReadCounts(countsPath);
        ASSERT_EQ(counts.count("USER32.dll!CreateWindowExW"), 1u) << "no counts after the program was ended";
        EXPECT_EQ(counts.at("USER32.dll!CreateWindowExW").first, 1ul);
    }
}

INSTANTIATE_TEST_SUITE_P(Ends, FamilyEnd,
                         ::testing::Values(EndCase{{"KilledLauncher"}, true}, EndCase{{"KilledProgram"}, false}),
                         RowName);

} // namespace
