# PNG decoder on zlib: portable, byte-span based.
add_library(image_png STATIC
  ${CMAKE_CURRENT_LIST_DIR}/png_decoder.cpp
  ${CMAKE_CURRENT_LIST_DIR}/png_unfilter.cpp
  ${CMAKE_CURRENT_LIST_DIR}/png_rows.cpp)
target_link_libraries(image_png PUBLIC image_core PRIVATE tree_zlib)

tree_fuzz_target(png_fuzz SOURCES ${CMAKE_SOURCE_DIR}/fuzz/png_fuzz.cpp LIBS image_png)
