# STEPDIAL_DEB_ARCH: the Debian architecture the programs are built for ("arm64" in a cross
# build from amd64), which the hardening flags and the package's name depend on; empty for
# a native build, where dpkg asks the machine itself.
set(STEPDIAL_DEB_ARCH "")
if(CMAKE_CROSSCOMPILING AND CMAKE_SYSTEM_NAME STREQUAL "Linux" AND CMAKE_LIBRARY_ARCHITECTURE)
  execute_process(COMMAND dpkg-architecture -t ${CMAKE_LIBRARY_ARCHITECTURE} -qDEB_HOST_ARCH
                  OUTPUT_VARIABLE STEPDIAL_DEB_ARCH OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET
                  COMMAND_ERROR_IS_FATAL ANY)
endif()
