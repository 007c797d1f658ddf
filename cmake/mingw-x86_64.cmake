# Cross toolchain: 64-bit Windows, run under 64-bit Wine.
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(CASESWITCH_MINGW_TARGET x86_64-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
# Debian's wine script runs the 32-bit loader whenever wine32 is installed, even where the host
# cannot execute it: 64-bit programs always go to the 64-bit loader.
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/../tools/wine64/wine)
