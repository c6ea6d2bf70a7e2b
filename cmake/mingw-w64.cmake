# What both mingw-w64 toolchain files share; they set BRUMAL_MINGW_TARGET (the compilers' prefix)
# and CMAKE_SYSTEM_PROCESSOR first.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_C_COMPILER ${BRUMAL_MINGW_TARGET}-gcc-posix)
set(CMAKE_CXX_COMPILER ${BRUMAL_MINGW_TARGET}-g++-posix)
set(CMAKE_RC_COMPILER ${BRUMAL_MINGW_TARGET}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${BRUMAL_MINGW_TARGET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
# Without the compiler's DLLs beside them, the programs must carry their runtime inside.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
