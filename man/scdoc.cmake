# cmake -DSCDOC=scdoc -DSOURCE=page.1.scd -DPAGE=page.1 -DSOURCE_DATE_EPOCH=seconds -P scdoc.cmake
#
# Turns a page from scdoc into roff. The page's date is the release's
# (SOURCE_DATE_EPOCH), not the day of the build; a failed run leaves no page.
set(ENV{SOURCE_DATE_EPOCH} ${SOURCE_DATE_EPOCH})
execute_process(COMMAND ${SCDOC} INPUT_FILE ${SOURCE} OUTPUT_VARIABLE roff RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "scdoc failed on ${SOURCE}: ${status}")
endif()
# scdoc switches hyphenation off before .TH, where groff's man macros switch
# it on again; English rules would then break German words badly
# ("Lohns-teuerbescheinigung"). Off again after .TH.
string(REGEX REPLACE "(\n\\.TH [^\n]*\n)" "\\1.nh\n" roff "${roff}")
file(WRITE ${PAGE}.new "${roff}")
file(RENAME ${PAGE}.new ${PAGE})
