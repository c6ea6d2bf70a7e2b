/// @file
/// The display device and the process-wide frame-rate state.
#pragma once

#include <cstdint>

// Only pointers to these platform types are held here, so code that draws into the back buffer
// never needs the platform headers. They match the SDK's own declarations.
struct HWND__;
struct IDirectDraw7;
struct IDirectDrawSurface7;

/// The engine's output device: an 8-bit back buffer in system memory, expanded once per frame
/// into a 16-bit DirectDraw surface and flipped (full screen) or blitted into the window.
class Display {
public:
  /// How often a lock, flip or blit is repeated after DDERR_SURFACELOST, the surfaces being
  /// restored before each repetition. A surface that is still lost after that drops the frame
  /// (it cannot come back while, say, the desktop runs at another depth).
  static constexpr int kLostSurfaceRetries = 3;
  /// The largest back buffer we agree to allocate: its size must fit the signed 32-bit
  /// bufferSize that the drawing code indexes with.
  static constexpr int64_t kMaxBufferSize = 0x7FFFFFFF;

  Display();
  virtual ~Display();

  /// Reads the desktop's colour depth and creates the DirectDraw object, once; false when
  /// DirectDraw cannot be had.
  bool createDirectDraw();
  /// Starts windowed: the window made a framed window of outer size width x height, centred on the
  /// screen, a primary surface clipped to it and an off-screen back surface, then the back buffer.
  /// The desktop must run at 16 bits per pixel; otherwise a message box says so and the result is
  /// false, as for any failure.
  bool initWindowed(HWND__* window, int32_t width, int32_t height);
  /// Starts full screen: exclusive mode at width x height and 16 bits per pixel, a flipping
  /// chain of two surfaces, then the back buffer. False when any step fails.
  bool initFullScreen(HWND__* window, int32_t width, int32_t height);
  /// Releases both surfaces (the DirectDraw object stays).
  void releaseSurfaces();
  /// Asks both surfaces to come back after they were lost.
  void restoreSurfaces();
  /// Fills the screen's surface with black.
  void clearScreen();
  /// Status text straight onto the screen through GDI; colour is a GDI COLORREF. The text is cut
  /// into lines of maxBytesPerLine bytes (1 to 254; a double-byte character may add one byte).
  void drawText(int32_t x, int32_t y, uint32_t colour, int32_t maxBytesPerLine, const char* format, ...);
  /// Shows the frame: counts it for framesPerSecond, expands the back buffer into the back
  /// surface, then flips (full screen) or blits it into the window's client area (windowed). A
  /// surface that stays lost drops the frame.
  void present();

  IDirectDraw7* directDraw = nullptr;             ///< the DirectDraw object, owned
  IDirectDrawSurface7* primarySurface = nullptr;  ///< the screen (windowed) or the flipping chain's front
  IDirectDrawSurface7* backSurface = nullptr;     ///< the 16-bit surface present expands into
  HWND__* window = nullptr;                       ///< the window shown in, not owned
  int32_t fullScreen = 0;                         ///< 1 after initFullScreen, 0 after initWindowed
  int16_t desktopBitsPerPixel = 0;                ///< the desktop's colour depth when DirectDraw was created
  int16_t bitsPerPixel = 0;                       ///< the surfaces' depth: 16
  int32_t width = 0;                              ///< pixels; also the back buffer's row stride in bytes
  int32_t height = 0;                             ///< rows
  int32_t bufferSize = 0;                         ///< width x height: the back buffer's bytes in use
  uint8_t* buffer = nullptr;                      ///< height rows of width colour codes
  int32_t framesPerSecond = 0;                    ///< frames presented in the last complete second
  /// Whether present expands with expandCodesFast even when expandTable was changed.
  bool fastExpand = true;
  /// Whether the full-screen flipping chain is asked for in video memory (else system memory).
  bool videoMemoryFlip = true;
  /// The word shown for each code when fastExpand is off; starts as code c to c * 0x101.
  uint16_t expandTable[256];
  /// Bytes actually allocated for buffer; a later initialisation keeps the buffer only while
  /// it is at least this large.
  int32_t bufferCapacity = 0;

private:
  /// The steps both initialisations begin with: the size checked and stored, the depth asked for,
  /// the window, and the DirectDraw object. False when any of them fails.
  bool beginStartUp(HWND__* window, int32_t width, int32_t height);
  /// The steps both end with: the buffer, the mode flag and the buffer size. False after the
  /// "Out of memory!" box.
  bool finishStartUp(int32_t fullScreenFlag);
  /// Sets up buffer for width x height codes; false after the "Out of memory!" box.
  bool prepareBuffer();
  /// Counts this frame into the process-wide frame-rate state.
  void countFrame();
  /// True while every entry of expandTable is still the code in both bytes.
  bool tableIsDefault() const;
};

/// The frame-rate state is one set for the whole process, shared by every Display.
struct FrameRateState {
  bool frequencyRead = false;    ///< counterFrequency is read on the first present only
  int64_t counterFrequency = 0;  ///< counter ticks a second
  int64_t lastSecondStart = 0;   ///< counter value at which the current interval began
  int32_t frameCount = 0;        ///< frames counted in the current interval
};
extern FrameRateState frameRateState;  ///< the one frame-rate state

/// The frequency of the high-resolution counter.
int64_t queryTimerFrequency();
