# STEPDIAL_HARDEN: the programs built with the flags Debian builds its own packages with,
# as this machine's dpkg-buildflags gives them for hardening=+all: fortified string and
# memory functions, the stack protector, a read-only relocation table with every symbol
# bound at start-up, and whatever else the release adds. Debian's compiler makes
# position-independent executables by default. The flags bring their own -O2, which
# _FORTIFY_SOURCE needs, so any build type gets it.
if(NOT STEPDIAL_HARDEN)
  return()
endif()

find_program(STEPDIAL_DPKG_BUILDFLAGS dpkg-buildflags REQUIRED)  # in dpkg-dev
include(${CMAKE_CURRENT_LIST_DIR}/DebianArchitecture.cmake)
# A cross build takes its target's flags (Debian 13 protects branches on arm64 with
# -mbranch-protection, on amd64 with -fcf-protection, which arm64's compiler refuses).
set(stepdial_host_arch)
if(STEPDIAL_DEB_ARCH)
  set(stepdial_host_arch DEB_HOST_ARCH=${STEPDIAL_DEB_ARCH})
endif()
foreach(flags CPPFLAGS CXXFLAGS LDFLAGS)
  # Run from the source tree, so its path in the debug information becomes ".".
  execute_process(COMMAND ${CMAKE_COMMAND} -E env DEB_BUILD_MAINT_OPTIONS=hardening=+all ${stepdial_host_arch}
                          ${STEPDIAL_DPKG_BUILDFLAGS} --get ${flags}
                  WORKING_DIRECTORY ${PROJECT_SOURCE_DIR} OUTPUT_VARIABLE value
                  OUTPUT_STRIP_TRAILING_WHITESPACE COMMAND_ERROR_IS_FATAL ANY)
  separate_arguments(stepdial_${flags} UNIX_COMMAND "${value}")
endforeach()
add_compile_options(${stepdial_CPPFLAGS} ${stepdial_CXXFLAGS})
add_link_options(${stepdial_LDFLAGS})
