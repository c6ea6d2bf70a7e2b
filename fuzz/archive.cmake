# Every input goes through a file, which makes each run slow: fewer mutations.
brumal_fuzzer(packarchive_fuzz SOURCES PackArchiveFuzz.cpp LIBS archive MUTATIONS 1500)
