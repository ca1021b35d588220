# Cross build for 32-bit Windows with Debian's mingw-w64; test programs run under the
# 32-bit wine loader (Debian's wine32 package, of the i386 architecture).
set(CMAKE_SYSTEM_PROCESSOR i686)
set(STEPDIAL_MINGW_TRIPLET i686-w64-mingw32)
set(STEPDIAL_WINE_LOADER wine)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64-common.cmake)
