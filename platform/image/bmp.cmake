# BMP reader: portable, byte-span based.
add_library(image_bmp STATIC ${CMAKE_CURRENT_LIST_DIR}/bmp_reader.cpp)
target_link_libraries(image_bmp PUBLIC image_core)

tree_fuzz_target(bmp_fuzz SOURCES ${CMAKE_SOURCE_DIR}/fuzz/bmp_fuzz.cpp LIBS image_bmp)
