/// @file
/// How a game's window, display and frames start.
#pragma once

#include <cstdint>

/// How a game's frames follow each other.
enum class FramePacing {
  /// As fast as they can be drawn, as the demo renders.
  Unlimited,
  /// At most GameOptions::framesPerSecond a second.
  Capped,
  /// One for each refresh of the display, where the platform can wait for it: DirectDraw on
  /// Windows, the SDL window back end (vsync). Elsewhere (headless) capped at framesPerSecond.
  Refresh,
};

/// What a GameWindow starts with. The settings file, when there is one, has the last word on the
/// display: its section [Window] with FullScreen (0 or 1), Width and Height (1 to 8192).
struct GameOptions {
  const char* title = "Brumal";              ///< the window's title
  const char* windowClass = "BrumalGame";    ///< the name its window class is registered under
  int32_t width = 640;                       ///< the back buffer's width in pixels
  int32_t height = 480;                      ///< the back buffer's height in pixels
  bool fullScreen = false;                   ///< full screen at width x height, or windowed
  const char* settingsFile = "setting.ini";  ///< the settings file read at start; null for none
  FramePacing pacing = FramePacing::Capped;  ///< how frames follow each other
  int32_t framesPerSecond = 60;              ///< the cap (Capped, and Refresh where it cannot wait)
  bool escapeQuits = true;                   ///< Escape ends the run, as in the demo
  bool clearFrame = true;                    ///< the back buffer is filled with code 0 before each draw
};
