# The life-table fuzzer, built with clang (it needs libFuzzer) as a project of its own under
# fuzz/, and a bounded run of it as a test. Both are left out, with a note, when no clang here
# can build a libFuzzer target.
set(TARNVALE_FUZZ_SECONDS 60 CACHE STRING "How long the fuzz test runs, in seconds")

find_program(TARNVALE_FUZZ_CXX NAMES clang++ clang++-14)
if(NOT TARNVALE_FUZZ_CXX)
    message(STATUS "Fuzzing: no clang++ found; the fuzz test is left out")
    return()
endif()

set(probe_dir ${CMAKE_BINARY_DIR}/fuzz-probe)
file(WRITE ${probe_dir}/probe.cpp
     "#include <cstddef>\n#include <cstdint>\n"
     "extern \"C\" int LLVMFuzzerTestOneInput(const std::uint8_t *, std::size_t) { return 0; }\n")
execute_process(
    COMMAND ${TARNVALE_FUZZ_CXX} -std=c++20 -fsanitize=fuzzer,address,undefined
            ${probe_dir}/probe.cpp -o ${probe_dir}/probe
    RESULT_VARIABLE probe_result OUTPUT_QUIET ERROR_QUIET)
if(NOT probe_result EQUAL 0)
    message(STATUS "Fuzzing: ${TARNVALE_FUZZ_CXX} cannot build a libFuzzer target (is "
                   "libclang-rt-14-dev installed?); the fuzz test is left out")
    return()
endif()
message(STATUS "Fuzzing: lifetable_fuzz with ${TARNVALE_FUZZ_CXX}, ${TARNVALE_FUZZ_SECONDS} s")

include(ExternalProject)
set(fuzz_dir ${CMAKE_BINARY_DIR}/fuzz)
ExternalProject_Add(lifetable_fuzz
    SOURCE_DIR ${PROJECT_SOURCE_DIR}/fuzz
    BINARY_DIR ${fuzz_dir}
    CMAKE_ARGS -DCMAKE_CXX_COMPILER=${TARNVALE_FUZZ_CXX} -DCMAKE_BUILD_TYPE=RelWithDebInfo
    BUILD_COMMAND ${CMAKE_COMMAND} --build ${fuzz_dir} --parallel 2
    BUILD_ALWAYS ON
    INSTALL_COMMAND ""
    BUILD_BYPRODUCTS ${fuzz_dir}/lifetable_fuzz)

# New inputs the fuzzer finds go into the build tree; the committed seeds are only read.
file(MAKE_DIRECTORY ${fuzz_dir}/corpus)
add_test(NAME lifetable_fuzz
    COMMAND ${fuzz_dir}/lifetable_fuzz -max_total_time=${TARNVALE_FUZZ_SECONDS}
            -print_final_stats=1 -timeout=10 -rss_limit_mb=2048 -artifact_prefix=${fuzz_dir}/
            -dict=${PROJECT_SOURCE_DIR}/fuzz/lifetable.dict
            ${fuzz_dir}/corpus ${PROJECT_SOURCE_DIR}/fuzz/corpus/lifetable)
math(EXPR fuzz_timeout "${TARNVALE_FUZZ_SECONDS} + 120")
set_tests_properties(lifetable_fuzz PROPERTIES TIMEOUT ${fuzz_timeout} LABELS fuzz)
