# Run by cpack (CPACK_PRE_BUILD_SCRIPTS) on the staged programs after CPACK_STRIP_FILES
# stripped them: strip keeps the compilers' version stamps (.comment) and any .note section,
# which Debian's dh_strip drops and lintian asks a package to drop.
file(GLOB_RECURSE programs "${CPACK_TEMPORARY_INSTALL_DIRECTORY}/*/bin/*")
if(NOT programs)
  message(FATAL_ERROR "DebianStrip: no program staged under ${CPACK_TEMPORARY_INSTALL_DIRECTORY}")
endif()
foreach(program IN LISTS programs)
  execute_process(COMMAND ${CPACK_STEPDIAL_OBJCOPY} --remove-section=.comment --remove-section=.note
                          ${program}
                  COMMAND_ERROR_IS_FATAL ANY)
endforeach()
