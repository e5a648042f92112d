# SPDX-License-Identifier: BSD-3-Clause
# Warnings and sanitizers for every target of the project (not for third-party code).
add_library(zem_options INTERFACE)
target_compile_options(zem_options INTERFACE -Wall -Wextra -Wshadow -Wno-unused-parameter)
# Headers are included by their path from the top of the tree, except by the
# programs built on libzem (zem_library_client below): they see <zem/*.h> and
# their own folders, never the codec's internals.
target_include_directories(zem_options INTERFACE
                           $<$<NOT:$<BOOL:$<TARGET_PROPERTY:ZEM_LIBRARY_CLIENT>>>:${PROJECT_SOURCE_DIR}>)
if(WIN32)
  # Unicode Win32 names; our own code never relies on the TCHAR macros.
  target_compile_definitions(zem_options INTERFACE UNICODE _UNICODE WIN32_LEAN_AND_MEAN NOMINMAX)
endif()
if(ZEM_SANITIZE)
  target_compile_options(zem_options INTERFACE -fsanitize=address,undefined -fno-omit-frame-pointer
                         -fno-sanitize-recover=undefined)
  target_link_options(zem_options INTERFACE -fsanitize=address,undefined)
endif()
if(ZEM_SANITIZE_THREAD)
  if(ZEM_SANITIZE)
    message(FATAL_ERROR "ZEM_SANITIZE and ZEM_SANITIZE_THREAD exclude each other")
  endif()
  target_compile_options(zem_options INTERFACE -fsanitize=thread -fno-omit-frame-pointer)
  target_link_options(zem_options INTERFACE -fsanitize=thread)
endif()

# The Windows build reads <windows.h> in nearly every file, and reading it costs
# more than compiling most of them: targets with many files precompile it once.
function(zem_precompile_windows_header target)
  if(WIN32)
    target_precompile_headers(${target} PRIVATE <windows.h> <string> <vector>)
  endif()
endfunction()

# zem_library_client(TARGET [FOLDERS folder...]): TARGET is a program (or a
# part of one) built on libzem alone. The top of the tree leaves its include
# path; each FOLDER (a path from the top, e.g. tools/zemfs) stays includable
# by that path, through an include root of TARGET's own holding only those
# folders, for TARGET and for the targets that link it.
function(zem_library_client target)
  cmake_parse_arguments(PARSE_ARGV 1 arg "" "" "FOLDERS")
  set_target_properties(${target} PROPERTIES ZEM_LIBRARY_CLIENT ON)
  if(NOT arg_FOLDERS)
    return()
  endif()
  set(root ${CMAKE_BINARY_DIR}/include-roots/${target})
  foreach(folder IN LISTS arg_FOLDERS)
    get_filename_component(parent ${root}/${folder} DIRECTORY)
    file(MAKE_DIRECTORY ${parent})
    if(NOT IS_SYMLINK ${root}/${folder})
      file(CREATE_LINK ${PROJECT_SOURCE_DIR}/${folder} ${root}/${folder} SYMBOLIC)
    endif()
  endforeach()
  get_target_property(type ${target} TYPE)
  if(type STREQUAL "EXECUTABLE" OR type STREQUAL "MODULE_LIBRARY" OR type STREQUAL "SHARED_LIBRARY")
    target_include_directories(${target} PRIVATE ${root})
  else()
    target_include_directories(${target} PUBLIC ${root})
  endif()
endfunction()
