# Builds the Windows Installer package from kennfix.wxs with wixl:
#   cmake -DWIXL=wixl -DWXS=kennfix.wxs -DSTAGE=<folder> -DICON=<kennfix.ico>
#         -DVERSION=1.1.0 -DOUTPUT=<kennfix-1.1.0-x64.msi> -P msi.cmake
# STAGE holds what is installed (the programs, the manual, COPYING.txt). The
# installer's test builds an older version from the same files with it.
foreach(var IN ITEMS WIXL WXS STAGE ICON VERSION OUTPUT)
  if(NOT DEFINED ${var})
    message(FATAL_ERROR "msi.cmake: ${var} is not given")
  endif()
endforeach()

# The size shown under installed apps, in KiB: Windows computes its own,
# Wine shows this one.
set(bytes 0)
file(GLOB staged LIST_DIRECTORIES false ${STAGE}/*)
foreach(file IN LISTS staged)
  file(SIZE ${file} size)
  math(EXPR bytes "${bytes} + ${size}")
endforeach()
math(EXPR kib "(${bytes} + 1023) / 1024")

# wixl finds the files by paths relative to where it runs, not absolute ones.
get_filename_component(STAGE ${STAGE} ABSOLUTE)
get_filename_component(ICON ${ICON} ABSOLUTE)
get_filename_component(OUTPUT ${OUTPUT} ABSOLUTE)
file(RELATIVE_PATH icon ${STAGE} ${ICON})
execute_process(
  COMMAND ${WIXL} --arch x64 -D Version=${VERSION} -D SizeKiB=${kib} -D Stage=. -D Icon=${icon}
    -o ${OUTPUT} ${WXS}
  WORKING_DIRECTORY ${STAGE}
  RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  file(REMOVE ${OUTPUT})
  message(FATAL_ERROR "wixl could not build ${OUTPUT} (status ${status})")
endif()
