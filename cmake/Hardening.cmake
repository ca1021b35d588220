# STEPDIAL_HARDEN: the flags Debian's dpkg-buildflags gives a package built with
# hardening=+all on amd64, so the .deb is built as the distribution builds its own:
# checked string and memory functions, stack protector and clash protection,
# control-flow protection, position-independent executables, and a read-only
# relocation table with every symbol bound at start-up.
if(NOT STEPDIAL_HARDEN)
  return()
endif()

get_property(stepdial_multi_config GLOBAL PROPERTY GENERATOR_IS_MULTI_CONFIG)
if(NOT stepdial_multi_config AND CMAKE_BUILD_TYPE MATCHES "^(|Debug)$")
  message(FATAL_ERROR "STEPDIAL_HARDEN needs an optimised build type (RelWithDebInfo or Release): "
                      "_FORTIFY_SOURCE does nothing, and warns, without optimisation")
endif()

include(CheckPIESupported)
check_pie_supported(OUTPUT_VARIABLE stepdial_pie_output LANGUAGES CXX)
if(NOT CMAKE_CXX_LINK_PIE_SUPPORTED)
  message(FATAL_ERROR "STEPDIAL_HARDEN: the linker cannot make position-independent executables:\n${stepdial_pie_output}")
endif()
set(CMAKE_POSITION_INDEPENDENT_CODE ON)

# _FORTIFY_SOURCE only works when optimising; a compiler that defines it already
# (some distributions' do) would warn about the redefinition, an error under -Werror.
add_compile_options(-U_FORTIFY_SOURCE -D_FORTIFY_SOURCE=2
                    -fstack-protector-strong -fstack-clash-protection -fcf-protection)
add_link_options(-Wl,-z,relro,-z,now)
