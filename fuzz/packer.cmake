# The unpacker's checking walk over arbitrary archives, and its unsafe-name check.
brumal_fuzzer(unpack_fuzz SOURCES UnpackFuzz.cpp LIBS packer_core)
