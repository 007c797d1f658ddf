# What both cross toolchains share. The toolchain file that includes this one sets
# CMAKE_SYSTEM_PROCESSOR and CASESWITCH_MINGW_TARGET (i686-w64-mingw32 or x86_64-w64-mingw32)
# first.
#
# The thread model: trees that build the tests take posix (GoogleTest needs std::mutex, which this
# GCC has only there); the release trees take win32, which links no threads library into the
# program (the program makes its one extra thread with CreateThread).
set(CMAKE_SYSTEM_NAME Windows)
if(NOT CASESWITCH_THREAD_MODEL)
    if(DEFINED CASESWITCH_TESTS AND NOT CASESWITCH_TESTS)
        set(CASESWITCH_THREAD_MODEL win32)
    else()
        set(CASESWITCH_THREAD_MODEL posix)
    endif()
endif()
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES CASESWITCH_THREAD_MODEL)
set(CMAKE_C_COMPILER ${CASESWITCH_MINGW_TARGET}-gcc-${CASESWITCH_THREAD_MODEL})
set(CMAKE_CXX_COMPILER ${CASESWITCH_MINGW_TARGET}-g++-${CASESWITCH_THREAD_MODEL})
set(CMAKE_RC_COMPILER ${CASESWITCH_MINGW_TARGET}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${CASESWITCH_MINGW_TARGET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
