// Win32 message boxes shown through SDL. The program's texts are GBK; SDL wants UTF-8. Every box
// is also written to standard error, so that a run without any display (or a log of one with a
// display) still tells what the program reported.
#pragma once

#include <SDL.h>

class GbkCodec;

class SdlMessageBox {
public:
  // Shows text and caption (GBK) with the buttons and icon of a MessageBoxA style (MB_OK,
  // MB_OKCANCEL, ..., MB_ICONERROR, ...), modal to owner if there is one. Returns the button id
  // (IDOK 1, IDCANCEL 2, IDABORT 3, IDRETRY 4, IDIGNORE 5, IDYES 6, IDNO 7), or 0 when no box
  // could be shown; that happens at once when there is no display, it never waits.
  static int show(const GbkCodec& codec, SDL_Window* owner, const char* text, const char* caption, unsigned int style);

  // The message box data for a style, without showing anything: the buttons as Win32 ids in
  // SDL's order, and SDL's flags. Split out so the mapping can be checked without a display.
  struct Layout {
    int buttonIds[3];
    int buttonCount;
    Uint32 flags;
    int escapeButton;  // the id Escape gives, or 0 for none
  };
  static Layout layoutOf(unsigned int style);
};
