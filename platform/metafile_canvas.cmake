# The metafile canvas (records EMF drawing, measures text with the font layer); included by
# platform/CMakeLists.txt.
ombrix_add_library(platform_canvas
  SOURCES emf_format.h font_metrics.h font_metrics.cpp metafile_canvas.h metafile_canvas.cpp
  PUBLIC_LIBS base platform_fonts)

list(APPEND PLATFORM_TEST_SOURCES tests/metafile_canvas_test.cpp)
list(APPEND PLATFORM_TEST_LIBS platform_canvas)
