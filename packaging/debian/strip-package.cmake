# Run by CPack after installing into its staging folder: strips the
# programs as Debian's dh_strip does: of symbols and debug information,
# and of the compilers' notes (.comment, .note).
file(GLOB_RECURSE programs LIST_DIRECTORIES false "${CPACK_TEMPORARY_INSTALL_DIRECTORY}/*/bin/*")
foreach(program IN LISTS programs)
  execute_process(COMMAND "${CPACK_KENNFIX_STRIP}" --remove-section=.comment --remove-section=.note "${program}"
    RESULT_VARIABLE status)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "strip failed on ${program}")
  endif()
endforeach()
