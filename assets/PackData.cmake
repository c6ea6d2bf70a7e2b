# Packs the data folder into data.pak: cmake -DPACKER=<packer> -DDIR=<folder holding data> -P PackData.cmake
# The packer exits with status 1 after any command it ran, so success is read from its report.
# It writes into a new file that replaces data.pak only when packing succeeded.
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
