# Packs the folder PREFIX of DIR into DIR/ARCHIVE, for brumal_add_pack:
#   cmake -DPACKER=<packer> -DDIR=<folder> -DPREFIX=<data> -DARCHIVE=<data.pak> -DFILES=<name,name,...>
#         -P BrumalPackFolder.cmake
# Everything in DIR/PREFIX is packed, so the folder must hold exactly the files named: a temporary
# file left by a killed tool is removed, anything else stops the build.
# The packer exits with status 1 after any command it ran, so success is read from its report.
# It writes into a new file that replaces the archive only when packing succeeded.
cmake_minimum_required(VERSION 3.15)
string(REPLACE "," ";" FILES "${FILES}")
file(GLOB present RELATIVE ${DIR}/${PREFIX} ${DIR}/${PREFIX}/*)
foreach(name ${present})
  if(name MATCHES "\\.tmp[0-9]+$")
    file(REMOVE ${DIR}/${PREFIX}/${name})
  elseif(NOT name IN_LIST FILES)
    message(FATAL_ERROR "${DIR}/${PREFIX}/${name} is not one of the files packed into ${ARCHIVE}; remove it")
  endif()
endforeach()

set(new_archive ${DIR}/${ARCHIVE}.new)
file(REMOVE ${new_archive})
execute_process(COMMAND ${PACKER} -p ${PREFIX} ${ARCHIVE}.new
                WORKING_DIRECTORY ${DIR}
                OUTPUT_VARIABLE report
                ERROR_VARIABLE errors)
if(NOT report MATCHES "All File Packed OK!")
  file(REMOVE ${new_archive})
  message(FATAL_ERROR "packing ${DIR}/${PREFIX} failed:\n${report}${errors}")
endif()
file(RENAME ${new_archive} ${DIR}/${ARCHIVE})
