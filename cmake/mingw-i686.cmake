# Cross-compiles the Win32 deliverables with MinGW-w64 (32-bit), run in a
# 32-bit Wine prefix.
set(CMAKE_SYSTEM_PROCESSOR i686)
set(ZOLVIK_WINE_OPTIONS "")
include(${CMAKE_CURRENT_LIST_DIR}/mingw.cmake)
