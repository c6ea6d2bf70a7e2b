// main() of the programs in the browser: WinMain over the web back end, with the platform's
// options taken from the page's query (index.html turns ?frames=150 into --frames 150).
#include <emscripten.h>

#include <cstdlib>
#include <memory>

#include "platform/web/WebBackend.h"

namespace {

WebBackend* theBackend = nullptr;

std::unique_ptr<platform::Backend> makeBackend() {
  auto backend = std::make_unique<WebBackend>();
  theBackend = backend.get();
  return backend;
}

}  // namespace

int main(int argc, char** argv) {
  const int result = platform::runProgram(argc, argv, &makeBackend);
  if (theBackend) theBackend->showLastPicture();
  // Once the program has slept, the browser no longer waits for main() to return: its result
  // would be lost, so the process ends by exit(). From a plain sleep rather than straight after a
  // message box, so that the end does not surface in the page as an uncaught error.
  emscripten_sleep(0);
  std::exit(result);
}
