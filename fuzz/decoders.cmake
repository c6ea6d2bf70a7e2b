# Arbitrary payloads into the three BDI decoders, checked against byte-by-byte decoding.
brumal_fuzzer(decoders_fuzz SOURCES DecodersFuzz.cpp LIBS render)
