# The removable drives (memory cards) of the machine; included by platform/CMakeLists.txt.
ombrix_add_library(platform_drives
  SOURCES removable_drives.h removable_drives.cpp
  PUBLIC_LIBS base)

list(APPEND PLATFORM_TEST_SOURCES tests/removable_drives_test.cpp)
list(APPEND PLATFORM_TEST_LIBS platform_drives)
