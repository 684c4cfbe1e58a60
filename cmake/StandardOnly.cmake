# tarnvale_standard_only(target): fails the build of `target` when one of its sources or headers
# includes a Qt header. Checked at build time, so a new include breaks the next build, not a review.
function(tarnvale_standard_only target)
    get_target_property(dir ${target} SOURCE_DIR)
    set(stamp ${CMAKE_CURRENT_BINARY_DIR}/${target}.standard-only.stamp)
    set(list_file ${CMAKE_CURRENT_BINARY_DIR}/${target}.standard-only.files)
    file(GLOB_RECURSE files CONFIGURE_DEPENDS ${dir}/*.h ${dir}/*.cpp)
    file(WRITE ${list_file} "${files}")
    add_custom_command(
        OUTPUT ${stamp}
        COMMAND ${CMAKE_COMMAND} -DSTAMP=${stamp} -DLIST_FILE=${list_file}
                -P ${PROJECT_SOURCE_DIR}/cmake/CheckNoQt.cmake
        DEPENDS ${files} ${list_file} ${PROJECT_SOURCE_DIR}/cmake/CheckNoQt.cmake
        COMMENT "Checking that ${target} uses the standard library only"
        VERBATIM)
    add_custom_target(${target}_standard_only DEPENDS ${stamp})
    add_dependencies(${target} ${target}_standard_only)
endfunction()
