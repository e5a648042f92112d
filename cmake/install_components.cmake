# SPDX-License-Identifier: BSD-3-Clause
# `cmake --install --component X` installs X alone. The components whose files
# load libzem.so.1 (Development's libzem.so link, the GStreamer plugin, and
# zemtool and zemfs in Tools) would install broken on their own, so each
# also runs the Runtime component's rules when it is installed alone. The
# Debian packages, staged by CPack below CPACK_PACKAGE_DIRECTORY, take each
# component alone: there the package relations (libzem1) bring the library.
set(ZEM_COMPONENTS_NEEDING_RUNTIME Development Tools)
if(TARGET gstzem)
  list(APPEND ZEM_COMPONENTS_NEEDING_RUNTIME GStreamer)
endif()
set(ZEM_PACKAGE_STAGING ${CMAKE_BINARY_DIR}/cpack/)
foreach(component ${ZEM_COMPONENTS_NEEDING_RUNTIME})
  install(CODE "
    set(zem_destination \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/\")
    string(FIND \"\${zem_destination}\" \"${ZEM_PACKAGE_STAGING}\" zem_staged)
    if(CMAKE_INSTALL_COMPONENT STREQUAL \"${component}\" AND NOT zem_staged EQUAL 0)
      message(STATUS \"${component} needs libzem's shared library: installing the component Runtime too\")
      set(CMAKE_INSTALL_COMPONENT Runtime)
      include(\"${PROJECT_BINARY_DIR}/codec/cmake_install.cmake\")
      set(CMAKE_INSTALL_COMPONENT \"${component}\")
    endif()" COMPONENT ${component})
endforeach()
