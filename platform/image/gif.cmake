# GIF decoder and frame composer (portable).
set(TREE_GIF_SOURCES
  "${CMAKE_CURRENT_LIST_DIR}/gif_lzw.cpp"
  "${CMAKE_CURRENT_LIST_DIR}/gif_decoder.cpp"
  "${CMAKE_CURRENT_LIST_DIR}/gif_composer.cpp")
add_library(image_gif STATIC ${TREE_GIF_SOURCES})
target_link_libraries(image_gif PUBLIC image_core)

# The fuzz target compiles the decoder itself so that it carries the coverage instrumentation.
tree_fuzz_target(gif_fuzz
  SOURCES "${CMAKE_SOURCE_DIR}/fuzz/gif_fuzz.cpp" ${TREE_GIF_SOURCES}
  LIBS image_core)
if(TARGET gif_fuzz)
  # Undefined behaviour stops the run instead of scrolling past.
  target_compile_options(gif_fuzz PRIVATE -fno-sanitize-recover=undefined)
endif()
