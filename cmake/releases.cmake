# The release notes in CHANGELOG.md, newest release first, as the desktop and
# the Debian package show them. The version itself is the project's: the
# newest release in the notes must carry it, so that a new version and its
# notes come together.
#
#   kennfix_releases(NOTES_FILE PACKAGE name MAINTAINER "Name <mail>" DEBIAN_CHANGELOG file)
#
# sets KENNFIX_APPSTREAM_RELEASES (the <release> elements of the AppStream
# metainfo) and KENNFIX_RELEASE_EPOCH (the newest release's date in seconds
# since 1970, the date of the manual pages), and writes the notes as the
# package's Debian changelog.
#
# The notes' format:
#   ## 1.2.0 (2027-03-01)
#   - One change per item; an item goes on in lines
#     indented by two spaces.

# Days since 1970-01-01 of a date YYYY-MM-DD (the proleptic Gregorian
# calendar, as in Howard Hinnant's days_from_civil).
function(_kennfix_days_since_epoch date out_var)
  string(REGEX MATCH "^([0-9][0-9][0-9][0-9])-([0-9][0-9])-([0-9][0-9])$" _ "${date}")
  # "1" prepended and 100 taken off again, so that 08 is no octal number.
  math(EXPR year "${CMAKE_MATCH_1}")
  math(EXPR month "1${CMAKE_MATCH_2} - 100")
  math(EXPR day "1${CMAKE_MATCH_3} - 100")
  if(month LESS_EQUAL 2)
    math(EXPR year "${year} - 1")
    math(EXPR month "${month} + 9")
  else()
    math(EXPR month "${month} - 3")
  endif()
  math(EXPR era "${year} / 400")
  math(EXPR year_of_era "${year} - ${era} * 400")
  math(EXPR day_of_year "(153 * ${month} + 2) / 5 + ${day} - 1")
  math(EXPR day_of_era "${year_of_era} * 365 + ${year_of_era} / 4 - ${year_of_era} / 100 + ${day_of_year}")
  math(EXPR days "${era} * 146097 + ${day_of_era} - 719468")
  set(${out_var} ${days} PARENT_SCOPE)
endfunction()

# The date in the form Debian's changelog wants (RFC 5322), at midnight UTC.
function(_kennfix_debian_date date out_var)
  _kennfix_days_since_epoch("${date}" days)
  set(weekdays Thu Fri Sat Sun Mon Tue Wed)
  set(months Jan Feb Mar Apr May Jun Jul Aug Sep Oct Nov Dec)
  math(EXPR weekday_index "${days} % 7")
  list(GET weekdays ${weekday_index} weekday)
  string(REGEX MATCH "^([0-9]+)-([0-9]+)-([0-9]+)$" _ "${date}")
  math(EXPR month_index "1${CMAKE_MATCH_2} - 101")
  list(GET months ${month_index} month)
  set(${out_var} "${weekday}, ${CMAKE_MATCH_3} ${month} ${CMAKE_MATCH_1} 00:00:00 +0000" PARENT_SCOPE)
endfunction()

function(_kennfix_xml_escape text out_var)
  string(REPLACE "&" "&amp;" text "${text}")
  string(REPLACE "<" "&lt;" text "${text}")
  string(REPLACE ">" "&gt;" text "${text}")
  set(${out_var} "${text}" PARENT_SCOPE)
endfunction()

# Called by kennfix_releases only: they share its variables.
macro(_kennfix_end_item)
  if(NOT item STREQUAL "")
    _kennfix_xml_escape("${item}" escaped)
    string(APPEND items "          <li>${escaped}</li>\n")
    set(item "")
  endif()
endmacro()

macro(_kennfix_end_release)
  if(NOT release STREQUAL "")
    if(items STREQUAL "")
      message(FATAL_ERROR "${notes_file}: release ${release} has no notes")
    endif()
    string(APPEND appstream
      "    <release version=\"${release}\" date=\"${date}\">\n"
      "      <description>\n"
      "        <ul>\n${items}        </ul>\n"
      "      </description>\n"
      "    </release>\n")
    _kennfix_debian_date("${date}" debian_date)
    if(NOT debian STREQUAL "")
      string(APPEND debian "\n")
    endif()
    string(APPEND debian
      "${arg_PACKAGE} (${release}) unstable; urgency=medium\n\n"
      "${debian_items}\n"
      " -- ${arg_MAINTAINER}  ${debian_date}\n")
  endif()
endmacro()

function(kennfix_releases notes_file)
  cmake_parse_arguments(PARSE_ARGV 1 arg "" "PACKAGE;MAINTAINER;DEBIAN_CHANGELOG" "")
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS "${notes_file}")
  file(READ "${notes_file}" notes)
  set(appstream "")
  set(debian "")
  set(release "")       # the release being read, its date
  set(date "")
  set(items "")         # its items as <li> elements
  set(debian_items "")  # and as the changelog's lines
  set(item "")          # the item being read
  set(newest "")
  set(newest_date "")
  set(line_number 0)
  # Line by line without CMake lists, which would split the notes at ";".
  while(NOT notes STREQUAL "")
    string(FIND "${notes}" "\n" end)
    if(end EQUAL -1)
      set(line "${notes}")
      set(notes "")
    else()
      string(SUBSTRING "${notes}" 0 ${end} line)
      math(EXPR end "${end} + 1")
      string(SUBSTRING "${notes}" ${end} -1 notes)
    endif()
    math(EXPR line_number "${line_number} + 1")

    if(line MATCHES "^  ([^ ].*)$" AND NOT item STREQUAL "")
      string(APPEND item " ${CMAKE_MATCH_1}")
      string(APPEND debian_items "    ${CMAKE_MATCH_1}\n")
      continue()
    endif()
    _kennfix_end_item()
    if(line MATCHES "^## ([0-9]+\\.[0-9]+\\.[0-9]+) \\(([0-9][0-9][0-9][0-9]-[0-9][0-9]-[0-9][0-9])\\)$")
      _kennfix_end_release()
      set(release "${CMAKE_MATCH_1}")
      set(date "${CMAKE_MATCH_2}")
      set(items "")
      set(debian_items "")
      if(newest STREQUAL "")
        set(newest "${release}")
        set(newest_date "${date}")
      endif()
    elseif(line MATCHES "^- (.+)$" AND NOT release STREQUAL "")
      set(item "${CMAKE_MATCH_1}")
      string(APPEND debian_items "  * ${CMAKE_MATCH_1}\n")
    elseif(NOT line STREQUAL "" AND NOT (line MATCHES "^# " AND release STREQUAL ""))
      message(FATAL_ERROR "${notes_file}:${line_number}: neither a release \"## 1.2.3 (YYYY-MM-DD)\" "
                          "nor one of its items \"- ...\" or their indented continuation: ${line}")
    endif()
  endwhile()
  _kennfix_end_item()
  _kennfix_end_release()

  if(NOT newest STREQUAL PROJECT_VERSION)
    message(FATAL_ERROR "${notes_file}: the newest release is '${newest}', but the project's version is "
                        "${PROJECT_VERSION}: add the notes of ${PROJECT_VERSION} on top")
  endif()
  _kennfix_days_since_epoch("${newest_date}" days)
  math(EXPR epoch "${days} * 86400")
  set(KENNFIX_RELEASE_EPOCH ${epoch} PARENT_SCOPE)
  set(KENNFIX_APPSTREAM_RELEASES "${appstream}" PARENT_SCOPE)
  # Rewritten only when it changes, so that a new configure run compresses it anew only then.
  file(WRITE "${arg_DEBIAN_CHANGELOG}.new" "${debian}")
  configure_file("${arg_DEBIAN_CHANGELOG}.new" "${arg_DEBIAN_CHANGELOG}" COPYONLY)
  file(REMOVE "${arg_DEBIAN_CHANGELOG}.new")
endfunction()
