# The BDI coders of the bdi tool on the demo's own pictures, as the build made them.
if(TARGET demo_data AND TARGET bdicodec)
  brumal_bench(tools_bench SOURCES ${CMAKE_CURRENT_LIST_DIR}/ToolsBench.cpp LIBS bdicodec)
  add_dependencies(tools_bench demo_data)
  target_compile_definitions(tools_bench PRIVATE DEMO_BIN_DIR="${CMAKE_RUNTIME_OUTPUT_DIRECTORY}"
                             ART_DIR="${PROJECT_BINARY_DIR}/assets/art")
endif()
