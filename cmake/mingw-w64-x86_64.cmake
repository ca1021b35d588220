# Cross build for 64-bit Windows with Debian's mingw-w64; test programs run under wine64.
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(STEPDIAL_MINGW_TRIPLET x86_64-w64-mingw32)
set(STEPDIAL_WINE_LOADER wine64)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64-common.cmake)
