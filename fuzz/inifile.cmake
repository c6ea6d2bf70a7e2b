brumal_fuzzer(inifile_fuzz SOURCES IniFileFuzz.cpp LIBS demoapp archive)
