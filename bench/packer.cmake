# The packer beside tar: packing and unpacking a 100 MiB tree of 2,000 files. The benchmark
# runs the built program, whose path it gets as PACKER_PATH.
brumal_bench(packer_bench SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/PackerBench.cpp LIBS)
target_compile_definitions(packer_bench PRIVATE PACKER_PATH="$<TARGET_FILE:packer>")
add_dependencies(packer_bench packer)
