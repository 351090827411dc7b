# Helpers shared by every folder's CMakeLists.txt.

# ombrix_add_tests(<name> SOURCES ... LIBS ... [MAIN <library>]): one GoogleTest executable per
# subsystem, registered with CTest test by test so that `ctest -j` spreads them over the cores.
# MAIN names a library with its own main() (one that starts Qt's application object, say).
function(ombrix_add_tests name)
  cmake_parse_arguments(ARG "" "MAIN" "SOURCES;LIBS;PROPERTIES" ${ARGN})
  if(OMBRIX_FUZZ)
    return()
  endif()
  if(NOT ARG_MAIN)
    set(ARG_MAIN GTest::gtest_main)
  endif()
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} ${ARG_MAIN} GTest::gtest GTest::gmock)
  target_compile_definitions(${name} PRIVATE OMBRIX_SOURCE_DIR="${PROJECT_SOURCE_DIR}" OMBRIX_ORACLES="${OMBRIX_ORACLES}")
  # Under the sanitizers a test's own sources build unoptimised: they are mostly assertion glue,
  # compile in half the time at -O0, and the code under test (the libraries) stays at -O1.
  if(OMBRIX_SANITIZE)
    target_compile_options(${name} PRIVATE -O0)
  endif()
  # At -O2 GCC 12 reports -Wrestrict inside its own inlined std::basic_string code where tests
  # join literals and strings (a known false positive of that version); switched off by name,
  # for tests only.
  if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU" AND CMAKE_CXX_COMPILER_VERSION VERSION_GREATER_EQUAL 12
     AND CMAKE_CXX_COMPILER_VERSION VERSION_LESS 13)
    target_compile_options(${name} PRIVATE -Wno-restrict)
  endif()
  include(GoogleTest)
  gtest_discover_tests(${name}
    WORKING_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR}
    DISCOVERY_TIMEOUT 60
    PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen;ASAN_OPTIONS=detect_leaks=1" ${ARG_PROPERTIES})
endfunction()

# ombrix_add_fuzzer(<name> SOURCES ... LIBS ... [RUNS n]): a libFuzzer target, built only in the
# clang fuzz tree (OMBRIX_FUZZ). CTest replays its seeds (the build folder's <name>-corpus, filled
# at configure time, and the committed fuzz/<name>-regressions folder of inputs that once failed),
# then explores n inputs (default 20000) from a fixed seed: the outcome depends on the submission
# only. Longer exploration with random seeds is scripts/fuzz-explore.
function(ombrix_add_fuzzer name)
  cmake_parse_arguments(ARG "" "RUNS" "SOURCES;LIBS" ${ARGN})
  if(NOT OMBRIX_FUZZ)
    return()
  endif()
  if(NOT ARG_RUNS)
    set(ARG_RUNS 20000)
  endif()
  add_executable(${name} ${ARG_SOURCES})
  target_compile_options(${name} PRIVATE -fsanitize=fuzzer)
  target_link_options(${name} PRIVATE -fsanitize=fuzzer)
  target_link_libraries(${name} PRIVATE ${ARG_LIBS})
  set(corpus ${CMAKE_CURRENT_BINARY_DIR}/${name}-corpus)
  file(MAKE_DIRECTORY ${corpus})
  add_test(NAME ${name}
    COMMAND ${PROJECT_SOURCE_DIR}/cmake/run-fuzzer $<TARGET_FILE:${name}> ${ARG_RUNS} 1 ${corpus}
            ${CMAKE_CURRENT_SOURCE_DIR}/fuzz/${name}-regressions)
  set_tests_properties(${name} PROPERTIES TIMEOUT 900)
endfunction()

# ombrix_add_library(<name> SOURCES ... [PUBLIC_LIBS ...] [PRIVATE_LIBS ...]): a folder's library,
# built in every tree (the fuzz tree needs the libraries it fuzzes).
function(ombrix_add_library name)
  cmake_parse_arguments(ARG "" "" "SOURCES;PUBLIC_LIBS;PRIVATE_LIBS" ${ARGN})
  add_library(${name} STATIC ${ARG_SOURCES})
  if(OMBRIX_FUZZ)
    # The fuzz tree builds only what its fuzz targets link.
    set_target_properties(${name} PROPERTIES EXCLUDE_FROM_ALL TRUE)
  endif()
  target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR})
  target_link_libraries(${name} PUBLIC ${ARG_PUBLIC_LIBS} PRIVATE ${ARG_PRIVATE_LIBS})
endfunction()

# ombrix_add_test_support(<name> SOURCES ... [PUBLIC_LIBS ...]): helpers shared by the tests,
# tools and benchmarks of several folders, compiled once; they see the test executables' paths.
function(ombrix_add_test_support name)
  ombrix_add_library(${name} ${ARGN})
  target_compile_definitions(${name} PRIVATE OMBRIX_SOURCE_DIR="${PROJECT_SOURCE_DIR}" OMBRIX_ORACLES="${OMBRIX_ORACLES}")
endfunction()

# ombrix_add_fixture_check(<name> <script> <fixture>): a CTest entry that re-runs a committed
# generator (path relative to the folder) with --check against the fixture or table it made.
function(ombrix_add_fixture_check name script fixture)
  add_test(NAME ${name}
    COMMAND /usr/bin/python3 ${CMAKE_CURRENT_SOURCE_DIR}/${script} --check ${CMAKE_CURRENT_SOURCE_DIR}/${fixture})
endfunction()
