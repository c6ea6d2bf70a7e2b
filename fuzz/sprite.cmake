# Arbitrary BDI files into Sprite::load, then drawn with arbitrary positions, modes and rectangles.
brumal_fuzzer(sprite_fuzz SOURCES SpriteFuzz.cpp LIBS render display)
