# The Win32 layer's share of a frame on the headless back end.
brumal_bench(platform_bench SOURCES PlatformBench.cpp LIBS platform_win32)
