# Extras of the native build, beyond the core and its tests:
# - the libFuzzer targets (fuzz/), a clang project of their own, configured
#   and built into <build>/fuzz along with this build;
# - the ctest entry fuzz-smoke: a few seconds of every fuzz target;
# - the target `bench`, which builds and runs the micro-benchmarks in their
#   own optimised build without sanitizers (scripts/bench.sh).
include(ExternalProject)

find_program(VELMORA_CLANGXX NAMES clang++ clang++-14)
find_program(VELMORA_PYTHON3 NAMES python3)
set(VELMORA_FUZZ_SMOKE_SECONDS 7 CACHE STRING "Seconds each fuzz target runs in the fuzz-smoke test")

if(VELMORA_CLANGXX AND VELMORA_PYTHON3)
  ExternalProject_Add(velmora-fuzz
    SOURCE_DIR ${CMAKE_SOURCE_DIR}/fuzz
    BINARY_DIR ${CMAKE_BINARY_DIR}/fuzz
    CMAKE_ARGS -DCMAKE_CXX_COMPILER=${VELMORA_CLANGXX} -DCMAKE_BUILD_TYPE=Debug
               -DPython3_EXECUTABLE=${VELMORA_PYTHON3}
    INSTALL_COMMAND ""
    BUILD_ALWAYS ON)
  add_test(NAME fuzz-smoke
           COMMAND sh ${CMAKE_SOURCE_DIR}/scripts/fuzz.sh --no-build --seconds ${VELMORA_FUZZ_SMOKE_SECONDS}
                   --build-dir ${CMAKE_BINARY_DIR}/fuzz)
  set_tests_properties(fuzz-smoke PROPERTIES TIMEOUT 300)
else()
  add_test(NAME fuzz-smoke COMMAND sh -c "echo 'fuzz-smoke: clang++ or python3 missing (scripts/setup.sh installs them)'; exit 77")
  set_tests_properties(fuzz-smoke PROPERTIES SKIP_RETURN_CODE 77)
endif()

add_custom_target(bench COMMAND sh ${CMAKE_SOURCE_DIR}/scripts/bench.sh USES_TERMINAL)
