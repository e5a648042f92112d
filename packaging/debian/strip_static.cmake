# SPDX-License-Identifier: BSD-3-Clause
# CPack pre-build script: the static library goes into libzem-dev without its
# debug information, as the shared library and the programs do.
file(GLOB_RECURSE archives ${CPACK_TEMPORARY_INSTALL_DIRECTORY}/*.a)
foreach(archive ${archives})
  execute_process(COMMAND ${CPACK_ZEM_STRIP} --strip-debug ${archive} RESULT_VARIABLE failed)
  if(failed)
    message(FATAL_ERROR "could not strip ${archive}")
  endif()
endforeach()
