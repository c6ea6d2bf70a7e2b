#include "platform/sdl/SdlWindow.h"

SdlWindow::SdlWindow()
    : window(nullptr),
      renderer(nullptr),
      texture(nullptr),
      textureWidth(0),
      textureHeight(0),
      isShown(false),
      isFullScreen(false),
      isFramed(false),
      windowedPlace{0, 0, 0, 0},
      windowedFramed(false),
      pictureWidth(0),
      pictureHeight(0),
      vsync(false) {}

SdlWindow::~SdlWindow() {
  if (texture != nullptr) SDL_DestroyTexture(texture);
  if (renderer != nullptr) SDL_DestroyRenderer(renderer);
  if (window != nullptr) SDL_DestroyWindow(window);
}

bool SdlWindow::create(const char* titleUtf8, int x, int y, int width, int height, bool framed) {
  if (window != nullptr) return false;
  Uint32 flags = SDL_WINDOW_HIDDEN;
  if (!framed) flags |= SDL_WINDOW_BORDERLESS;
  window = SDL_CreateWindow(titleUtf8, x, y, width > 0 ? width : 1, height > 0 ? height : 1, flags);
  if (window == nullptr) return false;
  // Whatever renderer the system offers; on a bare X server (Xvfb) that is the software one.
  // No vsync until the program asks for it (syncToRefresh): it paces itself, as with DirectDraw's
  // windowed blit.
  renderer = SDL_CreateRenderer(window, -1, 0);
  if (renderer == nullptr) renderer = SDL_CreateRenderer(window, -1, SDL_RENDERER_SOFTWARE);
  if (renderer == nullptr) {
    SDL_DestroyWindow(window);
    window = nullptr;
    return false;
  }
  SDL_SetRenderDrawColor(renderer, 0, 0, 0, 255);
  isFramed = framed;
  pictureWidth = width;
  pictureHeight = height;
  return true;
}

uint32_t SdlWindow::id() const {
  return window != nullptr ? SDL_GetWindowID(window) : 0;
}

void SdlWindow::show() {
  if (window == nullptr) return;
  SDL_ShowWindow(window);
  // A newly shown top-level window on Windows comes to the front with the keyboard focus.
  SDL_RaiseWindow(window);
  isShown = true;
}

void SdlWindow::hide() {
  if (window == nullptr) return;
  SDL_HideWindow(window);
  isShown = false;
}

void SdlWindow::setFramed(bool framed) {
  if (window == nullptr) return;
  if (isFullScreen) {
    windowedFramed = framed;
    return;
  }
  SDL_SetWindowBordered(window, framed ? SDL_TRUE : SDL_FALSE);
  isFramed = framed;
}

void SdlWindow::move(int x, int y) {
  if (window == nullptr) return;
  if (isFullScreen) {
    windowedPlace.x = x;
    windowedPlace.y = y;
    return;
  }
  SDL_SetWindowPosition(window, x, y);
}

void SdlWindow::resize(int width, int height) {
  if (window == nullptr || width <= 0 || height <= 0) return;
  if (isFullScreen) {
    windowedPlace.w = width;
    windowedPlace.h = height;
    return;
  }
  SDL_SetWindowSize(window, width, height);
  pictureWidth = width;
  pictureHeight = height;
}

void SdlWindow::clientSize(int* width, int* height) const {
  int w = 0;
  int h = 0;
  if (window != nullptr) SDL_GetWindowSize(window, &w, &h);
  if (width != nullptr) *width = w;
  if (height != nullptr) *height = h;
}

bool SdlWindow::enterFullScreen(int width, int height) {
  if (window == nullptr || width <= 0 || height <= 0) return false;
  if (!isFullScreen) {
    SDL_GetWindowPosition(window, &windowedPlace.x, &windowedPlace.y);
    SDL_GetWindowSize(window, &windowedPlace.w, &windowedPlace.h);
    windowedFramed = isFramed;
  }
  // Full screen is a window manager's service; with none (a bare X server) SDL's request has
  // no effect. So the window first covers the screen by itself, without a frame, and then asks
  // the window manager, if any, to keep it above panels.
  SDL_Rect screen;
  const int displayIndex = SDL_GetWindowDisplayIndex(window);
  if (SDL_GetDisplayBounds(displayIndex < 0 ? 0 : displayIndex, &screen) == 0) {
    SDL_SetWindowBordered(window, SDL_FALSE);
    SDL_SetWindowPosition(window, screen.x, screen.y);
    SDL_SetWindowSize(window, screen.w, screen.h);
  }
  if (SDL_SetWindowFullscreen(window, SDL_WINDOW_FULLSCREEN_DESKTOP) != 0) {
    restoreWindowedPlace();
    return false;
  }
  // The program's picture keeps its own size; the renderer scales it to the screen.
  SDL_RenderSetLogicalSize(renderer, width, height);
  isFullScreen = true;
  pictureWidth = width;
  pictureHeight = height;
  return true;
}

void SdlWindow::leaveFullScreen() {
  if (window == nullptr || !isFullScreen) return;
  SDL_SetWindowFullscreen(window, 0);
  SDL_RenderSetLogicalSize(renderer, 0, 0);
  isFullScreen = false;
  restoreWindowedPlace();
}

void SdlWindow::restoreWindowedPlace() {
  SDL_SetWindowBordered(window, windowedFramed ? SDL_TRUE : SDL_FALSE);
  isFramed = windowedFramed;
  if (windowedPlace.w > 0 && windowedPlace.h > 0) {
    SDL_SetWindowSize(window, windowedPlace.w, windowedPlace.h);
    pictureWidth = windowedPlace.w;
    pictureHeight = windowedPlace.h;
  }
  SDL_SetWindowPosition(window, windowedPlace.x, windowedPlace.y);
}

void SdlWindow::toPicture(int x, int y, int& pictureX, int& pictureY) const {
  if (!isFullScreen && window != nullptr) {
    int width = 0;
    int height = 0;
    SDL_GetWindowSize(window, &width, &height);
    if (width > 0 && height > 0) {
      x = static_cast<int>(static_cast<int64_t>(x) * pictureWidth / width);
      y = static_cast<int>(static_cast<int64_t>(y) * pictureHeight / height);
    }
  }
  pictureX = SDL_clamp(x, 0, pictureWidth > 0 ? pictureWidth - 1 : 0);
  pictureY = SDL_clamp(y, 0, pictureHeight > 0 ? pictureHeight - 1 : 0);
}

bool SdlWindow::syncToRefresh() {
  // Asked before every frame: the renderer is told once.
  if (!vsync) vsync = renderer != nullptr && SDL_RenderSetVSync(renderer, 1) == 0;
  return vsync;
}

bool SdlWindow::ensureTexture(int width, int height) {
  if (texture != nullptr && textureWidth == width && textureHeight == height) return true;
  if (texture != nullptr) SDL_DestroyTexture(texture);
  texture = SDL_CreateTexture(renderer, SDL_PIXELFORMAT_RGB565, SDL_TEXTUREACCESS_STREAMING, width, height);
  textureWidth = texture != nullptr ? width : 0;
  textureHeight = texture != nullptr ? height : 0;
  return texture != nullptr;
}

bool SdlWindow::present(const uint16_t* pixels, int width, int height, int pitch) {
  if (renderer == nullptr || pixels == nullptr || width <= 0 || height <= 0) return false;
  if (pitch < width * 2) return false;
  if (!ensureTexture(width, height)) return false;

  // Streaming upload row by row: the source pitch need not match the texture's.
  void* target = nullptr;
  int targetPitch = 0;
  if (SDL_LockTexture(texture, nullptr, &target, &targetPitch) != 0) return false;
  const unsigned char* src = reinterpret_cast<const unsigned char*>(pixels);
  unsigned char* dst = static_cast<unsigned char*>(target);
  const size_t rowBytes = static_cast<size_t>(width) * 2;
  for (int row = 0; row < height; ++row) {
    SDL_memcpy(dst + static_cast<size_t>(row) * targetPitch, src + static_cast<size_t>(row) * pitch, rowBytes);
  }
  SDL_UnlockTexture(texture);

  SDL_RenderClear(renderer);
  // In full screen the logical size maps the whole picture onto the screen.
  if (SDL_RenderCopy(renderer, texture, nullptr, nullptr) != 0) return false;
  SDL_RenderPresent(renderer);
  return true;
}

bool SdlWindow::readPixels(std::vector<uint32_t>& out, int& width, int& height) {
  if (renderer == nullptr || SDL_GetRendererOutputSize(renderer, &width, &height) != 0) return false;
  // Reading goes through the viewport, which the logical size shrinks to the picture; without
  // it the viewport is the whole output.
  int logicalWidth = 0;
  int logicalHeight = 0;
  SDL_RenderGetLogicalSize(renderer, &logicalWidth, &logicalHeight);
  SDL_RenderSetLogicalSize(renderer, 0, 0);
  out.assign(static_cast<size_t>(width) * height, 0);
  const bool read = SDL_RenderReadPixels(renderer, nullptr, SDL_PIXELFORMAT_ARGB8888, out.data(), width * 4) == 0;
  if (logicalWidth > 0) SDL_RenderSetLogicalSize(renderer, logicalWidth, logicalHeight);
  return read;
}
