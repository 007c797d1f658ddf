# The release artefact: the optimised, stripped executable with README and licence in a zip,
# and the zip's SHA-256 beside it. Built by the `release` preset (cmake --build --preset release).

if(NOT CMAKE_BUILD_TYPE STREQUAL "MinSizeRel" AND NOT CMAKE_BUILD_TYPE STREQUAL "Release")
    return()
endif()

find_program(ZIP_PROGRAM zip REQUIRED)
find_program(STRIP_PROGRAM i686-w64-mingw32-strip REQUIRED)
set(release_name CaseSwitch-${PROJECT_VERSION}-win32)
set(release_dir ${CMAKE_BINARY_DIR}/${release_name})
set(release_zip ${CMAKE_BINARY_DIR}/${release_name}.zip)

add_custom_command(
    OUTPUT ${release_zip} ${release_zip}.sha256
    COMMAND ${CMAKE_COMMAND} -E rm -rf ${release_dir} ${release_zip}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${release_dir}
    COMMAND ${STRIP_PROGRAM} -o ${release_dir}/CaseSwitch.exe $<TARGET_FILE:CaseSwitch>
    COMMAND ${CMAKE_COMMAND} -E copy ${PROJECT_SOURCE_DIR}/README.md ${PROJECT_SOURCE_DIR}/LICENSE ${release_dir}
    COMMAND ${CMAKE_COMMAND} -E chdir ${CMAKE_BINARY_DIR} ${ZIP_PROGRAM} -q -X -r ${release_zip} ${release_name}
    COMMAND ${CMAKE_COMMAND} -DZIP=${release_zip} -P ${PROJECT_SOURCE_DIR}/cmake/WriteSha256.cmake
    DEPENDS CaseSwitch ${PROJECT_SOURCE_DIR}/README.md ${PROJECT_SOURCE_DIR}/LICENSE
    COMMENT "Packing ${release_name}.zip"
    VERBATIM)
add_custom_target(release_zip ALL DEPENDS ${release_zip} ${release_zip}.sha256)
