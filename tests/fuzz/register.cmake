# The sanitize preset's programs, run from the native build so that one ctest run
# covers them: the unit tests under AddressSanitizer and UndefinedBehaviorSanitizer,
# and a short smoke run of every fuzz target over its corpus kept in the repository.
set(NOWPLAYING_SANITIZE_BIN_DIR "" CACHE PATH "bin folder of the sanitize build")
set(NOWPLAYING_FUZZ_SMOKE_SECONDS 4 CACHE STRING "seconds each fuzz target runs in the test suite")
if(NOWPLAYING_SANITIZE_BIN_DIR)
  add_test(NAME sanitize.unit_tests COMMAND ${NOWPLAYING_SANITIZE_BIN_DIR}/unit_tests)
  foreach(target ${NOWPLAYING_FUZZ_TARGETS})
    set(scratch ${PROJECT_BINARY_DIR}/fuzz-scratch/${target})
    file(MAKE_DIRECTORY ${scratch})
    # New inputs go to the scratch folder; the repository's corpus is only read.
    add_test(NAME fuzz_smoke.${target}
             COMMAND ${NOWPLAYING_SANITIZE_BIN_DIR}/fuzz_${target}
                     -max_total_time=${NOWPLAYING_FUZZ_SMOKE_SECONDS} -print_final_stats=1
                     ${scratch} ${PROJECT_SOURCE_DIR}/tests/fuzz/corpus/${target})
  endforeach()
endif()
