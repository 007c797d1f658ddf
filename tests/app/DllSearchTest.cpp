#include <windows.h>

#include <gtest/gtest.h>

#include "app/DllSearch.h"

namespace {

constexpr char kBeside[] = "dll_search_beside.dll";

// The search cannot be widened again in a process, so one test sees it before and after.
TEST(DllSearch, OnceLimitedAProgramFolderDllIsNoLongerLoadedByName) {
    HMODULE beside = LoadLibraryA(kBeside);
    ASSERT_NE(beside, nullptr) << "the DLL beside the test did not load before the limit: error " << GetLastError();
    FreeLibrary(beside);
    ASSERT_EQ(GetModuleHandleA(kBeside), nullptr) << "the DLL stayed loaded";

    runtime::LimitDllSearchToSystem();

    SetLastError(0xdeadbeef);
    beside = LoadLibraryA(kBeside);
    EXPECT_EQ(beside, nullptr) << "the DLL beside the executable was still found by name";
    if (beside != nullptr) FreeLibrary(beside);
    HMODULE system = LoadLibraryA("version.dll");
    EXPECT_NE(system, nullptr) << "a System32 DLL no longer loads: error " << GetLastError();
    if (system != nullptr) FreeLibrary(system);
}

} // namespace
