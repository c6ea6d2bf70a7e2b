// Gems: walk the hero around with the arrow keys (or click where to go) and pick up the gems that
// keep appearing. Escape quits; 1 to 4 hide and show the floor, gems, hero and effects.
#include <brumal/app/GameOptions.h>
#include <brumal/app/GameWindow.h>

#include <cstdio>

#include "GemGame.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  GameOptions options;
  options.title = "Gems";
  options.pacing = FramePacing::Capped;  // the default: at most framesPerSecond frames a second
  options.framesPerSecond = 60;
  GemGame game;
  GameWindow window(options);
  const int exitCode = window.run(instance, game);
  std::printf("gems: score %d\n", game.score());  // for scripts; a console shows it
  return exitCode;
}
