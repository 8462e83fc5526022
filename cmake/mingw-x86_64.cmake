# Cross-compiles the installer's build and the 64-bit test programs with
# MinGW-w64 (x86-64), run in a 64-bit Wine prefix.
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(ZOLVIK_WINE_OPTIONS --win64)
include(${CMAKE_CURRENT_LIST_DIR}/mingw.cmake)
