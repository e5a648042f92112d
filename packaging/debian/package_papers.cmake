# SPDX-License-Identifier: BSD-3-Clause
# CPack pre-build script: every package gets the copyright file and the
# changelog in its doc folder, usr/share/doc/PACKAGE. The component's staged
# files lie in CPACK_TEMPORARY_INSTALL_DIRECTORY/COMPONENT/PREFIX.
foreach(entry ${CPACK_ZEM_COMPONENT_PACKAGES})
  string(REPLACE "=" ";" pair ${entry})
  list(GET pair 0 component)
  list(GET pair 1 package)
  set(staged ${CPACK_TEMPORARY_INSTALL_DIRECTORY}/${component})
  if(NOT IS_DIRECTORY ${staged})
    message(FATAL_ERROR "no staged files of ${component} in ${staged}")
  endif()
  set(folder ${staged}${CPACK_PACKAGING_INSTALL_PREFIX}/${CPACK_ZEM_DOC_FOLDER}/${package})
  file(MAKE_DIRECTORY ${folder})
  file(COPY ${CPACK_ZEM_PAPERS} DESTINATION ${folder} FILE_PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ)
endforeach()
