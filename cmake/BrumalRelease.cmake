# Release packages, made with CPack in a build folder (cpack, or cpack -G <generator>):
#   Linux    brumal-<version>-Linux.tar.gz and brumal_<version>_<arch>.deb: everything installed,
#            the deb under /usr. The demo needs its data in its working directory, so it is
#            installed with its data in a folder of its own and started by bin/brumal-demo.
#   Windows  brumal-<version>-win64.zip or -win32.zip: demo.exe and packer.exe (stripped),
#            data.pak, setting.ini and README.txt, and nothing else (components programs, data).
if(WIN32)
  set(BRUMAL_DEMO_DATA_DIR .)
  set(BRUMAL_DEMO_PROGRAM_DIR .)
else()
  set(BRUMAL_DEMO_DATA_DIR ${CMAKE_INSTALL_DATADIR}/brumal/demo)
  set(BRUMAL_DEMO_PROGRAM_DIR ${CMAKE_INSTALL_LIBEXECDIR}/brumal)
endif()

# The launcher finds the demo and its data from its own place, so the tree can be moved.
function(brumal_install_demo)
  install(TARGETS demo RUNTIME DESTINATION ${BRUMAL_DEMO_PROGRAM_DIR} COMPONENT programs)
  if(WIN32)
    # Windows Notepad before 2018 shows a text only with CR LF line ends.
    file(READ ${PROJECT_SOURCE_DIR}/assets/windows-readme.txt text)
    string(REPLACE "@VERSION@" ${PROJECT_VERSION} text "${text}")
    string(REPLACE "\n" "\r\n" text "${text}")
    file(WRITE ${PROJECT_BINARY_DIR}/README.txt "${text}")
    install(FILES ${PROJECT_BINARY_DIR}/README.txt DESTINATION . COMPONENT data)
    return()
  endif()
  file(RELATIVE_PATH BRUMAL_DEMO_DATA_PATH /root/${CMAKE_INSTALL_BINDIR} /root/${BRUMAL_DEMO_DATA_DIR})
  file(RELATIVE_PATH BRUMAL_DEMO_PROGRAM_PATH /root/${CMAKE_INSTALL_BINDIR} /root/${BRUMAL_DEMO_PROGRAM_DIR}/demo)
  configure_file(${PROJECT_SOURCE_DIR}/cmake/brumal-demo.in ${PROJECT_BINARY_DIR}/brumal-demo @ONLY)
  install(PROGRAMS ${PROJECT_BINARY_DIR}/brumal-demo DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT programs)
  install(FILES ${PROJECT_SOURCE_DIR}/assets/copyright DESTINATION ${CMAKE_INSTALL_DOCDIR} COMPONENT data)
endfunction()

set(CPACK_PACKAGE_NAME brumal)
set(CPACK_PACKAGE_VENDOR "Brumal engine developers")
set(CPACK_PACKAGE_CONTACT "Brumal engine developers <dev@brumal-engine.example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Small software-rendered 2D game engine: library, tools and demo")
set(CPACK_PACKAGE_HOMEPAGE_URL https://brumal-engine.example.org)
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)
set(CPACK_STRIP_FILES ON)
if(WIN32)
  set(CPACK_GENERATOR ZIP)
  set(CPACK_ARCHIVE_COMPONENT_INSTALL ON)
  set(CPACK_COMPONENTS_GROUPING ALL_COMPONENTS_IN_ONE)
  set(CPACK_COMPONENTS_ALL programs data)
  set(CPACK_COMPONENT_INCLUDE_TOPLEVEL_DIRECTORY ON)
else()
  set(CPACK_GENERATOR TGZ DEB)
  set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
  set(CPACK_DEBIAN_PACKAGE_SECTION games)
  # Depends from the programs' shared libraries (needs file and dpkg-dev).
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
  # The platform layer draws status text with Unifont's glyphs; building a game needs the rest.
  set(CPACK_DEBIAN_PACKAGE_RECOMMENDS unifont)
  # Debian's packer (a machine-image builder) ships /usr/bin/packer too.
  set(CPACK_DEBIAN_PACKAGE_CONFLICTS packer)
  set(CPACK_DEBIAN_PACKAGE_SUGGESTS "cmake, pkg-config, g++, libsdl2-dev, libpng-dev")
endif()
include(CPack)
