# What makes the .exe files Windows programs of ours, read off the files:
#   - each needs only Windows' own DLLs (static: nothing to put beside it);
#   - the window programs are GUI programs, kennfix-batch.exe a console one;
#   - each carries the icon and the German version resource with the version.
#
#   cmake -DPROGRAMS=<folder> -DOBJDUMP=<mingw objdump> -DWRESTOOL=<wrestool> -DVERSION=<x.y.z> -P check_programs.cmake
#   (iconv reads the version resource's UTF-16)

set(faults "")
foreach(program IN ITEMS kennfix kennfix-liste kennfix-batch)
  set(exe ${PROGRAMS}/${program}.exe)
  execute_process(COMMAND ${OBJDUMP} -p ${exe} OUTPUT_VARIABLE headers RESULT_VARIABLE failed)
  if(failed)
    string(APPEND faults "\n  ${program}.exe cannot be read")
    continue()
  endif()
  string(REGEX MATCHALL "DLL Name: [^\n]*" dlls "${headers}")
  foreach(dll IN LISTS dlls)
    string(REPLACE "DLL Name: " "" dll "${dll}")
    # Windows' own: system DLLs, API sets and the C runtime every Windows has.
    if(NOT dll MATCHES "^([A-Za-z0-9_]+32|api-ms-win-[a-z0-9-]+|msvcrt|AUTHZ|comdlg32|d3d9|d3d11|dwmapi|DWrite|dxgi|IMM32|NETAPI32|ole32|OLEAUT32|SHCORE|SHLWAPI|USERENV|UxTheme|VERSION|WINMM|WINSPOOL|WS2_32|WTSAPI32)\\.(dll|DLL|drv|DRV)$")
      string(APPEND faults "\n  ${program}.exe needs ${dll}, which Windows does not have")
    endif()
  endforeach()
  if(program STREQUAL "kennfix-batch")
    set(subsystem "Windows CUI")
  else()
    set(subsystem "Windows GUI")
  endif()
  if(NOT headers MATCHES "Subsystem[ \t]+[0-9]+[ \t]+\\(${subsystem}\\)")
    string(APPEND faults "\n  ${program}.exe is no ${subsystem} program")
  endif()

  execute_process(COMMAND ${WRESTOOL} --list ${exe} OUTPUT_VARIABLE resources)
  if(NOT resources MATCHES "type=group_icon")
    string(APPEND faults "\n  ${program}.exe has no icon")
  endif()
  # Its texts are UTF-16, which CMake's strings cannot hold.
  execute_process(COMMAND ${WRESTOOL} --extract --raw --type=16 ${exe}
                  COMMAND iconv -c -f UTF-16LE -t UTF-8
                  OUTPUT_VARIABLE version_info)
  foreach(text IN ITEMS "Kennfix-Entwickler" "${VERSION}" "${program}.exe")
    string(FIND "${version_info}" "${text}" at)
    if(at EQUAL -1)
      string(APPEND faults "\n  ${program}.exe: the version resource lacks \"${text}\"")
    endif()
  endforeach()
endforeach()

if(faults)
  message(FATAL_ERROR "The Windows programs in ${PROGRAMS}:${faults}")
endif()
