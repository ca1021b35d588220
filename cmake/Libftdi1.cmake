# libftdi1 for the programs' architecture, as the target stepdial_libftdi1. Debian 12's
# libftdi1-dev is not Multi-Arch: same, so installing the arm64 one would remove the amd64
# one this machine builds its own programs with: where the target's .pc file is missing, a
# cross build takes the headers the host's libftdi1-dev installed (the same on every
# architecture) and the target's runtime library (libftdi1-2:arm64, which installs beside).
find_package(PkgConfig REQUIRED)
add_library(stepdial_libftdi1 INTERFACE)
pkg_check_modules(libftdi1 IMPORTED_TARGET libftdi1 libusb-1.0)
if(libftdi1_FOUND)
  target_link_libraries(stepdial_libftdi1 INTERFACE PkgConfig::libftdi1)
elseif(CMAKE_CROSSCOMPILING)
  pkg_check_modules(libusb REQUIRED IMPORTED_TARGET libusb-1.0)
  find_path(STEPDIAL_LIBFTDI1_INCLUDE_DIR ftdi.h PATHS /usr/include/libftdi1 NO_DEFAULT_PATH REQUIRED)
  find_library(STEPDIAL_LIBFTDI1_LIBRARY NAMES libftdi1.so.2 REQUIRED)
  target_include_directories(stepdial_libftdi1 INTERFACE ${STEPDIAL_LIBFTDI1_INCLUDE_DIR})
  target_link_libraries(stepdial_libftdi1 INTERFACE ${STEPDIAL_LIBFTDI1_LIBRARY} PkgConfig::libusb)
else()
  message(FATAL_ERROR "libftdi1 not found: install libftdi1-dev (./scripts/install-deps)")
endif()
