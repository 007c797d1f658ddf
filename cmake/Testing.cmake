# Test helpers shared by every subsystem's tests.
#
#   caseswitch_add_logic_test(name sources...)  platform-free logic: built natively (with the
#                                               sanitizers) and for Windows (run under Wine)
#   caseswitch_add_wine_test(name [DESKTOP] sources...)
#                                               Windows behaviour: built for Windows only, linked
#                                               with the runtime, run under Wine. DESKTOP: the tests
#                                               use what the session has once (clipboard, keyboard
#                                               focus, global hot keys) and never run beside
#                                               another such test or an end-to-end test
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
    if(WIN32 AND NOT MSVC)
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
    cmake_parse_arguments(PARSE_ARGV 1 WINE_TEST "DESKTOP" "" "")
    add_executable(${name} ${WINE_TEST_UNPARSED_ARGUMENTS})
    target_link_libraries(${name} PRIVATE runtime gtest_main)
    if(WINE_TEST_DESKTOP)
        gtest_discover_tests(${name} DISCOVERY_MODE PRE_TEST DISCOVERY_TIMEOUT 120
                             PROPERTIES LABELS wine RESOURCE_LOCK desktop)
    else()
        gtest_discover_tests(${name} DISCOVERY_MODE PRE_TEST DISCOVERY_TIMEOUT 120 PROPERTIES LABELS wine)
    endif()
endfunction()
