// The resources the build puts into the executable: the program icon at both sizes the window
// runtime asks for, and the manifest that asks for the visual-style common controls.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstring>
#include <string>

#include "tray/IconHandle.h"

namespace {

class DataModule {
public:
    DataModule() : module(LoadLibraryExA(CASESWITCH_EXECUTABLE, nullptr, LOAD_LIBRARY_AS_DATAFILE)) {}
    ~DataModule() {
        if (module) FreeLibrary(module);
    }
    DataModule(const DataModule&) = delete;
    DataModule& operator=(const DataModule&) = delete;
    HMODULE Get() const { return module; }

private:
    HMODULE module;
};

DWORD BigEndian(const BYTE* bytes) {
    return static_cast<DWORD>(bytes[0]) << 24 | static_cast<DWORD>(bytes[1]) << 16 | static_cast<DWORD>(bytes[2]) << 8 |
           bytes[3];
}

SIZE ColourBitmapSize(HICON icon) {
    ICONINFO info = {};
    if (!GetIconInfo(icon, &info)) return {};
    BITMAP bitmap = {};
    GetObjectA(info.hbmColor ? info.hbmColor : info.hbmMask, sizeof bitmap, &bitmap);
    if (info.hbmColor) DeleteObject(info.hbmColor);
    if (info.hbmMask) DeleteObject(info.hbmMask);
    return {bitmap.bmWidth, bitmap.bmHeight};
}

TEST(ProgramResources, TheProgramIconLoadsAt32And16Pixels) {
    const DataModule exe;
    ASSERT_TRUE(exe.Get()) << CASESWITCH_EXECUTABLE << ": error " << GetLastError();
    for (const int size : {32, 16}) {
        // The image of that size itself, not a scaled one: the file holds both, as PNG images.
        HRSRC group = FindResourceA(exe.Get(), "DEFAULT_ICON", MAKEINTRESOURCEA(14)); // RT_GROUP_ICON
        ASSERT_TRUE(group) << "no icon group named DEFAULT_ICON";
        auto* directory = static_cast<BYTE*>(LockResource(LoadResource(exe.Get(), group)));
        ASSERT_TRUE(directory);
        const int id = LookupIconIdFromDirectoryEx(directory, TRUE, size, size, LR_DEFAULTCOLOR);
        HRSRC image = FindResourceA(exe.Get(), MAKEINTRESOURCEA(id), MAKEINTRESOURCEA(3)); // RT_ICON
        ASSERT_TRUE(image) << "size " << size;
        const auto* png = static_cast<const BYTE*>(LockResource(LoadResource(exe.Get(), image)));
        ASSERT_TRUE(png);
        ASSERT_GE(SizeofResource(exe.Get(), image), 24u);
        EXPECT_EQ(std::memcmp(png, "\x89PNG\r\n\x1a\n", 8), 0) << "size " << size;
        EXPECT_EQ(BigEndian(png + 16), static_cast<DWORD>(size)) << "IHDR width";
        EXPECT_EQ(BigEndian(png + 20), static_cast<DWORD>(size)) << "IHDR height";

        const runtime::IconHandle icon(
            static_cast<HICON>(LoadImageA(exe.Get(), "DEFAULT_ICON", IMAGE_ICON, size, size, LR_DEFAULTCOLOR)));
        ASSERT_TRUE(icon) << "LoadImageA at " << size << ": error " << GetLastError();
        const SIZE loaded = ColourBitmapSize(icon.Get());
        EXPECT_EQ(loaded.cx, size);
        EXPECT_EQ(loaded.cy, size);
    }
}

TEST(ProgramResources, TheManifestAsksForCommonControls6AsInvoker) {
    const DataModule exe;
    ASSERT_TRUE(exe.Get());
    HRSRC resource = FindResourceA(exe.Get(), MAKEINTRESOURCEA(1), MAKEINTRESOURCEA(24)); // RT_MANIFEST
    ASSERT_TRUE(resource) << "no manifest with id 1";
    const auto* text = static_cast<const char*>(LockResource(LoadResource(exe.Get(), resource)));
    ASSERT_TRUE(text);
    const std::string manifest(text, SizeofResource(exe.Get(), resource));
    const auto dependency = manifest.find("name=\"Microsoft.Windows.Common-Controls\"");
    ASSERT_NE(dependency, std::string::npos) << manifest;
    EXPECT_NE(manifest.find("version=\"6.0.0.0\"", dependency), std::string::npos) << manifest;
    EXPECT_NE(manifest.find("publicKeyToken=\"6595b64144ccf1df\""), std::string::npos) << manifest;
    EXPECT_NE(manifest.find("level=\"asInvoker\""), std::string::npos) << manifest;
}

} // namespace
