// main() of the programs on POSIX systems: the SDL window when it is built, else headless.
#include "platform/win32/Backend.h"

int main(int argc, char** argv) {
#ifdef BRUMAL_HAVE_SDL
  return platform::runProgram(argc, argv, &platform::createSdlBackend);
#else
  return platform::runProgram(argc, argv, nullptr);
#endif
}
