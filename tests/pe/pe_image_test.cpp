// Checks the built executables' PE headers: ASLR and DEP, a build that does not depend
// on when and where it was made, system DLLs only, and for the 32-bit program no import
// that Windows 95's DLLs (98's msvcrt.dll) lack.
//
//   pe_image_test --source-dir=PATH --exe=PATH [--exe=PATH ...]

#include "newer_than_windows98.h"
#include "pe_image.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <functional>
#include <iterator>
#include <set>
#include <string>
#include <utility>
#include <vector>

namespace {

std::vector<std::string> g_executables;
std::string g_sourceDir;

const std::set<std::string> kSystemDlls = {"KERNEL32.DLL", "USER32.DLL",   "GDI32.DLL", "SHELL32.DLL",
                                           "COMCTL32.DLL", "ADVAPI32.DLL", "MSVCRT.DLL"};

// The C runtime's wide start-up (wWinMain) imports these; the program takes no command
// line, and GetStartupInfoW is a stub on the 95 family.
const std::set<std::pair<std::string, std::string>> kWideStartUp = {{"MSVCRT.DLL", "__wgetmainargs"},
                                                                    {"MSVCRT.DLL", "__winitenv"},
                                                                    {"MSVCRT.DLL", "__p__wcmdln"},
                                                                    {"KERNEL32.DLL", "GetStartupInfoW"}};

// The names each DLL exports on Windows 95 (msvcrt.dll: up to 98 SE), by the import
// tables' upper-cased DLL name; see README.md for where the lists come from.
std::map<std::string, std::set<std::string>> LoadExportLists()
{
    std::map<std::string, std::set<std::string>> lists;
    std::ifstream win95(g_sourceDir + "/tests/pe/win95_exports.txt");
    for (std::string dll, name; win95 >> dll >> name;) {
        lists[pe::Upper(dll) + ".DLL"].insert(name);
    }
    std::ifstream msvcrt(g_sourceDir + "/tests/pe/msvcrt_w98.txt");
    for (std::string name; msvcrt >> name;) {
        lists["MSVCRT.DLL"].insert(name);
    }
    return lists;
}

// Runs check on each executable, within a trace of its path; one that is not a
// readable PE image fails the case.
using Check = std::function<void(const std::string& path, const std::vector<std::uint8_t>& bytes, const pe::Image&)>;

void ForEachExecutable(const Check& check)
{
    for (const auto& path : g_executables) {
        SCOPED_TRACE(path);
        std::ifstream file(path, std::ios::binary);
        const std::vector<std::uint8_t> bytes{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
        const auto image = pe::Parse(bytes);
        EXPECT_TRUE(image.has_value()) << path << " is not a readable PE image";
        if (image) {
            check(path, bytes, *image);
        }
    }
}

TEST(ExecutableHeader, AslrDepAndNothingOfTheBuildMachine)
{
    ForEachExecutable([](const std::string&, const std::vector<std::uint8_t>& bytes, const pe::Image& image) {
        EXPECT_TRUE(image.dllCharacteristics & pe::kDynamicBase) << "ASLR (dynamic base) is off";
        EXPECT_TRUE(image.dllCharacteristics & pe::kNxCompat) << "DEP (NX compatible) is off";
        if (image.is64) {
            EXPECT_TRUE(image.dllCharacteristics & pe::kHighEntropyVa);
        }
        // Two builds of one commit must be the same file, wherever and whenever made.
        EXPECT_EQ(image.timeStamp, 0u) << "the linker wrote the time of the build";
        const std::string text(bytes.begin(), bytes.end());
        EXPECT_EQ(text.find(g_sourceDir), std::string::npos) << "the image holds the path " << g_sourceDir;
    });
}

TEST(ExecutableImports, SystemDllsOnlyAndNothingWindows95Lacks)
{
    const auto lists = LoadExportLists();
    ASSERT_EQ(lists.size(), 5u) << "the export lists of tests/pe/ were not read";
    // What the 95-family launcher hides from GetProcAddress must not be on the lists.
    for (const char* newer : pe::kNewerThanWindows98) {
        for (const auto& [dll, names] : lists) {
            EXPECT_FALSE(names.count(newer))
                << newer << " is hidden as newer than Windows 98, yet " << dll << " exports it on Windows 95";
        }
    }
    ForEachExecutable([&lists](const std::string& path, const std::vector<std::uint8_t>&, const pe::Image& image) {
        std::printf("%s imports:\n", path.c_str());
        for (const auto& [dll, functions] : image.imports) {
            std::printf("  %s (%zu):", dll.c_str(), functions.size());
            for (const auto& function : functions) {
                std::printf(" %s", function.c_str());
            }
            std::printf("\n");
            EXPECT_TRUE(kSystemDlls.count(dll)) << dll << " is not a system DLL";
            if (image.is64) {
                continue; // 64-bit Windows has everything the lists hold
            }
            const auto list = lists.find(dll);
            if (list == lists.end()) {
                ADD_FAILURE() << dll << ": the 32-bit program may import only the DLLs of the export lists";
                continue;
            }
            for (const auto& function : functions) {
                EXPECT_TRUE(list->second.count(function)) << dll << "!" << function << " is not on the list";
                EXPECT_FALSE(kWideStartUp.count({dll, function}))
                    << dll << "!" << function << " belongs to the wide start-up";
            }
        }
    });
}

TEST(PeReader, RejectsMalformedImages)
{
    EXPECT_FALSE(pe::Parse({}));
    EXPECT_FALSE(pe::Parse(std::vector<std::uint8_t>(64, 0)));
    std::vector<std::uint8_t> truncated(0x40, 0);
    truncated[0] = 'M';
    truncated[1] = 'Z';
    truncated[0x3C] = 0xF0; // the PE header would lie past the end
    EXPECT_FALSE(pe::Parse(truncated));
}

} // namespace

int main(int argc, char** argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    const std::string exe = "--exe=";
    const std::string sourceDir = "--source-dir=";
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg.rfind(exe, 0) == 0) {
            g_executables.push_back(arg.substr(exe.size()));
        } else if (arg.rfind(sourceDir, 0) == 0) {
            g_sourceDir = arg.substr(sourceDir.size());
        }
    }
    if (g_executables.empty() || g_sourceDir.empty()) {
        std::fprintf(stderr, "usage: pe_image_test --source-dir=PATH --exe=PATH [--exe=PATH ...]\n");
        return 2;
    }
    return RUN_ALL_TESTS();
}
