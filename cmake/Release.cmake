# The release artefact: the optimised, stripped executable with the Chinese user guide, the
# changelog and the licence in a zip, and the zip's SHA-256 beside it, one for each architecture:
# CaseSwitch-<version>-win32.zip from the `release` preset, CaseSwitch-<version>-win64.zip from
# `release-win64` (cmake --build --preset release, or release-win64).
#
# The texts are for Notepad: CRLF line ends (Notepad before Windows 10 1809 runs lines ended by a
# bare LF together) and UTF-8 with a byte order mark, which Notepad decodes whatever the system's
# code page, so the guide is readable even before the user has set the language for non-Unicode
# programs that it asks for.

if(NOT CMAKE_BUILD_TYPE STREQUAL "MinSizeRel" AND NOT CMAKE_BUILD_TYPE STREQUAL "Release")
    return()
endif()

find_package(Python3 REQUIRED COMPONENTS Interpreter)
if(CMAKE_SIZEOF_VOID_P EQUAL 8)
    set(release_arch win64)
    find_program(STRIP_PROGRAM x86_64-w64-mingw32-strip REQUIRED)
else()
    set(release_arch win32)
    find_program(STRIP_PROGRAM i686-w64-mingw32-strip REQUIRED)
endif()
set(release_name CaseSwitch-${PROJECT_VERSION}-${release_arch})
set(release_dir ${CMAKE_BINARY_DIR}/${release_name})
set(release_zip ${CMAKE_BINARY_DIR}/${release_name}.zip)

set(release_texts)
foreach(text docs/user/使用说明.txt docs/user/更新日志.txt LICENSE)
    get_filename_component(name ${text} NAME_WE)
    set(copy ${CMAKE_BINARY_DIR}/release-texts/${name}.txt)
    configure_file(${PROJECT_SOURCE_DIR}/${text} ${copy} @ONLY NEWLINE_STYLE CRLF)
    list(APPEND release_texts ${copy})
endforeach()

add_custom_command(
    OUTPUT ${release_zip} ${release_zip}.sha256
    COMMAND ${CMAKE_COMMAND} -E rm -rf ${release_dir} ${release_zip}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${release_dir}
    COMMAND ${STRIP_PROGRAM} -o ${release_dir}/CaseSwitch.exe $<TARGET_FILE:CaseSwitch>
    COMMAND ${CMAKE_COMMAND} -E copy ${release_texts} ${release_dir}
    COMMAND ${Python3_EXECUTABLE} ${PROJECT_SOURCE_DIR}/cmake/PackZip.py ${release_zip} ${release_dir}
    COMMAND ${CMAKE_COMMAND} -DZIP=${release_zip} -P ${PROJECT_SOURCE_DIR}/cmake/WriteSha256.cmake
    DEPENDS CaseSwitch ${release_texts} ${PROJECT_SOURCE_DIR}/cmake/PackZip.py
    COMMENT "Packing ${release_name}.zip"
    VERBATIM)
add_custom_target(release_zip ALL DEPENDS ${release_zip} ${release_zip}.sha256)
