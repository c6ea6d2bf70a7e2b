/// @file
/// The display settings of setting.ini.
#pragma once

#include <cstdint>
#include <string>

class Display;
struct HWND__;

/// How a program's display starts: full screen or windowed, and the back buffer's size. The
/// values start as the program's defaults; a settings file's section [Window] (keys FullScreen,
/// Width and Height) can change them.
class WindowSettings {
public:
  /// @{

  /// Sides outside these bounds are not taken: a side of 8192 pixels keeps width x height far
  /// inside the back buffer's 32-bit size.
  static constexpr int32_t kMinimumSide = 1;
  static constexpr int32_t kMaximumSide = 8192;
  /// @}

  WindowSettings() = default;
  /// The program's defaults: full screen (1) or windowed (0), and the back buffer's size.
  WindowSettings(int32_t fullScreenDefault, int32_t widthDefault, int32_t heightDefault)
      : fullScreen(fullScreenDefault), width(widthDefault), height(heightDefault) {}
  virtual ~WindowSettings() = default;

  /// Reads the keys of section [Window] from a file on disk: a missing key, or a side out of
  /// bounds, keeps the value held. False, everything kept, when the file cannot be read.
  bool read(const std::string& fileName);
  /// Initialises the display on `window`, full screen or windowed at width x height; the display's
  /// own result (false after it has said why, if it says anything).
  bool startDisplay(Display& display, HWND__* window) const;

  int32_t fullScreen = 0;  ///< non-zero for full screen, 0 for windowed
  int32_t width = 640;     ///< the back buffer's width in pixels
  int32_t height = 480;    ///< the back buffer's height in pixels
};
