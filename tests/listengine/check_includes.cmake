# Checks the list engine's layers by the includes of its headers:
#   - front ends include only its public headers (listengine/*.h), never
#     one of its own (listengine/internal/); the engine, its tests, the fuzz
#     targets and the benchmarks may;
#   - a public header includes none of the engine's own;
#   - the bottom (encoding.h, errors.h, ...) includes nothing of the engine,
#     and its sources nothing but the bottom; the values the engine hands
#     over (listlayout.h, ...) include only the bottom; the engine's own
#     headers include nothing from above them.
#
#   cmake -DSOURCE_DIR=<source tree> -P check_includes.cmake

set(bottom "encoding.h|errors.h|messagetext.h|linelist.h|storedetincheck.h|listprogress.h")
set(values "listlayout.h|rowresult.h|listsummary.h")
set(include_regex "^[ \t]*#[ \t]*include[ \t]*\"listengine/")
set(faults "")

function(check_includes source allowed)
  file(STRINGS ${SOURCE_DIR}/${source} lines REGEX "${include_regex}")
  foreach(line IN LISTS lines)
    string(REGEX REPLACE ".*\"listengine/([^\"]*)\".*" "\\1" header "${line}")
    if(NOT header MATCHES "^(${allowed})$")
      string(APPEND faults "\n  ${source}: ${line}")
    endif()
  endforeach()
  set(faults "${faults}" PARENT_SCOPE)
endfunction()

# Front ends, in every folder but the engine's own and the build trees.
file(GLOB folders LIST_DIRECTORIES true RELATIVE ${SOURCE_DIR} ${SOURCE_DIR}/*)
list(FILTER folders EXCLUDE REGEX "^(build.*|\\..*)$")
foreach(folder IN LISTS folders)
  if(NOT IS_DIRECTORY ${SOURCE_DIR}/${folder})
    continue()
  endif()
  file(GLOB_RECURSE sources RELATIVE ${SOURCE_DIR} ${SOURCE_DIR}/${folder}/*.h ${SOURCE_DIR}/${folder}/*.cpp)
  list(FILTER sources EXCLUDE REGEX "^(listengine|tests/listengine|fuzz|bench)/")
  foreach(source IN LISTS sources)
    check_includes(${source} "[^/]*")
  endforeach()
endforeach()

# The engine's headers.
file(GLOB public RELATIVE ${SOURCE_DIR} ${SOURCE_DIR}/listengine/*.h)
foreach(header IN LISTS public)
  if(header MATCHES "/(${bottom})$")
    check_includes(${header} "")
    string(REGEX REPLACE "\\.h$" ".cpp" source "${header}")
    if(EXISTS ${SOURCE_DIR}/${source})
      check_includes(${source} "${bottom}")
    endif()
  elseif(header MATCHES "/(${values})$")
    check_includes(${header} "${bottom}")
  else()
    check_includes(${header} "[^/]*")
  endif()
endforeach()
file(GLOB own RELATIVE ${SOURCE_DIR} ${SOURCE_DIR}/listengine/internal/*.h)
foreach(header IN LISTS own)
  check_includes(${header} "${bottom}|${values}|internal/[^/]*")
endforeach()

if(faults)
  message(FATAL_ERROR "The list engine's layers (see listengine/list.h) are broken by:${faults}")
endif()
