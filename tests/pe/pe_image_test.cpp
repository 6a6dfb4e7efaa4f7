// Checks the built executables' PE headers: ASLR and DEP, system DLLs only, and no
// import that the oldest supported Windows lacks.
//
//   pe_image_test --exe=PATH [--exe=PATH ...]

#include "newer_than_windows98.h"
#include "pe_image.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <iterator>
#include <set>
#include <string>
#include <vector>

namespace {

std::vector<std::string> g_executables;

const std::set<std::string> kSystemDlls = {"KERNEL32.DLL", "USER32.DLL", "GDI32.DLL", "SHELL32.DLL",
                                           "COMCTL32.DLL", "ADVAPI32.DLL", "MSVCRT.DLL"};

// The program must look these up at run time instead of importing them.
const std::set<std::string> kNewerThanWindows98(std::begin(pe::kNewerThanWindows98),
                                                std::end(pe::kNewerThanWindows98));

std::optional<pe::Image> LoadOrFail(const std::string& path)
{
    auto image = pe::Load(path);
    EXPECT_TRUE(image.has_value()) << path << " is not a readable PE image";
    return image;
}

TEST(ExecutableHeader, AslrAndDepAreOn)
{
    for (const auto& path : g_executables) {
        SCOPED_TRACE(path);
        const auto image = LoadOrFail(path);
        ASSERT_TRUE(image);
        EXPECT_TRUE(image->dllCharacteristics & pe::kDynamicBase) << "ASLR (dynamic base) is off";
        EXPECT_TRUE(image->dllCharacteristics & pe::kNxCompat) << "DEP (NX compatible) is off";
        if (image->is64) {
            EXPECT_TRUE(image->dllCharacteristics & pe::kHighEntropyVa);
        }
    }
}

TEST(ExecutableImports, SystemDllsOnlyAndNothingNewerThanWindows98)
{
    for (const auto& path : g_executables) {
        SCOPED_TRACE(path);
        const auto image = LoadOrFail(path);
        ASSERT_TRUE(image);
        std::printf("%s imports:\n", path.c_str());
        for (const auto& [dll, functions] : image->imports) {
            std::printf("  %s (%zu):", dll.c_str(), functions.size());
            for (const auto& function : functions) {
                std::printf(" %s", function.c_str());
            }
            std::printf("\n");
            EXPECT_TRUE(kSystemDlls.count(dll)) << dll << " is not a system DLL";
            if (image->is64) {
                continue; // 64-bit Windows is newer than everything listed
            }
            for (const auto& function : functions) {
                EXPECT_FALSE(kNewerThanWindows98.count(function))
                    << dll << "!" << function << " does not exist on Windows 98";
            }
        }
    }
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
    const std::string flag = "--exe=";
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg.rfind(flag, 0) == 0) {
            g_executables.push_back(arg.substr(flag.size()));
        }
    }
    if (g_executables.empty()) {
        std::fprintf(stderr, "usage: pe_image_test --exe=PATH [--exe=PATH ...]\n");
        return 2;
    }
    return RUN_ALL_TESTS();
}
