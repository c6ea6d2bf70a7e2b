# BDI payload decoders on sprite-like pixels, beside zlib's inflate of the same pixels.
find_package(ZLIB REQUIRED)
brumal_bench(decoders_bench SOURCES DecodersBench.cpp LIBS bdicodec ZLIB::ZLIB)
