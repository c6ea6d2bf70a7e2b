/// @file
/// The interface between the Win32/DirectDraw layer and the thing that really shows pictures and
/// delivers input: the headless back end in memory (platform/headless), an SDL2 window
/// (platform/sdl) or a canvas in a web page (platform/web). The layer keeps all Win32 state
/// itself (windows, their placement and styles, the message queue, timers, the clock, surfaces and
/// the screen's pixels); a back end only mirrors windows, shows the pictures it is given and
/// reports input. Everything a back end needs to know comes through this interface: as arguments,
/// or from the BackendHost the layer hands it when it is installed. A back end never calls the
/// Win32 functions of the layer it serves.
#pragma once

#include <cstdint>
#include <memory>

#include "win32/Types.h"

/// The platform layer's back ends and the program entry that picks one.
namespace platform {

/// Input from the back end, turned into window messages by the layer:
/// @verbatim
///   Activate    -> WM_ACTIVATEAPP sent to the window, wParam = active (1 or 0)
///   KeyDown     -> WM_KEYDOWN posted, wParam = key; TranslateMessage then posts WM_CHAR with
///                  `character` when it is non-zero. A key reported down again while held, as
///                  auto-repeat does, has bit 30 of lParam set, as on Windows.
///   KeyUp       -> WM_KEYUP posted
///   Char        -> WM_CHAR posted, wParam = character (a character without a key, such as text
///                  typed through an input method; GBK bytes for Chinese, one event per byte)
///   Close       -> WM_CLOSE sent; DefWindowProcA destroys the window, which sends WM_DESTROY. With
///                  no window left to close, the program's loop is told to quit (WM_QUIT).
///   MouseMove   -> WM_MOUSEMOVE posted; moves following each other are taken as the last one
///   MouseDown   -> WM_LBUTTONDOWN, WM_RBUTTONDOWN or WM_MBUTTONDOWN posted
///   MouseUp     -> WM_LBUTTONUP, WM_RBUTTONUP or WM_MBUTTONUP posted
///                  The mouse messages have lParam = MAKELPARAM(x, y) and wParam = the MK_ flags of
///                  the buttons, Shift and Ctrl held once the event is taken.
/// @endverbatim
struct BackendEvent {
  /// What happened; None is no event.
  enum class Type { None, Activate, KeyDown, KeyUp, Char, Close, MouseMove, MouseDown, MouseUp };
  /// The mouse's buttons.
  enum class Button { Left, Right, Middle };
  Type type = Type::None;  ///< what happened
  HWND window = nullptr;   ///< null means the layer's main (first) window
  bool active = false;     ///< Activate
  uint32_t key = 0;        ///< KeyDown, KeyUp: the Windows virtual-key code (VK_ESCAPE, '1', 'A')
  uint32_t character = 0;  ///< KeyDown, Char: the character typed, 0 for none
  /// @{

  /// Mouse events: the position in the picture the window shows, that is in its client area
  /// (windowed) or on the screen at the display mode (full screen), whatever size the back end
  /// shows that picture at; 0 to 32767.
  int x = 0;
  int y = 0;
  /// @}
  Button button = Button::Left;  ///< MouseDown, MouseUp
};

/// A 16-bit RGB565 picture: `height` rows of `width` pixels, `pitch` bytes from one row to the
/// next. Only valid during the call it is passed to.
struct Picture {
  const uint16_t* pixels = nullptr;  ///< the top row's first pixel
  int width = 0;                     ///< pixels per row
  int height = 0;                    ///< rows
  int pitch = 0;                     ///< bytes from one row to the next
};

/// What the layer offers the back end it serves. The clock is the one behind
/// QueryPerformanceCounter and the timers: kClockFrequency ticks a second, either real time or a
/// virtual clock that moves only when told to (tests, `--fixed-fps`).
class BackendHost {
public:
  static constexpr int64_t kClockFrequency = 10000000;  ///< clock ticks a second

  /// Frames the program has presented so far (blits from another surface onto the primary
  /// surface, and flips).
  virtual uint64_t framesPresented() const = 0;
  /// The clock's reading in ticks.
  virtual int64_t clockTicks() const = 0;
  /// Whether the clock is virtual (it moves only when told to).
  virtual bool clockIsVirtual() const = 0;
  /// Moves a virtual clock forward to `ticks` (never back); a real clock ignores it.
  virtual void advanceClockTo(int64_t ticks) = 0;
  /// The desktop's depth or size changed under the program: surfaces made for the old one are
  /// lost, as when another program switches the display mode.
  virtual void desktopChanged() = 0;
  /// The picture last given to present, for a back end that did not show it at once; false when
  /// there is none. Valid until the program shows the next one.
  virtual bool shownPicture(Picture& picture) = 0;

protected:
  ~BackendHost() = default;
};

/// What shows the layer's pictures and delivers its input: a window system, a web page or memory.
/// A back end mirrors the layer's windows, shows the pictures it is given and reports input.
class Backend {
public:
  virtual ~Backend() = default;

  /// Called by installBackend before the back end is used.
  void attach(BackendHost& host) { host_ = &host; }

  /// The back end's name, as the program entry reports it ("headless", "sdl" ...).
  virtual const char* name() const = 0;

  /// @{

  /// The desktop as the program sees it: colour depth in bits per pixel and size in pixels,
  /// before any display-mode change.
  virtual int desktopBitsPerPixel() = 0;
  virtual void desktopSize(int& width, int& height) = 0;
  /// @}

  /// Pixels between a window's outer rectangle and its client area, for the given window style.
  /// The default gives a Windows-like frame (a caption and a thin border on every window that is
  /// not a bare popup); a back end whose own decorations sit outside the picture returns zeros.
  virtual RECT frameInsets(DWORD style);

  /// @{

  /// Mirror the layer's windows. `client` is the client area in screen coordinates, `style` the
  /// window's Win32 style (WS_POPUP ...) as it is now. createWindow returns false when the back end
  /// cannot make the window (the layer then fails CreateWindowExA).
  virtual bool createWindow(HWND window, const char* title, const RECT& client, DWORD style) = 0;
  virtual void destroyWindow(HWND window) = 0;
  virtual void showWindow(HWND window, bool visible, DWORD style) = 0;
  virtual void placeWindow(HWND window, const RECT& client, DWORD style) = 0;
  /// @}

  /// @{

  /// Exclusive full screen at a display mode (the window's picture then covers the screen), and
  /// back to the desktop. setFullScreen returns false when the mode cannot be had.
  virtual bool setFullScreen(HWND window, int width, int height, int bitsPerPixel) = 0;
  virtual void leaveFullScreen(HWND window) = 0;
  /// @}

  /// Shows a new picture of the window's client area (windowed) or of the whole screen at the
  /// display mode's size (full screen, after setFullScreen). `frame` is true when the picture
  /// is a rendered frame (a blit from another surface onto the primary surface, or a flip) and
  /// false for colour fills and GDI text drawn straight onto the screen.
  virtual void present(HWND window, const Picture& picture, bool frame) = 0;

  /// The program waits for the display's refresh before it shows its next picture of `window`.
  /// A back end that can, makes the window's pictures wait for a refresh from now on and returns
  /// true; one that cannot (the default) returns false, and the program does not wait.
  virtual bool syncToRefresh(HWND window);

  /// @{

  /// Take the next input event. pollEvent never blocks. waitEvent blocks until an event arrives or
  /// `timeoutMs` milliseconds have passed (-1: no limit) and returns false on a timeout.
  virtual bool pollEvent(BackendEvent& event) = 0;
  virtual bool waitEvent(BackendEvent& event, int timeoutMs) = 0;
  /// @}

  /// A modal message box; returns the button pressed (IDOK ...). Text and caption are GBK bytes.
  virtual int messageBox(HWND owner, const char* text, const char* caption, UINT style) = 0;

protected:
  /// The layer this back end serves, from attach on.
  BackendHost& host() const { return *host_; }

private:
  BackendHost* host_ = nullptr;
};

/// Makes `backend` the one the layer uses from now on and attaches it to the layer (windows
/// already made are not carried over, so this is done before the program starts). Without this
/// call the layer starts the headless back end the first time it needs one.
void installBackend(std::unique_ptr<Backend> backend);
/// The back end in use, the headless one started if none was installed.
Backend& backend();

/// The SDL2 back end, defined in platform/sdl when it is built; null when no display can be
/// opened.
std::unique_ptr<Backend> createSdlBackend();

/// Makes a window back end, or null when it cannot (createSdlBackend).
using BackendFactory = std::unique_ptr<Backend> (*)();
/// The program entry behind main() on POSIX systems and in the browser: parses the platform's own
/// options, picks the back end (the window back end that `windowFactory` makes; the headless one
/// with `--headless`, without a factory or when it makes none), runs WinMain and returns its
/// result. See platform/win32/ProgramEntry.cpp for the options.
int runProgram(int argc, char** argv, BackendFactory windowFactory);

}  // namespace platform
