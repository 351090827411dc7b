# The font layer (installed TrueType faces over fontconfig); included by platform/CMakeLists.txt.
find_package(PkgConfig REQUIRED)
pkg_check_modules(FONTCONFIG REQUIRED IMPORTED_TARGET fontconfig)
target_sources(platform PRIVATE fonts.h fonts.cpp)
target_link_libraries(platform PRIVATE PkgConfig::FONTCONFIG)

list(APPEND PLATFORM_TEST_SOURCES tests/fonts_test.cpp)
