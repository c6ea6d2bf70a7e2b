# Cross-compiles the Windows programs for 32-bit x86 with Debian's i686 mingw-w64
# (g++-mingw-w64-i686-posix):
#   cmake -S . -B build-win32 -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-i686.cmake
set(BRUMAL_MINGW_TARGET i686-w64-mingw32)
set(CMAKE_SYSTEM_PROCESSOR x86)
# SSE2 as on 64-bit: the blends take their SSE2 paths, and floating point rounds as there
# instead of in the x87's wider registers, so both programs draw the same frames.
set(CMAKE_C_FLAGS_INIT "-msse2 -mfpmath=sse")
set(CMAKE_CXX_FLAGS_INIT "-msse2 -mfpmath=sse")
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64.cmake)
