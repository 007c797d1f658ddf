// The clipboard's formats as the platform-free decisions see them: the system's own format numbers
// (the values of the CF_ constants, without windows.h) and a listed format with its name.
#pragma once

#include <cstdint>
#include <string>

namespace runtime {
namespace format {

inline constexpr std::uint32_t kText = 1;                       // CF_TEXT
inline constexpr std::uint32_t kBitmap = 2;                     // CF_BITMAP
inline constexpr std::uint32_t kMetafilePicture = 3;            // CF_METAFILEPICT
inline constexpr std::uint32_t kOemText = 7;                    // CF_OEMTEXT
inline constexpr std::uint32_t kDib = 8;                        // CF_DIB
inline constexpr std::uint32_t kPalette = 9;                    // CF_PALETTE
inline constexpr std::uint32_t kUnicodeText = 13;               // CF_UNICODETEXT
inline constexpr std::uint32_t kEnhancedMetafile = 14;          // CF_ENHMETAFILE
inline constexpr std::uint32_t kFileList = 15;                  // CF_HDROP
inline constexpr std::uint32_t kLocale = 16;                    // CF_LOCALE
inline constexpr std::uint32_t kDibV5 = 17;                     // CF_DIBV5
inline constexpr std::uint32_t kOwnerDisplay = 0x80;            // CF_OWNERDISPLAY
inline constexpr std::uint32_t kDisplayBitmap = 0x82;           // CF_DSPBITMAP
inline constexpr std::uint32_t kDisplayMetafilePicture = 0x83;  // CF_DSPMETAFILEPICT
inline constexpr std::uint32_t kDisplayEnhancedMetafile = 0x8E; // CF_DSPENHMETAFILE
inline constexpr std::uint32_t kPrivateFirst = 0x200;           // CF_PRIVATEFIRST
inline constexpr std::uint32_t kGdiObjectLast = 0x3FF;          // CF_GDIOBJLAST

inline bool IsText(std::uint32_t id) {
    return id == kText || id == kOemText || id == kUnicodeText;
}

} // namespace format

// One format a clipboard lists: its number, its registered name (empty for the system's own
// formats), and its data where a decision needs it.
struct ListedFormat {
    std::uint32_t id = 0;
    std::string name;
    std::string data;
};

} // namespace runtime
