# Helpers shared by every folder's CMakeLists.txt.

# Adds a folder only once it has a CMakeLists.txt, so pieces can land one at a time.
function(tree_add_subdirectory dir)
  if(EXISTS "${CMAKE_SOURCE_DIR}/${dir}/CMakeLists.txt")
    add_subdirectory("${CMAKE_SOURCE_DIR}/${dir}" "${CMAKE_BINARY_DIR}/${dir}")
  endif()
endfunction()

# Adds every direct subfolder of the current folder that has a CMakeLists.txt.
function(tree_add_subfolders)
  file(GLOB children LIST_DIRECTORIES true "${CMAKE_CURRENT_SOURCE_DIR}/*")
  list(SORT children)
  foreach(child IN LISTS children)
    if(IS_DIRECTORY "${child}" AND EXISTS "${child}/CMakeLists.txt")
      add_subdirectory("${child}")
    endif()
  endforeach()
endfunction()

# zlib: the host's shared library natively, the MinGW static archive when cross-building.
if(NOT TARGET tree_zlib)
  add_library(tree_zlib INTERFACE)
  if(WIN32 AND NOT MSVC)
    target_link_libraries(tree_zlib INTERFACE z)
  else()
    find_package(ZLIB REQUIRED)
    target_link_libraries(tree_zlib INTERFACE ZLIB::ZLIB)
  endif()
endif()

# tree_host_test(NAME SOURCES ... LIBS ...): a native GoogleTest executable whose
# cases CTest lists one by one. TREE_SHARED_DIR reaches the tests as an environment variable.
function(tree_host_test name)
  cmake_parse_arguments(T "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE ${T_LIBS} GTest::gtest_main GTest::gmock)
  # Discovery flattens list values, so each property carries one variable only.
  gtest_discover_tests(${name}
    PROPERTIES LABELS host
               ENVIRONMENT "TREE_SHARED_DIR=${TREE_SHARED_DIR}"
               ENVIRONMENT_MODIFICATION "TREE_SOURCE_DIR=set:${CMAKE_SOURCE_DIR}"
    DISCOVERY_TIMEOUT 60)
endfunction()

# tree_win32_test(NAME SOURCES ... LIBS ...): a GoogleTest executable cross-built and run
# under Wine. One Wine start costs about a second, so the whole executable is one CTest test.
function(tree_win32_test name)
  cmake_parse_arguments(T "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE ${T_LIBS} gtest_main gmock)
  add_test(NAME ${name} COMMAND ${name} --gtest_color=no)
  set_tests_properties(${name} PROPERTIES LABELS win32 TIMEOUT 300)
endfunction()

# Every target includes from the source root: #include "platform/image/bitmap.h".
if(NOT TARGET platform_base)
  add_library(platform_base INTERFACE)
  target_include_directories(platform_base INTERFACE "${CMAKE_SOURCE_DIR}")
endif()

# tree_fuzz_target(NAME SOURCES ... LIBS ...): a libFuzzer target, built only in the
# clang fuzz tree (-DTREE_FUZZ=ON). The source defines LLVMFuzzerTestOneInput.
option(TREE_FUZZ "Build the libFuzzer targets (clang only)" OFF)
function(tree_fuzz_target name)
  if(NOT TREE_FUZZ)
    return()
  endif()
  cmake_parse_arguments(T "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  target_compile_options(${name} PRIVATE -fsanitize=fuzzer,address,undefined)
  target_link_options(${name} PRIVATE -fsanitize=fuzzer,address,undefined)
  target_link_libraries(${name} PRIVATE ${T_LIBS})
  set_property(GLOBAL APPEND PROPERTY TREE_FUZZ_TARGETS ${name})
endfunction()
