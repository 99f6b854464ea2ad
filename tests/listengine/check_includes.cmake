# Fails when a front end includes a header of the list engine's own
# (listengine/internal/). The engine, its tests, the fuzz targets and the
# benchmarks may.
#
#   cmake -DSOURCE_DIR=<source tree> -P check_includes.cmake

set(engine_own "^(listengine|tests/listengine|fuzz|bench)/")
# Build trees are not sources.
file(GLOB folders LIST_DIRECTORIES true RELATIVE ${SOURCE_DIR} ${SOURCE_DIR}/*)
list(FILTER folders EXCLUDE REGEX "^(build.*|\\..*)$")
set(faults "")
foreach(folder IN LISTS folders)
  if(NOT IS_DIRECTORY ${SOURCE_DIR}/${folder})
    continue()
  endif()
  file(GLOB_RECURSE sources RELATIVE ${SOURCE_DIR} ${SOURCE_DIR}/${folder}/*.h ${SOURCE_DIR}/${folder}/*.cpp)
  list(FILTER sources EXCLUDE REGEX "${engine_own}")
  foreach(source IN LISTS sources)
    file(STRINGS ${SOURCE_DIR}/${source} lines REGEX "^[ \t]*#[ \t]*include[ \t]*\"listengine/internal/")
    foreach(line IN LISTS lines)
      string(APPEND faults "\n  ${source}: ${line}")
    endforeach()
  endforeach()
endforeach()
if(faults)
  message(FATAL_ERROR "Front ends include only the list engine's public headers (listengine/*.h):${faults}")
endif()
