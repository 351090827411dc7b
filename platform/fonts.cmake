# The font layer (installed TrueType faces over fontconfig), library platform_fonts; included by
# platform/CMakeLists.txt.
find_package(PkgConfig REQUIRED)
pkg_check_modules(FONTCONFIG REQUIRED IMPORTED_TARGET fontconfig)
ombrix_add_library(platform_fonts
  SOURCES fonts.h fonts.cpp
  PUBLIC_LIBS base
  PRIVATE_LIBS PkgConfig::FONTCONFIG)

list(APPEND PLATFORM_TEST_SOURCES tests/fonts_test.cpp)
list(APPEND PLATFORM_TEST_LIBS platform_fonts)
