# Arbitrary font files into BitmapFont::load, then arbitrary text drawn at arbitrary positions.
brumal_fuzzer(font_fuzz SOURCES FontFuzz.cpp LIBS font display)
