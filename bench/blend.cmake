# Blend routines: Mpixel/s of every mode, 256 x 128 sprites into a 640 x 480 back buffer.
brumal_bench(blend_bench SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/BlendBench.cpp LIBS render)
