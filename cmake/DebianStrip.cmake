# Run by cpack (CPACK_PRE_BUILD_SCRIPTS) on the staged files, after CPACK_STRIP_FILES
# stripped the programs' symbols and debug information: drops the compilers' version
# stamps (.comment) and the .note section as Debian's dh_strip does, which nothing
# reads at run time.
file(GLOB_RECURSE programs LIST_DIRECTORIES false "${CPACK_TEMPORARY_INSTALL_DIRECTORY}/*/bin/*")
if(NOT programs)
  message(FATAL_ERROR "DebianStrip: no program staged under ${CPACK_TEMPORARY_INSTALL_DIRECTORY}")
endif()
foreach(program IN LISTS programs)
  execute_process(
    COMMAND ${CPACK_STEPDIAL_OBJCOPY} --remove-section=.comment --remove-section=.note ${program}
    RESULT_VARIABLE status)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "DebianStrip: ${CPACK_STEPDIAL_OBJCOPY} failed on ${program}: ${status}")
  endif()
endforeach()
