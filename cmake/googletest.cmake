# SPDX-License-Identifier: BSD-3-Clause
# GoogleTest from the system's sources, built with the project's own compiler (native or MinGW).
set(GTEST_SOURCE_DIR /usr/src/googletest CACHE PATH "GoogleTest sources")
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
set(gtest_force_shared_crt ON CACHE BOOL "" FORCE)
add_subdirectory(${GTEST_SOURCE_DIR} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
# Test code only: built for compile speed, as the tests themselves are.
foreach(target gtest gtest_main)
  target_compile_options(${target} PRIVATE $<$<CONFIG:Release,RelWithDebInfo>:-Og> $<$<CONFIG:RelWithDebInfo,Debug>:-g1>)
endforeach()
if(ZEM_SANITIZE)
  target_compile_options(gtest PRIVATE -fsanitize=address,undefined)
  target_compile_options(gtest_main PRIVATE -fsanitize=address,undefined)
endif()
