# SPDX-License-Identifier: BSD-3-Clause
# libFLAC and libebur128 for the Windows build of zemtool convert and gain,
# static, built from the upstream tarballs of Debian's source packages (flac
# 1.4.2+ds-2, libebur128 1.2.6-1) that tools/setup.sh fetches with apt-get
# source (Debian's patches to flac change its program and documentation, not
# libFLAC).
#
# The tarballs are unpacked when the build is configured; each project then
# builds with this build's tool chain file and -O2, and only its library: no
# programs, documentation, tests or Ogg. Both come out as imported targets,
# zem_windows_flac and zem_windows_ebur128. Without the sources the build goes
# on without them (ZEM_WINDOWS_AUDIO_MISSING says why); under CI (CI=true)
# that is an error.
include(ExternalProject)

set(ZEM_WINDOWS_AUDIO_SOURCES /var/cache/zem-tools/sources CACHE PATH
    "Folder of the Debian source packages of libFLAC and libebur128 (tools/setup.sh fills it)")
# The SHA-256 sums that the packages' signed .dsc files give for these tarballs.
set(zem_flac_tarball ${ZEM_WINDOWS_AUDIO_SOURCES}/flac_1.4.2+ds.orig.tar.xz)
set(zem_flac_sha256 47274ac8fcb1f0e6caa91d29f943925d7a40c0a3f6357c3275773bdb1ee46638)
set(zem_ebur128_tarball ${ZEM_WINDOWS_AUDIO_SOURCES}/libebur128_1.2.6.orig.tar.gz)
set(zem_ebur128_sha256 baa7fc293a3d4651e244d8022ad03ab797ca3c2ad8442c43199afe8059faa613)

set(ZEM_WINDOWS_AUDIO_MISSING "")
foreach(tarball ${zem_flac_tarball} ${zem_ebur128_tarball})
  if(NOT EXISTS ${tarball})
    set(ZEM_WINDOWS_AUDIO_MISSING "${tarball} is missing (tools/setup.sh fetches it)")
    break()
  endif()
endforeach()
if(ZEM_WINDOWS_AUDIO_MISSING)
  if("$ENV{CI}" STREQUAL "true")
    message(FATAL_ERROR "Windows build without libFLAC and libebur128: ${ZEM_WINDOWS_AUDIO_MISSING}")
  endif()
  message(STATUS "Windows build without libFLAC and libebur128: ${ZEM_WINDOWS_AUDIO_MISSING}")
  return()
endif()

set(zem_audio_root ${CMAKE_BINARY_DIR}/windows-audio-libs)

# Unpacks a tarball of known sum into zem_audio_root once; `folder` is its top folder.
function(zem_unpack_source tarball sha256 folder)
  set(stamp ${zem_audio_root}/${folder}.unpacked)
  if(EXISTS ${stamp})
    file(READ ${stamp} unpacked)
    if(unpacked STREQUAL sha256)
      return()
    endif()
  endif()
  file(SHA256 ${tarball} actual)
  if(NOT actual STREQUAL sha256)
    message(FATAL_ERROR "${tarball} is not the tarball of Debian's source package (SHA-256 ${actual})")
  endif()
  file(REMOVE_RECURSE ${zem_audio_root}/${folder})
  file(ARCHIVE_EXTRACT INPUT ${tarball} DESTINATION ${zem_audio_root})
  file(WRITE ${stamp} ${sha256})
endfunction()
zem_unpack_source(${zem_flac_tarball} ${zem_flac_sha256} flac-1.4.2)
zem_unpack_source(${zem_ebur128_tarball} ${zem_ebur128_sha256} libebur128-1.2.6)

set(zem_audio_args -Wno-dev -DCMAKE_TOOLCHAIN_FILE=${CMAKE_TOOLCHAIN_FILE} -DCMAKE_BUILD_TYPE=Release
    "-DCMAKE_C_FLAGS_RELEASE=-O2 -DNDEBUG" -DBUILD_SHARED_LIBS=OFF)
if(CMAKE_C_COMPILER_LAUNCHER)
  list(APPEND zem_audio_args -DCMAKE_C_COMPILER_LAUNCHER=${CMAKE_C_COMPILER_LAUNCHER})
endif()

set(zem_flac_source ${zem_audio_root}/flac-1.4.2)
set(zem_flac_binary ${zem_audio_root}/flac-build)
set(zem_flac_library ${zem_flac_binary}/src/libFLAC/libFLAC.a)
ExternalProject_Add(zem_windows_flac_build
  SOURCE_DIR ${zem_flac_source}
  BINARY_DIR ${zem_flac_binary}
  # The stack protector would need MinGW's libssp in every program linking it.
  CMAKE_ARGS ${zem_audio_args} -DWITH_OGG=OFF -DBUILD_CXXLIBS=OFF -DBUILD_PROGRAMS=OFF -DBUILD_EXAMPLES=OFF
             -DBUILD_TESTING=OFF -DBUILD_DOCS=OFF -DINSTALL_MANPAGES=OFF -DINSTALL_PKGCONFIG_MODULES=OFF
             -DINSTALL_CMAKE_CONFIG_MODULE=OFF -DWITH_STACK_PROTECTOR=OFF -DWITH_FORTIFY_SOURCE=OFF
  BUILD_COMMAND ${CMAKE_COMMAND} --build ${zem_flac_binary} --target FLAC --parallel 2
  INSTALL_COMMAND ""
  BUILD_BYPRODUCTS ${zem_flac_library})
add_library(zem_windows_flac STATIC IMPORTED)
# FLAC__NO_DLL: without it the headers declare every function as a DLL import.
set_target_properties(zem_windows_flac PROPERTIES IMPORTED_LOCATION ${zem_flac_library}
                      INTERFACE_INCLUDE_DIRECTORIES ${zem_flac_source}/include
                      INTERFACE_COMPILE_DEFINITIONS FLAC__NO_DLL)
add_dependencies(zem_windows_flac zem_windows_flac_build)

set(zem_ebur128_source ${zem_audio_root}/libebur128-1.2.6)
set(zem_ebur128_binary ${zem_audio_root}/ebur128-build)
set(zem_ebur128_library ${zem_ebur128_binary}/libebur128.a)
ExternalProject_Add(zem_windows_ebur128_build
  SOURCE_DIR ${zem_ebur128_source}
  BINARY_DIR ${zem_ebur128_binary}
  CMAKE_ARGS ${zem_audio_args} -DBUILD_STATIC_LIBS=ON -DENABLE_TESTS=OFF
  BUILD_COMMAND ${CMAKE_COMMAND} --build ${zem_ebur128_binary} --target ebur128
  INSTALL_COMMAND ""
  BUILD_BYPRODUCTS ${zem_ebur128_library})
add_library(zem_windows_ebur128 STATIC IMPORTED)
set_target_properties(zem_windows_ebur128 PROPERTIES IMPORTED_LOCATION ${zem_ebur128_library}
                      INTERFACE_INCLUDE_DIRECTORIES ${zem_ebur128_source}/ebur128)
add_dependencies(zem_windows_ebur128 zem_windows_ebur128_build)
