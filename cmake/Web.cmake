# The browser build, with Debian's emscripten (scripts/build-web.sh runs it):
#   emcmake cmake -S . -B build-web -DCMAKE_BUILD_TYPE=Release
# -O2, since -O3 makes a larger module. Bulk memory makes memset and memcpy single instructions
# (the frame's clear, and the blit row by row). With BRUMAL_WEB_SIMD the SSE2 paths compile to
# WebAssembly SIMD through emscripten's SSE2 headers; without it the portable paths serve.
set(CMAKE_C_FLAGS_RELEASE "-O2 -DNDEBUG")
set(CMAKE_CXX_FLAGS_RELEASE "-O2 -DNDEBUG")
set(BRUMAL_SDL OFF)
add_compile_options(-mbulk-memory)
if(BRUMAL_WEB_SIMD)
  add_compile_options(-msimd128 -msse2)
endif()
