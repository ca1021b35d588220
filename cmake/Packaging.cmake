# The Debian package of both programs: a native package, its version project()'s.
# dpkg-shlibdeps computes the libraries they link; Depends adds what Qt and the window
# load at run time without linking it: the platform plugins (without them Qt cannot open
# a window at all) and the "David" typeface. packaging/ installs the rest of what Debian
# asks of a package: copyright, changelog, manual pages, menu entries, AppStream data.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME stepdial)
set(CPACK_PACKAGE_VENDOR "stepdial maintainers")
set(CPACK_PACKAGE_CONTACT "${STEPDIAL_MAINTAINER}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "${PROJECT_DESCRIPTION}")
set(CPACK_PACKAGE_DESCRIPTION [[
A small window turns a four-phase stepper motor whose coil drivers hang on
data bits 0-3 of the first parallel port (I/O address 888, 0x378) to an
angle typed in degrees, one 7.5-degree full step per tick, while a needle
on a dial and a readout follow its position.
stepdial drives the real port through the kernel's parport driver;
stepdial-sim is the same program driving a simulated port and a virtual
motor, to try it on a PC without a parallel port.]])
set(CPACK_STRIP_FILES ON)
set(CPACK_STEPDIAL_OBJCOPY "${CMAKE_OBJCOPY}")
set(CPACK_PRE_BUILD_SCRIPTS "${CMAKE_CURRENT_LIST_DIR}/DebianStrip.cmake")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
include(${CMAKE_CURRENT_LIST_DIR}/DebianArchitecture.cmake)
if(STEPDIAL_DEB_ARCH)
  set(CPACK_DEBIAN_PACKAGE_ARCHITECTURE ${STEPDIAL_DEB_ARCH})
endif()
set(CPACK_DEBIAN_PACKAGE_SECTION electronics)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The typeface's package, under either release's name.
include(${CMAKE_CURRENT_LIST_DIR}/Culmus.cmake)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins, ${STEPDIAL_CULMUS_DEPENDS}")
# Qt's Wayland plugin, for the Wayland sessions Debian's desktops start: without it the
# program runs through XWayland, where there is one, and Qt warns at every start.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-wayland")
# Loads the drivers and applies the udev rule that packaging/ installs, where it can, and
# takes the rule's access back on removal.
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA "${PROJECT_SOURCE_DIR}/packaging/linux/postinst"
                                      "${PROJECT_SOURCE_DIR}/packaging/linux/postrm")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
include(CPack)
