brumal_fuzzer(packarchive_fuzz SOURCES PackArchiveFuzz.cpp LIBS archive)
