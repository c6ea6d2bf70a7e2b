# Packs the data folder into data.pak:
#   cmake -DPACKER=<packer> -DDIR=<folder holding data> -DFILES=<name,name,...> -P PackData.cmake
# Everything in data/ is packed, so the folder must hold exactly the files of the data set: a
# temporary file left by a killed tool is removed, anything else stops the build.
# The packer exits with status 1 after any command it ran, so success is read from its report.
# It writes into a new file that replaces data.pak only when packing succeeded.
cmake_minimum_required(VERSION 3.25)
string(REPLACE "," ";" FILES "${FILES}")
file(GLOB present RELATIVE ${DIR}/data ${DIR}/data/*)
foreach(name ${present})
  if(name MATCHES "\\.tmp[0-9]+$")
    file(REMOVE ${DIR}/data/${name})
  elseif(NOT name IN_LIST FILES)
    message(FATAL_ERROR "${DIR}/data/${name} is not part of the demo's data set; remove it")
  endif()
endforeach()

set(new_pak ${DIR}/data.pak.new)
file(REMOVE ${new_pak})
execute_process(COMMAND ${PACKER} -p data data.pak.new
                WORKING_DIRECTORY ${DIR}
                OUTPUT_VARIABLE report
                ERROR_VARIABLE errors)
if(NOT report MATCHES "All File Packed OK!")
  file(REMOVE ${new_pak})
  message(FATAL_ERROR "packing ${DIR}/data failed:\n${report}${errors}")
endif()
file(RENAME ${new_pak} ${DIR}/data.pak)
