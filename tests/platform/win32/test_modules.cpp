// Module loading: Windows module names to shared objects.

#include <ZEPenginedll.h>
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

namespace {

const std::string kLibraryFolder = ZEP_BINARY_DIR "/lib";

using Matrix4x4Function = D3DMATRIX*(ZEPAPI*)(D3DMATRIX*, float, float, float, float, float, float);

class Win32Modules : public ::testing::Test {
protected:
    void TearDown() override { SetDllDirectoryA(nullptr); }
};

// What a host does first: bind the engine's data export and a function by
// name, through the short Windows module name.
TEST_F(Win32Modules, ShortNameFindsTheEngineLibraryInTheDllFolder) {
    ASSERT_TRUE(SetDllDirectoryA(kLibraryFolder.c_str()));
    // Windows finds module names in any case; so does the search here.
    for (const char* name : {"ZEPenginedll", "ZEPenginedll.dll", "ZEPENGINEDLL.DLL"}) {
        HMODULE module = LoadLibraryA(name);
        ASSERT_NE(module, nullptr) << name;
        EXPECT_NE(GetProcAddress(module, "ZEPengine"), nullptr) << name;
        auto matrix4x4 = reinterpret_cast<Matrix4x4Function>(GetProcAddress(module, "ZEP_matrix4x4"));
        ASSERT_NE(matrix4x4, nullptr) << name;
        D3DMATRIX m{};
        matrix4x4(&m, 0, 0, 0, 0, 0, 20);
        EXPECT_EQ(m._43, 20.0f);
        EXPECT_EQ(m._11, 1.0f);
        EXPECT_TRUE(FreeLibrary(module));
    }
}

TEST_F(Win32Modules, FullPathsLoadAsGivenWithDllMappedToSo) {
    HMODULE byPath = LoadLibraryA((kLibraryFolder + "/libZEPenginedll.so").c_str());
    ASSERT_NE(byPath, nullptr);
    std::string windowsPath = kLibraryFolder + "/ZEPenginedll.dll";
    for (char& c : windowsPath)
        if (c == '/') c = '\\';
    HMODULE byWindowsPath = LoadLibraryA(windowsPath.c_str());
    ASSERT_NE(byWindowsPath, nullptr);
    EXPECT_EQ(byPath, byWindowsPath);  // the same module, counted twice
    EXPECT_TRUE(FreeLibrary(byWindowsPath));
    EXPECT_TRUE(FreeLibrary(byPath));
}

TEST_F(Win32Modules, FailuresSetWindowsErrors) {
    EXPECT_EQ(LoadLibraryA("NoSuchModuleAnywhere"), nullptr);
    EXPECT_EQ(GetLastError(), DWORD(ERROR_MOD_NOT_FOUND));
    EXPECT_EQ(LoadLibraryA(""), nullptr);

    HMODULE module = LoadLibraryA((kLibraryFolder + "/libZEPenginedll.so").c_str());
    ASSERT_NE(module, nullptr);
    EXPECT_EQ(GetProcAddress(module, "NoSuchExport"), nullptr);
    EXPECT_EQ(GetLastError(), DWORD(ERROR_PROC_NOT_FOUND));
    EXPECT_EQ(GetProcAddress(module, MAKEINTRESOURCEA(1)), nullptr);  // ordinals do not exist
    // Internal symbols are hidden: only the interface is exported.
    EXPECT_EQ(GetProcAddress(module, "LoadLibraryA"), nullptr);
    EXPECT_TRUE(FreeLibrary(module));
}

TEST_F(Win32Modules, ModuleHandleOfTheProgramAndOfLoadedModules) {
    EXPECT_NE(GetModuleHandleA(nullptr), nullptr);
    ASSERT_TRUE(SetDllDirectoryA(kLibraryFolder.c_str()));
    HMODULE module = LoadLibraryA("ZEPenginedll");
    ASSERT_NE(module, nullptr);
    EXPECT_EQ(GetModuleHandleA("ZEPenginedll"), module);
    EXPECT_TRUE(FreeLibrary(module));
}

}  // namespace
