# The engine as games use it: one static library, libbrumal.a (target brumal, Brumal::engine),
# made of the objects of the libraries this tree builds, with their headers under
# include/brumal/ in the tree's folder names, and the tools that make a game's data. One
# library, one tool joins with one line in its own CMakeLists.txt:
#
#   brumal_engine_library(TARGET [HEADERS file-or-glob...] [LINKS item...])
#       the library's objects go into libbrumal.a (an INTERFACE library gives headers only);
#       HEADERS are relative to the calling folder (they are also what the API reference,
#       docs/, covers); LINKS are what a program linking the engine needs for it (system
#       libraries, imported targets of packages BrumalConfig.cmake finds)
#   brumal_engine_tool(TARGET)
#       installs a program; on Linux it is also exported as Brumal::TARGET, the name the data
#       function brumal_add_pack runs it by
#
# brumal_engine_install() at the end of the top-level CMakeLists.txt writes the package:
# lib/libbrumal.a, lib/cmake/Brumal/ (config, version, targets, data function), lib/pkgconfig/brumal.pc.
if(EMSCRIPTEN)
  # The browser build is a page, not a package: nothing of it is installed.
  function(brumal_engine_library)
  endfunction()
  function(brumal_engine_tool)
  endfunction()
  return()
endif()

include(GNUInstallDirs)
include(CMakePackageConfigHelpers)

set(BRUMAL_INCLUDE_DIR ${CMAKE_INSTALL_INCLUDEDIR}/brumal)
set(BRUMAL_PACKAGE_DIR ${CMAKE_INSTALL_LIBDIR}/cmake/Brumal)
# Windows programs sit beside their data at the top of the release folder.
if(WIN32)
  set(BRUMAL_PROGRAM_DIR .)
else()
  set(BRUMAL_PROGRAM_DIR ${CMAKE_INSTALL_BINDIR})
endif()

add_library(brumal STATIC)
add_library(Brumal::engine ALIAS brumal)
set_target_properties(brumal PROPERTIES EXPORT_NAME engine LINKER_LANGUAGE CXX)
# Our headers include each other rooted at the tree ("archive/FileLoader.h"), and a game's code
# may write <brumal/render/Sprite.h>; on POSIX systems <windows.h> and <ddraw.h> are ours too.
target_include_directories(brumal INTERFACE $<BUILD_INTERFACE:${PROJECT_SOURCE_DIR}>
                                            $<INSTALL_INTERFACE:${CMAKE_INSTALL_INCLUDEDIR}>
                                            $<INSTALL_INTERFACE:${BRUMAL_INCLUDE_DIR}>)
if(NOT WIN32)
  target_include_directories(brumal INTERFACE $<BUILD_INTERFACE:${PROJECT_SOURCE_DIR}/platform/include>
                                              $<INSTALL_INTERFACE:${BRUMAL_INCLUDE_DIR}/platform/include>)
endif()
target_compile_features(brumal INTERFACE cxx_std_17)
install(TARGETS brumal EXPORT BrumalTargets ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR} COMPONENT development)

function(brumal_engine_library target)
  cmake_parse_arguments(E "" "" "HEADERS;LINKS" ${ARGN})
  get_target_property(type ${target} TYPE)
  if(NOT type STREQUAL "INTERFACE_LIBRARY")
    target_sources(brumal PRIVATE $<TARGET_OBJECTS:${target}>)
    add_dependencies(brumal ${target})
  endif()
  if(E_LINKS)
    target_link_libraries(brumal INTERFACE ${E_LINKS})
    set_property(GLOBAL APPEND PROPERTY BRUMAL_ENGINE_LINKS ${E_LINKS})
  endif()
  foreach(pattern ${E_HEADERS})
    file(GLOB headers ${CMAKE_CURRENT_SOURCE_DIR}/${pattern})
    if(NOT headers)
      message(FATAL_ERROR "brumal_engine_library(${target}): no header matches ${pattern}")
    endif()
    foreach(header ${headers})
      file(RELATIVE_PATH path ${PROJECT_SOURCE_DIR} ${header})
      get_filename_component(folder ${path} DIRECTORY)
      install(FILES ${header} DESTINATION ${BRUMAL_INCLUDE_DIR}/${folder} COMPONENT development)
      set_property(GLOBAL APPEND PROPERTY BRUMAL_ENGINE_HEADERS ${header})
    endforeach()
  endforeach()
endfunction()

function(brumal_engine_tool target)
  if(WIN32)
    install(TARGETS ${target} RUNTIME DESTINATION ${BRUMAL_PROGRAM_DIR} COMPONENT programs)
  else()
    add_executable(Brumal::${target} ALIAS ${target})
    install(TARGETS ${target} EXPORT BrumalTargets RUNTIME DESTINATION ${BRUMAL_PROGRAM_DIR} COMPONENT programs)
  endif()
endfunction()

# How BrumalConfig.cmake finds each imported target a library LINKS, and the pkg-config module
# that gives the same.
set(_brumal_find_PNG_PNG "find_dependency(PNG)")
set(_brumal_module_PNG_PNG libpng)
set(_brumal_find_SDL2_SDL2 "find_dependency(SDL2 CONFIG)")
set(_brumal_module_SDL2_SDL2 sdl2)
set(_brumal_find_PkgConfig_SDL2 "find_dependency(PkgConfig)\npkg_check_modules(SDL2 REQUIRED QUIET IMPORTED_TARGET sdl2)")
set(_brumal_module_PkgConfig_SDL2 sdl2)

function(brumal_engine_install)
  # A static library cannot carry its dependencies: pkg-config's plain --libs must list them, so
  # they are Requires rather than Requires.private, and system libraries are in Libs.
  get_property(links GLOBAL PROPERTY BRUMAL_ENGINE_LINKS)
  list(REMOVE_DUPLICATES links)
  set(BRUMAL_FIND_DEPENDENCIES "")
  set(modules "")
  set(BRUMAL_PC_LIBS "")
  foreach(item ${links})
    if(item MATCHES "::")
      string(REPLACE "::" "_" key ${item})
      if(NOT DEFINED _brumal_find_${key})
        message(FATAL_ERROR "the engine links ${item}: say in cmake/BrumalEngine.cmake how a game finds it")
      endif()
      string(APPEND BRUMAL_FIND_DEPENDENCIES "${_brumal_find_${key}}\n")
      list(APPEND modules ${_brumal_module_${key}})
    else()
      string(APPEND BRUMAL_PC_LIBS " -l${item}")
    endif()
  endforeach()
  list(JOIN modules ", " BRUMAL_PC_REQUIRES)
  set(BRUMAL_PC_CFLAGS "")
  if(NOT WIN32)
    set(BRUMAL_PC_CFLAGS " -I\${includedir}/brumal/platform/include")
  endif()

  # The .pc file finds the prefix from its own place, so the tree can be moved (the .tar.gz).
  file(RELATIVE_PATH BRUMAL_PC_PREFIX /root/${CMAKE_INSTALL_LIBDIR}/pkgconfig /root)
  string(REGEX REPLACE "/$" "" BRUMAL_PC_PREFIX "${BRUMAL_PC_PREFIX}")
  set(BRUMAL_PC_PREFIX "\${pcfiledir}/${BRUMAL_PC_PREFIX}")
  configure_file(${PROJECT_SOURCE_DIR}/cmake/brumal.pc.in ${PROJECT_BINARY_DIR}/brumal.pc @ONLY)

  configure_package_config_file(${PROJECT_SOURCE_DIR}/cmake/BrumalConfig.cmake.in
                                ${PROJECT_BINARY_DIR}/BrumalConfig.cmake INSTALL_DESTINATION ${BRUMAL_PACKAGE_DIR})
  # 0.x: a new minor version may change the interface, so only the same minor version matches.
  write_basic_package_version_file(${PROJECT_BINARY_DIR}/BrumalConfigVersion.cmake COMPATIBILITY SameMinorVersion)

  install(EXPORT BrumalTargets NAMESPACE Brumal:: DESTINATION ${BRUMAL_PACKAGE_DIR} COMPONENT development)
  install(FILES ${PROJECT_BINARY_DIR}/BrumalConfig.cmake ${PROJECT_BINARY_DIR}/BrumalConfigVersion.cmake
                ${PROJECT_SOURCE_DIR}/cmake/BrumalPack.cmake ${PROJECT_SOURCE_DIR}/cmake/BrumalPackFolder.cmake
          DESTINATION ${BRUMAL_PACKAGE_DIR} COMPONENT development)
  install(FILES ${PROJECT_BINARY_DIR}/brumal.pc DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig COMPONENT development)
  # A game cross-builds for Windows with the same toolchain files as the engine.
  install(FILES ${PROJECT_SOURCE_DIR}/cmake/mingw-w64.cmake ${PROJECT_SOURCE_DIR}/cmake/mingw-w64-x86_64.cmake
                ${PROJECT_SOURCE_DIR}/cmake/mingw-w64-i686.cmake
          DESTINATION ${BRUMAL_PACKAGE_DIR} COMPONENT development)
endfunction()
