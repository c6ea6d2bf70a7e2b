// Loads arbitrary bytes as a settings file and looks up sections and keys named in it.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

#include "archive/ByteBuffer.h"
#include "archive/FileSource.h"
#include "demo/IniFile.h"

namespace {

class BytesSource : public FileSource {
public:
  BytesSource(const uint8_t* data, size_t size) : data(data), size(size) {}
  bool open(const std::string&) override { return true; }
  bool close() override { return true; }
  bool readFile(const std::string&, ByteBuffer&) override { return false; }
  bool readFile(const std::string&, uint8_t*& block, int32_t& blockSize) override {
    block = new uint8_t[size];
    if (size > 0) {
      std::memcpy(block, data, size);
    }
    blockSize = static_cast<int32_t>(size);
    return true;
  }
  const uint8_t* data;
  size_t size;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > (1u << 20)) {
    return 0;
  }
  BytesSource source(data, size);
  IniFile ini;
  if (!ini.load("setting.ini", &source)) {
    return 0;
  }
  // Names are taken from the input itself so the fuzzer can reach real matches.
  std::string text(reinterpret_cast<const char*>(data), size);
  std::string section = text.substr(0, text.find('\n') < 16 ? text.find('\n') : 16);
  std::string key = text.size() > 2 ? text.substr(1, 4) : std::string();
  ini.selectSection("Window");
  ini.getInt("Width", 640);
  ini.selectSection(section);
  ini.getInt(key, 1);
  ini.getInt("", 2);
  ini.selectSection("Missing");
  ini.getInt("FullScreen", 0);
  return 0;
}
