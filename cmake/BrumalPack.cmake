# A game's data at build time: PNG pictures coded as BDI images, the 16 x 16 font, the blend
# tables and other files, packed into one pack archive.
#
#   brumal_add_pack(TARGET <name> OUTPUT <file.pak>
#                   [DIRECTORY <folder>]          every *.png in it (not in subfolders)
#                   [PICTURES <file.png>...]      more pictures, which may be made by the build
#                   [OPTIONS <picture> "<bdi encode options>" ...]
#                   [FONT <unifont.hex | file.font>] [FONT_NAME <name>]
#                   [TABLES]
#                   [FILES <file>...]
#                   [PREFIX <folder>])
#
# Picture x.png becomes x.bdi, coded by `bdi encode` with the options given for x (e.g.
# OPTIONS hero "-m 1 -k 0" wall "-k 248 -c 255,0,255"; without any, bdi's defaults). FONT is
# built by fontbuilder from a GNU Unifont .hex file, or taken as it is, and stored as FONT_NAME
# (default: its name with .font). TABLES adds the blend tables as bdi.dat, which the engine would
# otherwise compute at start. FILES are packed as they are.
#
# Everything is made in the folder PREFIX (default "data") beside OUTPUT and packed from there,
# so the archive holds "data\x.bdi", the names the engine asks for; that folder must hold only
# these files. The target is part of ALL and remakes whatever a changed input or tool touches.
#
# The tools are Brumal::bdi, Brumal::fontbuilder, Brumal::bdtables and Brumal::packer of the
# package (or of the engine's own build). When cross-compiling, the host's are run instead: those
# in BRUMAL_TOOLS_DIR, else on the PATH.
if(CMAKE_VERSION VERSION_LESS 3.15)
  message(FATAL_ERROR "brumal_add_pack needs CMake 3.15 or newer")
endif()
set_property(GLOBAL PROPERTY BRUMAL_PACK_FOLDER_SCRIPT ${CMAKE_CURRENT_LIST_DIR}/BrumalPackFolder.cmake)

# brumal_find_tool(<variable> <tool>): what runs the tool in a custom command's COMMAND and
# DEPENDS: an executable target, or a program's path.
function(brumal_find_tool variable tool)
  if(NOT CMAKE_CROSSCOMPILING AND TARGET Brumal::${tool})
    get_target_property(real Brumal::${tool} ALIASED_TARGET)
    if(NOT real)
      set(real Brumal::${tool})
    endif()
    set(${variable} ${real} PARENT_SCOPE)
    return()
  endif()
  find_program(BRUMAL_TOOL_${tool} ${tool} HINTS ${BRUMAL_TOOLS_DIR} NO_CMAKE_FIND_ROOT_PATH)
  if(NOT BRUMAL_TOOL_${tool})
    message(FATAL_ERROR "Brumal's ${tool} was not found: install the Linux package or set BRUMAL_TOOLS_DIR "
                        "to the folder that holds it")
  endif()
  set(${variable} ${BRUMAL_TOOL_${tool}} PARENT_SCOPE)
endfunction()

function(brumal_add_pack)
  cmake_parse_arguments(P "TABLES" "TARGET;OUTPUT;DIRECTORY;FONT;FONT_NAME;PREFIX" "PICTURES;OPTIONS;FILES" ${ARGN})
  if(NOT P_TARGET OR NOT P_OUTPUT OR P_UNPARSED_ARGUMENTS)
    message(FATAL_ERROR "brumal_add_pack: TARGET and OUTPUT are needed (unknown: ${P_UNPARSED_ARGUMENTS})")
  endif()
  if(NOT P_PREFIX)
    set(P_PREFIX data)
  endif()
  get_filename_component(output ${P_OUTPUT} ABSOLUTE BASE_DIR ${CMAKE_CURRENT_BINARY_DIR})
  get_filename_component(folder ${output} DIRECTORY)
  set(stage ${folder}/${P_PREFIX})
  file(MAKE_DIRECTORY ${stage})

  set(pictures)
  if(P_DIRECTORY)
    get_filename_component(directory ${P_DIRECTORY} ABSOLUTE)
    file(GLOB found CONFIGURE_DEPENDS ${directory}/*.png)
    if(NOT found)
      message(FATAL_ERROR "brumal_add_pack(${P_TARGET}): no PNG picture in ${directory}")
    endif()
    list(SORT found)
    list(APPEND pictures ${found})
  endif()
  foreach(picture ${P_PICTURES})
    get_filename_component(picture ${picture} ABSOLUTE)
    list(APPEND pictures ${picture})
  endforeach()

  # OPTIONS: pairs of a picture's name and its options.
  set(optioned)
  list(LENGTH P_OPTIONS count)
  math(EXPR odd "${count} % 2")
  if(odd)
    message(FATAL_ERROR "brumal_add_pack(${P_TARGET}): OPTIONS takes pairs: a picture and its options")
  endif()
  while(P_OPTIONS)
    list(POP_FRONT P_OPTIONS name text)
    separate_arguments(options_${name} UNIX_COMMAND "${text}")
    list(APPEND optioned ${name})
  endwhile()

  set(names)
  if(pictures)
    brumal_find_tool(bdi bdi)
  endif()
  foreach(picture ${pictures})
    get_filename_component(name ${picture} NAME_WLE)
    list(REMOVE_ITEM optioned ${name})
    add_custom_command(OUTPUT ${stage}/${name}.bdi
      COMMAND ${bdi} encode ${options_${name}} ${picture} ${stage}/${name}.bdi
      DEPENDS ${bdi} ${picture} ${CMAKE_CURRENT_LIST_FILE}  # the options are set there
      COMMENT "Coding ${P_PREFIX}/${name}.bdi" VERBATIM)
    list(APPEND names ${name}.bdi)
  endforeach()
  if(optioned)
    message(FATAL_ERROR "brumal_add_pack(${P_TARGET}): OPTIONS for pictures it does not have: ${optioned}")
  endif()

  if(P_FONT)
    get_filename_component(font ${P_FONT} ABSOLUTE)
    if(NOT P_FONT_NAME)
      get_filename_component(P_FONT_NAME ${font} NAME_WLE)
      set(P_FONT_NAME ${P_FONT_NAME}.font)
    endif()
    if(font MATCHES "\\.hex$")
      brumal_find_tool(fontbuilder fontbuilder)
      set(command ${fontbuilder} ${font} ${stage}/${P_FONT_NAME})
    else()
      set(fontbuilder)
      set(command ${CMAKE_COMMAND} -E copy ${font} ${stage}/${P_FONT_NAME})
    endif()
    add_custom_command(OUTPUT ${stage}/${P_FONT_NAME} COMMAND ${command} DEPENDS ${fontbuilder} ${font}
                       COMMENT "Building ${P_PREFIX}/${P_FONT_NAME}" VERBATIM)
    list(APPEND names ${P_FONT_NAME})
  endif()
  if(P_TABLES)
    brumal_find_tool(bdtables bdtables)
    add_custom_command(OUTPUT ${stage}/bdi.dat COMMAND ${bdtables} ${stage}/bdi.dat DEPENDS ${bdtables}
                       COMMENT "Writing the blend tables ${P_PREFIX}/bdi.dat" VERBATIM)
    list(APPEND names bdi.dat)
  endif()
  foreach(file ${P_FILES})
    get_filename_component(file ${file} ABSOLUTE)
    get_filename_component(name ${file} NAME)
    add_custom_command(OUTPUT ${stage}/${name} COMMAND ${CMAKE_COMMAND} -E copy ${file} ${stage}/${name}
                       DEPENDS ${file} COMMENT "Copying ${P_PREFIX}/${name}" VERBATIM)
    list(APPEND names ${name})
  endforeach()

  # One file of each name: the archive stores names in lower case.
  string(TOLOWER "${names}" lower)
  set(unique ${lower})
  list(REMOVE_DUPLICATES unique)
  if(NOT unique STREQUAL lower OR lower MATCHES ",")
    message(FATAL_ERROR "brumal_add_pack(${P_TARGET}): two files of one name, or a comma in one: ${names}")
  endif()
  list(TRANSFORM names PREPEND ${stage}/ OUTPUT_VARIABLE made)
  list(JOIN names "," listed)

  brumal_find_tool(packer packer)
  if(TARGET ${packer})
    set(packer_file $<TARGET_FILE:${packer}>)
  else()
    set(packer_file ${packer})
  endif()
  get_property(script GLOBAL PROPERTY BRUMAL_PACK_FOLDER_SCRIPT)
  get_filename_component(archive ${output} NAME)
  add_custom_command(OUTPUT ${output}
    COMMAND ${CMAKE_COMMAND} -DPACKER=${packer_file} -DDIR=${folder} -DPREFIX=${P_PREFIX} -DARCHIVE=${archive}
            -DFILES=${listed} -P ${script}
    DEPENDS ${packer} ${made} ${script}
    COMMENT "Packing ${archive}" VERBATIM)
  add_custom_target(${P_TARGET} ALL DEPENDS ${output})
endfunction()
