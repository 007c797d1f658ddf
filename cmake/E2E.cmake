# End-to-end tests: Python unittest scripts that start the real program under Wine and watch it
# from outside through tests/e2e/harness.py (probe helper, xdotool, screenshots, exit codes).
#
#   caseswitch_add_e2e_test(script [ENVIRONMENT NAME=VALUE...])
#       registers each test method of the script as one ctest test, e2e.<module>.<Class>.<test_method>,
#       with CASESWITCH_EXE, CASESWITCH_PROBE, CASESWITCH_SESSION_ENV, CASESWITCH_SCREENSHOT_DIR and the
#       harness on PYTHONPATH, plus the variables given (helper executables of the script, say)
#
# They run in the session of tools/wine-session.sh (its file build/<preset>/wine-session.env).
# All of them hold the ctest resource lock "desktop": they need the X keyboard focus, the global hot
# key and the clipboard. Wine GoogleTest executables that need any of these take the same lock
# (gtest_discover_tests(... PROPERTIES RESOURCE_LOCK desktop)); tools/test.sh also runs the e2e label
# apart from the other tests.

if(NOT WIN32 OR NOT CASESWITCH_TESTS)
    function(caseswitch_add_e2e_test)
    endfunction()
    return()
endif()

find_package(Python3 REQUIRED COMPONENTS Interpreter)
get_filename_component(CASESWITCH_E2E_HARNESS_DIR ${CMAKE_CURRENT_LIST_DIR}/../tests/e2e ABSOLUTE)

function(caseswitch_add_e2e_test script)
    cmake_parse_arguments(PARSE_ARGV 1 arg "" "" "ENVIRONMENT")
    set(environment
        CASESWITCH_EXE=$<TARGET_FILE:CaseSwitch>
        CASESWITCH_PROBE=$<TARGET_FILE:probe>
        CASESWITCH_SESSION_ENV=${CMAKE_BINARY_DIR}/wine-session.env
        CASESWITCH_SCREENSHOT_DIR=${CMAKE_BINARY_DIR}/screenshots
        PYTHONPATH=${CASESWITCH_E2E_HARNESS_DIR}
        PYTHONDONTWRITEBYTECODE=1
        ${arg_ENVIRONMENT})
    get_filename_component(path ${script} ABSOLUTE)
    get_filename_component(directory ${path} DIRECTORY)
    get_filename_component(module ${path} NAME_WE)
    # Test methods are read from the script, so adding one re-runs the configure step.
    set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${path})
    file(STRINGS ${path} lines REGEX "^(class [A-Za-z_][A-Za-z0-9_]*\\(|    def test_[A-Za-z0-9_]*\\()")
    set(class "")
    foreach(line IN LISTS lines)
        if(line MATCHES "^class ([A-Za-z_][A-Za-z0-9_]*)\\(")
            set(class ${CMAKE_MATCH_1})
        elseif(line MATCHES "def (test_[A-Za-z0-9_]*)\\(" AND class)
            set(name e2e.${module}.${class}.${CMAKE_MATCH_1})
            add_test(NAME ${name}
                     COMMAND ${Python3_EXECUTABLE} -m unittest -v ${module}.${class}.${CMAKE_MATCH_1}
                     WORKING_DIRECTORY ${directory})
            set_tests_properties(${name} PROPERTIES
                LABELS e2e
                RESOURCE_LOCK desktop
                TIMEOUT 120
                SKIP_REGULAR_EXPRESSION "\\.\\.\\. skipped"
                ENVIRONMENT "${environment}")
        endif()
    endforeach()
endfunction()
