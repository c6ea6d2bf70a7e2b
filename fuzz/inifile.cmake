# The settings reader alone, without the rest of the demo library.
brumal_fuzzer(inifile_fuzz SOURCES IniFileFuzz.cpp LIBS inifile)
