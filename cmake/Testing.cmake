# Test helpers shared by every subsystem's tests.
#
#   caseswitch_add_logic_test(name sources...)  platform-free logic: built natively (with the
#                                               sanitizers) and for Windows (run under Wine)
#   caseswitch_add_wine_test(name sources...)   Windows behaviour: built for Windows only, linked
#                                               with the runtime, run under Wine
# Both are GoogleTest executables discovered at test time (PRE_TEST), so that discovery under
# Wine runs with the test run's display and prefix rather than at build time.

if(NOT CASESWITCH_TESTS)
    return()
endif()

if(NOT TARGET gtest)
    set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
    set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
    set(gtest_force_shared_crt ON CACHE BOOL "" FORCE)
    add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
    if(WIN32)
        # libstdc++'s <chrono> spells "µs", which code page 936 cannot hold: GoogleTest's own
        # sources keep UTF-8 literals.
        target_compile_options(gtest PRIVATE -fexec-charset=UTF-8)
        target_compile_options(gtest_main PRIVATE -fexec-charset=UTF-8)
    endif()
endif()
include(GoogleTest)

function(caseswitch_add_logic_test name)
    add_executable(${name} ${ARGN})
    target_link_libraries(${name} PRIVATE runtime_logic gtest_main)
    gtest_discover_tests(${name} DISCOVERY_MODE PRE_TEST DISCOVERY_TIMEOUT 60 PROPERTIES LABELS logic)
endfunction()

function(caseswitch_add_wine_test name)
    if(NOT WIN32)
        return()
    endif()
    add_executable(${name} ${ARGN})
    target_link_libraries(${name} PRIVATE runtime gtest_main)
    gtest_discover_tests(${name} DISCOVERY_MODE PRE_TEST DISCOVERY_TIMEOUT 120 PROPERTIES LABELS wine)
endfunction()
