# Cross build for arm64 Linux (a Raspberry Pi's Debian or Raspberry Pi OS) with Debian's
# cross compiler and multiarch: the arm64 libraries install beside the amd64 ones, under
# /usr/lib/aarch64-linux-gnu, and the host's moc, uic and rcc serve (Multi-Arch: foreign).
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR aarch64)
set(CMAKE_LIBRARY_ARCHITECTURE aarch64-linux-gnu)
set(CMAKE_C_COMPILER aarch64-linux-gnu-gcc)
set(CMAKE_CXX_COMPILER aarch64-linux-gnu-g++)

# pkg-config reads the arm64 libraries' .pc files and the architecture-independent ones.
set(ENV{PKG_CONFIG_LIBDIR} /usr/lib/aarch64-linux-gnu/pkgconfig:/usr/share/pkgconfig)

# Test programs run under qemu's user mode, which finds the arm64 loader and libraries that
# multiarch installed in /lib and /usr/lib: no binfmt handler is needed.
find_program(STEPDIAL_QEMU_AARCH64 NAMES qemu-aarch64-static qemu-aarch64 NO_CACHE)
if(STEPDIAL_QEMU_AARCH64)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${STEPDIAL_QEMU_AARCH64})
endif()
