# SPDX-License-Identifier: BSD-3-Clause
# Copies the Windows binaries the installer ships into STAGE without their
# debug sections and symbols; each one's debug information goes to
# SYMBOLS/NAME.debug (kept for reading crash addresses, never installed), and
# the stripped file names it by a debug link.
#
#   cmake -DOBJCOPY=... -DSTAGE=DIR -DSYMBOLS=DIR "-DFILES=a.exe;b.dll" -P stage_binaries.cmake
file(MAKE_DIRECTORY ${STAGE} ${SYMBOLS})
foreach(file ${FILES})
  get_filename_component(name ${file} NAME)
  set(symbols ${SYMBOLS}/${name}.debug)
  execute_process(COMMAND ${OBJCOPY} --only-keep-debug ${file} ${symbols} RESULT_VARIABLE failed)
  if(NOT failed)
    execute_process(COMMAND ${OBJCOPY} --strip-all --add-gnu-debuglink=${symbols} ${file} ${STAGE}/${name}
                    RESULT_VARIABLE failed)
  endif()
  if(failed)
    message(FATAL_ERROR "could not strip ${file}")
  endif()
endforeach()
