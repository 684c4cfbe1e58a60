# The fuzzers (the life-table reader, the number texts, the matrix text, the matrix file reader,
# the databases' flat files, the command line's "what if"), built with clang (they need
# libFuzzer) as a project of their own under fuzz/, and a bounded run of each as a test. They are left out, with a note, when no clang here can build a libFuzzer
# target.
set(TARNVALE_FUZZ_SECONDS 60 CACHE STRING "How long the life-table fuzz test runs, in seconds")
set(TARNVALE_NUMBERTEXT_FUZZ_SECONDS 30 CACHE STRING
    "How long the number-text fuzz test runs, in seconds")
set(TARNVALE_MATRIX_FUZZ_SECONDS 30 CACHE STRING "How long the matrix fuzz test runs, in seconds")
set(TARNVALE_MATRIXFILE_FUZZ_SECONDS 30 CACHE STRING
    "How long the matrix file fuzz test runs, in seconds")
set(TARNVALE_COMPADRE_FUZZ_SECONDS 30 CACHE STRING
    "How long the flat-file fuzz test runs, in seconds")
set(TARNVALE_WHATIF_FUZZ_SECONDS 30 CACHE STRING
    "How long the what-if fuzz test runs, in seconds")

find_program(TARNVALE_FUZZ_CXX NAMES clang++ clang++-14)
if(NOT TARNVALE_FUZZ_CXX)
    message(STATUS "Fuzzing: no clang++ found; the fuzz tests are left out")
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
                   "libclang-rt-14-dev installed?); the fuzz tests are left out")
    return()
endif()
message(STATUS "Fuzzing: lifetable_fuzz (${TARNVALE_FUZZ_SECONDS} s), numbertext_fuzz "
               "(${TARNVALE_NUMBERTEXT_FUZZ_SECONDS} s), matrix_fuzz "
               "(${TARNVALE_MATRIX_FUZZ_SECONDS} s), matrixfile_fuzz "
               "(${TARNVALE_MATRIXFILE_FUZZ_SECONDS} s), compadre_fuzz "
               "(${TARNVALE_COMPADRE_FUZZ_SECONDS} s) and whatif_fuzz "
               "(${TARNVALE_WHATIF_FUZZ_SECONDS} s) with ${TARNVALE_FUZZ_CXX}")

include(ExternalProject)
set(fuzz_dir ${CMAKE_BINARY_DIR}/fuzz)
ExternalProject_Add(tarnvale_fuzzers
    SOURCE_DIR ${PROJECT_SOURCE_DIR}/fuzz
    BINARY_DIR ${fuzz_dir}
    CMAKE_ARGS -DCMAKE_CXX_COMPILER=${TARNVALE_FUZZ_CXX} -DCMAKE_BUILD_TYPE=RelWithDebInfo
    BUILD_COMMAND ${CMAKE_COMMAND} --build ${fuzz_dir} --parallel 2
    BUILD_ALWAYS ON
    INSTALL_COMMAND ""
    BUILD_BYPRODUCTS ${fuzz_dir}/lifetable_fuzz ${fuzz_dir}/numbertext_fuzz ${fuzz_dir}/matrix_fuzz
                     ${fuzz_dir}/matrixfile_fuzz ${fuzz_dir}/compadre_fuzz
                     ${fuzz_dir}/whatif_fuzz)

# tarnvale_fuzz_test(name seconds): a bounded run of fuzz/<name>.cpp from its committed seeds
# (fuzz/corpus/<corpus>, only read) and the inputs it found before (kept in the build tree),
# with fuzz/<corpus>.dict.
function(tarnvale_fuzz_test name corpus seconds)
    file(MAKE_DIRECTORY ${fuzz_dir}/corpus-${corpus})
    add_test(NAME ${name}
        COMMAND ${fuzz_dir}/${name} -max_total_time=${seconds}
                -print_final_stats=1 -timeout=10 -rss_limit_mb=2048 -artifact_prefix=${fuzz_dir}/
                -dict=${PROJECT_SOURCE_DIR}/fuzz/${corpus}.dict
                ${fuzz_dir}/corpus-${corpus} ${PROJECT_SOURCE_DIR}/fuzz/corpus/${corpus})
    math(EXPR timeout "${seconds} + 120")
    set_tests_properties(${name} PROPERTIES TIMEOUT ${timeout} LABELS fuzz)
endfunction()

tarnvale_fuzz_test(lifetable_fuzz lifetable ${TARNVALE_FUZZ_SECONDS})
tarnvale_fuzz_test(numbertext_fuzz numbertext ${TARNVALE_NUMBERTEXT_FUZZ_SECONDS})
tarnvale_fuzz_test(matrix_fuzz matrix ${TARNVALE_MATRIX_FUZZ_SECONDS})
tarnvale_fuzz_test(matrixfile_fuzz matrixfile ${TARNVALE_MATRIXFILE_FUZZ_SECONDS})
tarnvale_fuzz_test(compadre_fuzz compadre ${TARNVALE_COMPADRE_FUZZ_SECONDS})
tarnvale_fuzz_test(whatif_fuzz whatif ${TARNVALE_WHATIF_FUZZ_SECONDS})
