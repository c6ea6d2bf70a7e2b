# One whole frame of the demo scene headless, with memset/memcpy yardsticks and the expansion paths.
brumal_bench(frame_bench SOURCES ${CMAKE_CURRENT_LIST_DIR}/FrameBench.cpp ${CMAKE_CURRENT_LIST_DIR}/FrameScene.cpp
             LIBS demoapp)
target_compile_definitions(frame_bench PRIVATE BRUMAL_BIN_DIR="${CMAKE_RUNTIME_OUTPUT_DIRECTORY}")
if(TARGET demo_data)
  add_dependencies(frame_bench demo_data)
endif()
