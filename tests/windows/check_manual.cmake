# The HTML manual beside the Windows programs is a Windows manual: it has the
# Windows section (regional settings, the spooler, "Öffnen mit", both
# installers with their silent command lines) and none of what has a meaning
# on Linux only.
#
#   cmake -DPROGRAMS=<folder> -DVERSION=<x.y.z> -P check_manual.cmake

# Words of Linux matters, as they would stand in the HTML; "man " as the
# command, not the German pronoun, which the manual does not use.
set(linux_only "CUPS" "LC_ALL" "LC_TIME" "lpoptions" "Wayland" "X11" "QT_QPA_PLATFORM" "/usr/"
  "umask" "SIGHUP" "SIGINT" "Sticky-Bit" "protected_symlinks" "Dateimanager" "man ")
set(faults "")
foreach(page IN ITEMS kennfix kennfix-liste kennfix-batch)
  set(html ${PROGRAMS}/${page}.html)
  if(NOT EXISTS ${html})
    string(APPEND faults "\n  ${page}.html is missing")
    continue()
  endif()
  file(READ ${html} text)
  # The text as a reader sees it: without tags.
  string(REGEX REPLACE "<[^>]*>" "" text "${text}")
  foreach(word IN LISTS linux_only)
    string(FIND "${text}" "${word}" at)
    if(NOT at EQUAL -1)
      string(SUBSTRING "${text}" ${at} 60 context)
      string(REPLACE "\n" " " context "${context}")
      string(APPEND faults "\n  ${page}.html speaks of \"${word}\": ${context}")
    endif()
  endforeach()
  if(text MATCHES "; (begin|end) ")
    string(APPEND faults "\n  ${page}.html shows a mark of the system sections")
  endif()
endforeach()

file(READ ${PROGRAMS}/kennfix.html kennfix)
string(REGEX REPLACE "<[^>]*>" "" kennfix "${kennfix}")
# mandoc writes every character beyond ASCII as a reference (&#x00D6;), so
# the words looked for are ASCII.
foreach(wanted IN ITEMS "WINDOWS" "Regionaleinstellungen" "Druckwarteschlange" "Explorer" "Kennfix Liste"
                        "kennfix-${VERSION}-setup.exe" "/S"
                        "msiexec /i kennfix-${VERSION}-x64.msi /qn" "msiexec /x kennfix-${VERSION}-x64.msi /qn")
  string(FIND "${kennfix}" "${wanted}" at)
  if(at EQUAL -1)
    string(APPEND faults "\n  kennfix.html does not say \"${wanted}\"")
  endif()
endforeach()

if(faults)
  message(FATAL_ERROR "The Windows manual in ${PROGRAMS}:${faults}")
endif()
message(STATUS "The Windows manual speaks of Windows and of no Linux matter.")
