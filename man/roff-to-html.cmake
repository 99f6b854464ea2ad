# cmake -DMANDOC=mandoc -DPAGE=page.1 -DHTML=page.html -DPAGES=kennfix,kennfix-liste -P roff-to-html.cmake
#
# Turns a built manual page into the HTML page that the Windows programs
# bring along, since Windows has no man. The text is the page's own; the
# HTML says it is German (screen readers choose their voice by it), and a
# mention of another of our pages, "kennfix-liste(1)", links to it.
execute_process(COMMAND ${MANDOC} -Kutf-8 -Thtml ${PAGE} OUTPUT_VARIABLE html RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "mandoc failed on ${PAGE}: ${status}")
endif()
string(REPLACE "<html>" "<html lang=\"de\">" html "${html}")
# The comments of the roff source (who generated it) are no help to a reader.
string(REGEX REPLACE "<!--[^>]*-->\n" "" html "${html}")
string(REPLACE "," ";" pages "${PAGES}")
foreach(other IN LISTS pages)
  string(REPLACE "<b>${other}</b>(1)" "<a href=\"${other}.html\"><b>${other}</b>(1)</a>" html "${html}")
endforeach()
file(WRITE ${HTML}.new "${html}")
file(RENAME ${HTML}.new ${HTML})
