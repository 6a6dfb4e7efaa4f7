#include "win32/dll_search.h"

#include <gtest/gtest.h>

#include <windows.h>

namespace {

TEST(DllSearch, OwnFolderIsSearchedUntilRestricted)
{
    HMODULE before = LoadLibraryW(L"e2e_probe.dll");
    ASSERT_NE(before, nullptr) << "the probe must load from the program's folder by default";
    FreeLibrary(before);

    nowplaying::win32::RestrictDllSearchToSystem32();
    HMODULE after = LoadLibraryW(L"e2e_probe.dll");
    EXPECT_EQ(after, nullptr) << "the program's own folder is still searched";
    if (after != nullptr) {
        FreeLibrary(after);
    }
}

} // namespace
