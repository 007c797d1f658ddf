# Cross toolchain: 32-bit Windows, run under 32-bit Wine.
set(CMAKE_SYSTEM_PROCESSOR i686)
set(CASESWITCH_MINGW_TARGET i686-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
find_program(WINE_PROGRAM wine REQUIRED)
set(CMAKE_CROSSCOMPILING_EMULATOR ${WINE_PROGRAM})
