# What makes a program of ours a Windows program: linked statically, so that
# nothing has to lie beside the .exe; the icon, a German version resource and
# a manifest built in; Qt's German texts as a resource, since no Qt is
# installed on the user's machine to take them from. Including this changes
# no target; each program's folder calls one of these for its own:
#
#   kennfix_windows_program(TARGET DESCRIPTION text [GUI])
#     a program of the package. GUI makes a window program (no console
#     window); without it, a console program.
#   kennfix_windows_standalone(TARGET)
#     only linked statically: a program that runs beside ours under Wine
#     (a test, a benchmark's yardstick), built as ours are.

set(KENNFIX_WINDOWS_DIR ${CMAKE_CURRENT_LIST_DIR})
find_program(KENNFIX_ICOTOOL icotool REQUIRED)
# Qt's German texts come from the build machine's Qt translations, the same
# version as the Qt the programs are built with.
find_file(KENNFIX_QT_GERMAN_TEXTS qtbase_de.qm PATHS /usr/share/qt6/translations NO_DEFAULT_PATH
  NO_CMAKE_FIND_ROOT_PATH REQUIRED)

# One .ico from the PNGs the SVG is drawn into (cmake/icons.cmake).
function(kennfix_windows_icon out_var)
  set(ico ${PROJECT_BINARY_DIR}/icons/kennfix.ico)
  set(pngs)
  foreach(size IN LISTS KENNFIX_ICON_SIZES)
    kennfix_icon_png(${size} png)
    list(APPEND pngs ${png})
  endforeach()
  if(NOT TARGET kennfix_ico)
    add_custom_command(OUTPUT ${ico}
      COMMAND ${KENNFIX_ICOTOOL} --create --output=${ico} ${pngs}
      DEPENDS ${pngs} kennfix_icons
      VERBATIM)
    add_custom_target(kennfix_ico DEPENDS ${ico})
  endif()
  set(${out_var} ${ico} PARENT_SCOPE)
endfunction()

# libstdc++, libgcc and winpthread go into the .exe; a release leaves the
# symbols out (they are half of a static Qt program's size).
function(kennfix_windows_standalone target)
  target_link_options(${target} PRIVATE -static $<$<CONFIG:Release>:-s>)
endfunction()

function(kennfix_windows_program target)
  cmake_parse_arguments(PARSE_ARGV 1 arg "GUI" "DESCRIPTION" "")
  kennfix_windows_standalone(${target})
  kennfix_windows_icon(ICON_FILE)
  set(PROGRAM_NAME ${target})
  set(DESCRIPTION "${arg_DESCRIPTION}")
  string(REPLACE "." "," VERSION_COMMAS "${PROJECT_VERSION_MAJOR}.${PROJECT_VERSION_MINOR}.${PROJECT_VERSION_PATCH}.0")
  set(MANIFEST_FILE ${KENNFIX_WINDOWS_DIR}/kennfix.manifest)
  set(rc ${CMAKE_CURRENT_BINARY_DIR}/${target}.rc)
  configure_file(${KENNFIX_WINDOWS_DIR}/program.rc.in ${rc} @ONLY)
  target_sources(${target} PRIVATE ${rc})
  set_source_files_properties(${rc} PROPERTIES OBJECT_DEPENDS "${ICON_FILE};${MANIFEST_FILE}")
  add_dependencies(${target} kennfix_ico)
  if(arg_GUI)
    set_target_properties(${target} PROPERTIES WIN32_EXECUTABLE ON)
    set_source_files_properties(${KENNFIX_QT_GERMAN_TEXTS} PROPERTIES QT_RESOURCE_ALIAS qtbase_de.qm)
    qt_add_resources(${target} qt_german_texts PREFIX /translations FILES ${KENNFIX_QT_GERMAN_TEXTS})
  endif()
endfunction()
