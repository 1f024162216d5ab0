# Prints the product version, as the top CMakeLists.txt sets it in project(VERSION).
# usage: cmake -P packaging/version.cmake
file(READ "${CMAKE_CURRENT_LIST_DIR}/../CMakeLists.txt" top)
if(NOT top MATCHES "project\\([^)]*VERSION[ \t\r\n]+([0-9]+(\\.[0-9]+)*)")
  message(FATAL_ERROR "no VERSION in the project() call of the top CMakeLists.txt")
endif()
execute_process(COMMAND "${CMAKE_COMMAND}" -E echo "${CMAKE_MATCH_1}")
