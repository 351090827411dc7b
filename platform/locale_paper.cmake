# The locale's paper size (glibc's LC_PAPER); included by platform/CMakeLists.txt.
ombrix_add_library(platform_locale
  SOURCES locale_paper.h locale_paper.cpp
  PUBLIC_LIBS base)

list(APPEND PLATFORM_TEST_SOURCES tests/locale_paper_test.cpp)
list(APPEND PLATFORM_TEST_LIBS platform_locale)
