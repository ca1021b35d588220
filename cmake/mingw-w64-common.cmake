# What both mingw-w64 toolchain files share; they set STEPDIAL_MINGW_TRIPLET and
# STEPDIAL_WINE_LOADER first.
set(CMAKE_SYSTEM_NAME Windows)

# The posix thread model, which std::thread and std::mutex need.
set(CMAKE_C_COMPILER ${STEPDIAL_MINGW_TRIPLET}-gcc-posix)
set(CMAKE_CXX_COMPILER ${STEPDIAL_MINGW_TRIPLET}-g++-posix)
set(CMAKE_RC_COMPILER ${STEPDIAL_MINGW_TRIPLET}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${STEPDIAL_MINGW_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# libgcc, libstdc++ and winpthread linked in, so a program and its DLLs run with no
# mingw runtime DLLs beside them, as on an operator's machine.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static")
set(CMAKE_MODULE_LINKER_FLAGS_INIT "-static")

# Test programs run under Wine, in a prefix of the build tree's own (see wine-run.sh).
# Debian's wine packages keep their loaders in /usr/lib/wine and put nothing on PATH.
find_program(STEPDIAL_WINE NAMES ${STEPDIAL_WINE_LOADER} PATHS /usr/lib/wine NO_CMAKE_FIND_ROOT_PATH NO_CACHE)
if(STEPDIAL_WINE)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/wine-run.sh ${CMAKE_BINARY_DIR}/wineprefix ${STEPDIAL_WINE})
endif()
