# The icon of the window programs, one SVG drawn into PNGs when building:
# in the sizes icon themes look up, for the desktop, and built into each
# window program for its title bar and task bar.
#
#   kennfix_draw_icons(SVG)       the target kennfix_icons, which draws every size
#   kennfix_icon_png(SIZE VAR)    sets VAR to where the PNG of SIZE is drawn
#   kennfix_window_icon(TARGET)   builds the small sizes into TARGET for WindowIcon()
#
# The PNGs go to icons/<size>x<size>/<app id>.png in the build's top folder,
# whoever draws them, so that nothing depends on which folder CMake reads
# first; kennfix_window_icon only adds a dependency on kennfix_icons.

include_guard(GLOBAL)

set(KENNFIX_ICON_SIZES 16 24 32 48 64 128 256)
# Title bars and task bars use up to 64 pixels; a desktop that wants more
# takes the installed icon, and decoding larger ones at start-up would only
# lengthen it.
set(KENNFIX_WINDOW_ICON_SIZES 16 24 32 48 64)

function(kennfix_icon_png size out_var)
  set(${out_var} ${PROJECT_BINARY_DIR}/icons/${size}x${size}/${KENNFIX_APP_ID}.png PARENT_SCOPE)
endfunction()

function(kennfix_draw_icons svg)
  find_program(KENNFIX_RSVG_CONVERT rsvg-convert)
  if(NOT KENNFIX_RSVG_CONVERT)
    message(FATAL_ERROR "rsvg-convert (Debian package librsvg2-bin) draws the icon of the window programs and "
                        "is not installed; -DKENNFIX_BUILD_APP=OFF builds without the window programs")
  endif()
  set(pngs)
  foreach(size IN LISTS KENNFIX_ICON_SIZES)
    kennfix_icon_png(${size} png)
    get_filename_component(folder ${png} DIRECTORY)
    add_custom_command(OUTPUT ${png}
      COMMAND ${CMAKE_COMMAND} -E make_directory ${folder}
      COMMAND ${KENNFIX_RSVG_CONVERT} --width=${size} --height=${size} --output=${png} ${svg}
      DEPENDS ${svg}
      VERBATIM)
    list(APPEND pngs ${png})
  endforeach()
  add_custom_target(kennfix_icons ALL DEPENDS ${pngs})
endfunction()

# The window icon, as :/icons/<size>.png, read by WindowIcon() (qtfrontend/windowicon.h).
function(kennfix_window_icon target)
  set(pngs)
  foreach(size IN LISTS KENNFIX_WINDOW_ICON_SIZES)
    kennfix_icon_png(${size} png)
    set_source_files_properties(${png} PROPERTIES QT_RESOURCE_ALIAS ${size}.png)
    list(APPEND pngs ${png})
  endforeach()
  qt_add_resources(${target} window_icon PREFIX /icons FILES ${pngs})
  add_dependencies(${target} kennfix_icons)
endfunction()
