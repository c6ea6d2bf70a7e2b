// One top-level window with its renderer and the streaming texture that shows the program's
// 16-bit RGB565 pictures. Presentation scales the picture into the client area (windowed) or,
// in desktop full screen, into the logical size the program asked for, letterboxed.
#pragma once

#include <SDL.h>
#include <cstdint>
#include <vector>

class SdlWindow {
public:
  SdlWindow();
  virtual ~SdlWindow();

  SdlWindow(const SdlWindow&) = delete;
  SdlWindow& operator=(const SdlWindow&) = delete;

  // Creates the window hidden, at (x, y) with a client area of width x height. Popup windows
  // have no frame. False when SDL cannot make a window or a renderer.
  bool create(const char* titleUtf8, int x, int y, int width, int height, bool framed);

  uint32_t id() const;
  SDL_Window* handle() const { return window; }

  void show();
  void hide();
  bool shown() const { return isShown; }

  void setFramed(bool framed);
  void move(int x, int y);
  void resize(int width, int height);
  void clientSize(int* width, int* height) const;

  // Desktop full screen: the window covers the screen and pictures of width x height are
  // scaled to fit, keeping their proportions. leaveFullScreen returns to the window's place,
  // size and frame from before; moves and resizes meanwhile are kept for that return.
  bool enterFullScreen(int width, int height);
  void leaveFullScreen();
  bool fullScreen() const { return isFullScreen; }
  bool framed() const { return isFramed; }

  // Shows a picture of width x height RGB565 pixels, rows pitch bytes apart, scaled into the
  // whole client area (full screen: the logical size).
  bool present(const uint16_t* pixels, int width, int height, int pitch);

  // A position in window coordinates, as SDL's mouse events give it, as a pixel of the picture the
  // window shows: windowed, of the client area at the size the program gave it however large the
  // window is now; full screen, of the logical size (SDL's renderer has taken the letterbox and the
  // scale off mouse events already). Positions outside land on the nearest edge pixel.
  void toPicture(int x, int y, int& pictureX, int& pictureY) const;

  // From now on presents wait for the display's refresh; false when the renderer cannot.
  bool syncToRefresh();

  // Reads back the whole window as the last present left it (ARGB8888, in the renderer's output
  // pixels, letterbox bars included), for tests. False when the renderer cannot.
  bool readPixels(std::vector<uint32_t>& out, int& width, int& height);

private:
  bool ensureTexture(int width, int height);
  void restoreWindowedPlace();

  SDL_Window* window;
  SDL_Renderer* renderer;
  SDL_Texture* texture;
  int textureWidth;
  int textureHeight;
  bool isShown;
  bool isFullScreen;
  bool isFramed;
  SDL_Rect windowedPlace;  // where the window goes back to when full screen ends
  bool windowedFramed;
  int pictureWidth;  // the client size the program asked for, or full screen the logical size
  int pictureHeight;
  bool vsync;
};
