# The locale's paper size (glibc's LC_PAPER); included by platform/CMakeLists.txt.
target_sources(platform PRIVATE locale_paper.h locale_paper.cpp)

list(APPEND PLATFORM_TEST_SOURCES tests/locale_paper_test.cpp)
