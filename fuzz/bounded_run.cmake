# fuzz.bounded: builds the fuzz targets natively and runs them for about a minute in all. It
# needs no Wine and no display; it is registered only when clang builds a libFuzzer program
# with the flags of fuzz/native_flags.cmake (a failed probe is tried again at each configure).
include(${CMAKE_CURRENT_LIST_DIR}/native_flags.cmake)
find_program(TARN_FUZZ_CXX NAMES clang++ clang++-14 NO_CMAKE_FIND_ROOT_PATH)
if(TARN_FUZZ_CXX AND NOT TARN_FUZZ_TOOLCHAIN_WORKS)
  set(probe ${CMAKE_BINARY_DIR}/CMakeFiles/fuzz_probe)
  file(WRITE ${probe}.cpp "#include <windows.h>\n#include <cstddef>\n"
       "extern \"C\" int LLVMFuzzerTestOneInput(const BYTE*, std::size_t) { return 0; }\n")
  execute_process(COMMAND ${TARN_FUZZ_CXX} ${TARN_FUZZ_COMPILE_FLAGS} ${TARN_FUZZ_LINK_FLAGS} ${probe}.cpp -o ${probe}
                  RESULT_VARIABLE probeResult OUTPUT_QUIET ERROR_QUIET)
  if(probeResult EQUAL 0)
    set(TARN_FUZZ_TOOLCHAIN_WORKS ON CACHE INTERNAL "clang builds libFuzzer programs for fuzz.bounded")
  endif()
endif()
if(TARN_FUZZ_TOOLCHAIN_WORKS)
  # Five targets, 12 seconds each.
  add_test(NAME fuzz.bounded COMMAND ${PROJECT_SOURCE_DIR}/tools/fuzz 12)
  set_tests_properties(fuzz.bounded PROPERTIES ENVIRONMENT "TARN_BUILD_DIR=${CMAKE_BINARY_DIR}" TIMEOUT 900)
else()
  message(STATUS "fuzz.bounded not registered: it needs clang with libFuzzer and Wine's headers")
endif()
