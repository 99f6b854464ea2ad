# cmake -DSOURCE=text.scd -DOUTPUT=text.h -DNAME=kText -DSYSTEM=Linux -P scd-to-text.cmake
#
# Turns scdoc text into the plain text of a program's --help: a C++ header
# that defines NAME as a std::string_view. "# DIE LISTE" becomes "Die
# Liste:", paragraphs are wrapped at 80 columns two blanks in, lines indented
# by a tab (what a term means) five blanks in, and a term of at most two
# characters shares their first line. *Bold* and _underlined_ words lose
# their marks, comments are left out, and so are the parts for the other
# system (SYSTEM, Linux or Windows; system-sections.cmake). What the help cannot show (code
# blocks, tables, lists, escapes other than \\) stops the build, so that the
# manual page and the help never say different things.

set(width 80)
set(text_indent 2)
set(term_indent 5)

# CMake's lists are split at ";" and held together by brackets: the text's
# own stand apart as bytes that it does not contain.
string(ASCII 1 semicolon)
string(ASCII 2 open_bracket)
string(ASCII 3 close_bracket)
string(ASCII 4 literal_underscore)
string(ASCII 5 backslash)
string(ASCII 128 continuation_first)
string(ASCII 191 continuation_last)

# The columns that UTF-8 text takes: its bytes but those that continue a character.
function(columns text out)
  string(REGEX REPLACE "[${continuation_first}-${continuation_last}]" "" text "${text}")
  string(LENGTH "${text}" length)
  set(${out} ${length} PARENT_SCOPE)
endfunction()

function(plain text out)
  string(REPLACE "\\\\" "${backslash}" text "${text}")
  if(text MATCHES "\\\\")
    message(FATAL_ERROR "${SOURCE}: an escape the help cannot show: ${text}")
  endif()
  string(REPLACE "${backslash}" "\\" text "${text}")
  # An underscore between letters or digits is one (fs.protected_symlinks).
  string(REGEX REPLACE "([A-Za-z0-9])_([A-Za-z0-9])" "\\1${literal_underscore}\\2" text "${text}")
  string(REPLACE "*" "" text "${text}")
  string(REPLACE "_" "" text "${text}")
  string(REPLACE "${literal_underscore}" "_" text "${text}")
  set(${out} "${text}" PARENT_SCOPE)
endfunction()

# Appends `text` to `help`, wrapped, `indent` blanks in; `prefix` (a short
# term) stands before its first line.
function(append_wrapped text indent prefix)
  plain("${text}" text)
  string(REGEX MATCHALL "[^ \t]+" words "${text}")
  string(REPEAT " " ${indent} pad)
  if(prefix STREQUAL "")
    set(line "${pad}")
  else()
    set(line "${prefix}")
    columns("${prefix}" used)
    math(EXPR missing "${indent} - ${used}")
    if(missing GREATER 0)
      string(REPEAT " " ${missing} fill)
      string(APPEND line "${fill}")
    endif()
  endif()
  set(has_word FALSE)
  set(result "")
  foreach(word IN LISTS words)
    columns("${line} ${word}" wanted)
    if(has_word AND wanted GREATER width)
      string(APPEND result "${line}\n")
      set(line "${pad}${word}")
    elseif(has_word)
      string(APPEND line " ${word}")
    else()
      string(APPEND line "${word}")
    endif()
    set(has_word TRUE)
  endforeach()
  set(help "${help}${result}${line}\n" PARENT_SCOPE)
endfunction()

file(READ ${SOURCE} text)
include(${CMAKE_CURRENT_LIST_DIR}/system-sections.cmake)
kennfix_system_sections(text "${SYSTEM}")
string(REPLACE "\r" "" text "${text}")  # a checkout with Windows line ends
string(REPLACE ";" "${semicolon}" text "${text}")
string(REPLACE "[" "${open_bracket}" text "${text}")
string(REPLACE "]" "${close_bracket}" text "${text}")
string(REPLACE "\n" ";" lines "${text}")

set(help "")
set(paragraph "")          # the lines of the paragraph being read, joined
set(indented FALSE)        # it is what a term means
set(blank_before FALSE)    # a blank line goes before it
set(term "")               # a short term, for the first line of what it means

macro(finish_paragraph)
  if(NOT paragraph STREQUAL "")
    if(blank_before)
      string(APPEND help "\n")
    endif()
    if(indented)
      append_wrapped("${paragraph}" ${term_indent} "${term}")
    else()
      append_wrapped("${paragraph}" ${text_indent} "")
    endif()
    set(paragraph "")
    set(term "")
    set(blank_before TRUE)
  endif()
endmacro()

foreach(line IN LISTS lines)
  if(line MATCHES "^${semicolon}( |$)")
    continue()
  elseif(line MATCHES "^# (.+)$")
    finish_paragraph()
    set(title "")
    string(REGEX MATCHALL "[^ ]+" title_words "${CMAKE_MATCH_1}")
    foreach(word IN LISTS title_words)
      if(word MATCHES "^[A-Z-]+$")  # DATEIEN, EXIT-STATUS; eTINs stays
        string(REGEX MATCHALL "[^-]+" parts "${word}")
        set(word "")
        foreach(part IN LISTS parts)
          string(SUBSTRING "${part}" 0 1 first)
          string(SUBSTRING "${part}" 1 -1 rest)
          string(TOLOWER "${rest}" rest)
          list(APPEND word "${first}${rest}")
        endforeach()
        list(JOIN word "-" word)
      endif()
      list(APPEND title "${word}")
    endforeach()
    list(JOIN title " " title)
    if(NOT help STREQUAL "")
      string(APPEND help "\n")
    endif()
    string(APPEND help "${title}:\n")
    set(blank_before FALSE)
    set(indented FALSE)
  elseif(line STREQUAL "")
    finish_paragraph()
  elseif(line MATCHES "^\t(.*)$")
    set(content "${CMAKE_MATCH_1}")
    if(NOT paragraph STREQUAL "" AND NOT indented)
      # The line above is a term.
      plain("${paragraph}" plain_term)
      string(STRIP "${plain_term}" plain_term)
      columns("${plain_term}" term_columns)
      if(term_columns LESS_EQUAL 2)
        string(REPEAT " " ${text_indent} term)
        string(APPEND term "${plain_term}")
        set(paragraph "")
      else()
        finish_paragraph()
        set(blank_before FALSE)
      endif()
    endif()
    set(indented TRUE)
    string(APPEND paragraph " ${content}")
  elseif(line MATCHES "^(```|[ \t]|- |\\. |\\|)")
    message(FATAL_ERROR "${SOURCE}: the help cannot show this line: ${line}")
  else()
    if(indented AND NOT paragraph STREQUAL "")
      message(FATAL_ERROR "${SOURCE}: a blank line is missing before: ${line}")
    endif()
    set(indented FALSE)
    string(APPEND paragraph " ${line}")
  endif()
endforeach()
finish_paragraph()

string(REGEX REPLACE "\n+$" "" help "${help}")
string(REPLACE "${semicolon}" ";" help "${help}")
string(REPLACE "${open_bracket}" "[" help "${help}")
string(REPLACE "${close_bracket}" "]" help "${help}")
if(help MATCHES "\\)scd\"")
  message(FATAL_ERROR "${SOURCE}: the text ends the header's raw string")
endif()
get_filename_component(source_name ${SOURCE} NAME)
file(WRITE ${OUTPUT}
  "// Made from ${source_name} when building (scd-to-text.cmake); edit that file.\n"
  "#pragma once\n\n#include <string_view>\n\n"
  "inline constexpr std::string_view ${NAME} = R\"scd(${help})scd\";\n")
