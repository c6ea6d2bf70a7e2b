// Loads arbitrary bytes as a settings file and looks up sections and keys named in it.
#include <cstddef>
#include <cstdint>
#include <string>

#include "demo/IniFile.h"
#include "tests/support/MemorySource.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > (1u << 20)) return 0;
  MemorySource source;
  source.files["setting.ini"].assign(data, data + size);
  IniFile ini;
  if (!ini.load("setting.ini", &source)) return 0;
  // Names are taken from the input itself so the fuzzer can reach real matches.
  std::string text(reinterpret_cast<const char*>(data), size);
  ini.selectSection("Window");
  ini.getInt("Width", 640);
  ini.selectSection(text.substr(0, text.find('\n') < 16 ? text.find('\n') : 16));
  ini.getInt(text.size() > 2 ? text.substr(1, 4) : std::string(), 1);
  ini.getInt("", 2);
  ini.selectSection("Missing");
  ini.getInt("FullScreen", 0);
  return 0;
}
