# SPDX-License-Identifier: BSD-3-Clause
# Turns the static library ARCHIVE into one object whose only strong global
# symbols are the C API's (zem_*): the codec's classes and the Linux
# stand-ins for the Win32 calls it makes (CreateFileW, ReadFile, Sleep, ...)
# stay inside, so that a program linking libzem.a may define any of those
# names itself, as with libzem.so. Weak symbols (inline functions and
# template instances, each in a COMDAT group) stay global: the linker keeps
# one copy of a group by its name, and a copy it drops must not be the one
# that local references point into.
#
#   cmake -DARCHIVE=libzem.a -DLINKER=ld -DOBJCOPY=objcopy -DAR=ar -DNM=nm -P localize_archive.cmake
foreach(tool ARCHIVE LINKER OBJCOPY AR NM)
  if(NOT ${tool})
    message(FATAL_ERROR "localize_archive: ${tool} is not set")
  endif()
endforeach()
set(object ${ARCHIVE}.localized.o)
execute_process(COMMAND ${LINKER} -r -o ${object} --whole-archive ${ARCHIVE} RESULT_VARIABLE failed)
set(keep ${ARCHIVE}.keep)
if(NOT failed)
  execute_process(COMMAND ${NM} --defined-only --extern-only ${object} OUTPUT_VARIABLE symbols RESULT_VARIABLE failed)
endif()
if(NOT failed)
  string(REGEX MATCHALL "[^\n]+" lines "${symbols}")
  set(names "zem_*\n")
  foreach(line ${lines})
    if(line MATCHES "^[0-9a-f]* [WV] (.+)$")
      string(APPEND names "${CMAKE_MATCH_1}\n")
    endif()
  endforeach()
  file(WRITE ${keep} "${names}")
  execute_process(COMMAND ${OBJCOPY} --wildcard --keep-global-symbols=${keep} ${object} RESULT_VARIABLE failed)
endif()
file(REMOVE ${keep})
if(NOT failed)
  file(REMOVE ${ARCHIVE})
  execute_process(COMMAND ${AR} rcs ${ARCHIVE} ${object} RESULT_VARIABLE failed)
endif()
file(REMOVE ${object})
if(failed)
  file(REMOVE ${ARCHIVE})
  message(FATAL_ERROR "localize_archive: could not keep only zem_* global in ${ARCHIVE}")
endif()
