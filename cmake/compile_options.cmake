# SPDX-License-Identifier: BSD-3-Clause
# Warnings and sanitizers for every target of the project (not for third-party code).
add_library(zem_options INTERFACE)
target_compile_options(zem_options INTERFACE -Wall -Wextra -Wshadow -Wno-unused-parameter)
target_include_directories(zem_options INTERFACE ${PROJECT_SOURCE_DIR})
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
