# Arbitrary payloads into the three BDI decoders, checked against byte-by-byte decoding, and
# arbitrary codes through the bdi tool's coders and back (coding is slow: fewer mutations).
brumal_fuzzer(decoders_fuzz SOURCES DecodersFuzz.cpp LIBS bdicodec MUTATIONS 600)
