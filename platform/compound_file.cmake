# The compound file (structured storage stand-in), library platform_storage; included by
# platform/CMakeLists.txt.
ombrix_add_library(platform_storage
  SOURCES compound_file.h compound_file.cpp
          compound_file_error.h compound_file_format.h
          compound_file_directory.h compound_file_directory.cpp
          compound_file_reader.h compound_file_reader.cpp
          compound_file_writer.h compound_file_writer.cpp
          mapped_file.h mapped_file.cpp
  PUBLIC_LIBS base)

list(APPEND PLATFORM_TEST_SOURCES tests/compound_file_test.cpp tests/compound_file_hostile_test.cpp tests/mapped_file_test.cpp)
list(APPEND PLATFORM_TEST_LIBS platform_storage)

ombrix_add_fuzzer(compound_file_fuzz SOURCES fuzz/compound_file_fuzz.cpp LIBS platform_storage RUNS 6000)
if(OMBRIX_FUZZ)
  # A valid file to start from: the fuzzer mutates its tables instead of searching for the signature.
  file(COPY ${CMAKE_CURRENT_SOURCE_DIR}/fuzz/compound_file_corpus/ DESTINATION ${CMAKE_CURRENT_BINARY_DIR}/compound_file_fuzz-corpus)
endif()
