// Shared by the tests (and benchmarks) that run on the headless platform: a fresh platform with
// a shown window, a zeroed surface description, and the recorded calls' arguments by name.
#pragma once

#include <windows.h>
#include <ddraw.h>

#include <cstring>
#include <initializer_list>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "platform/headless/HeadlessControl.h"

namespace headlesstest {

inline LRESULT CALLBACK plainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  return DefWindowProcA(window, message, wParam, lParam);
}

// Resets the platform and opens a shown pop-up window of class `name` at (x, y); nullptr when
// the class or the window could not be made.
inline HWND freshWindow(const char* name, int x, int y, int width, int height) {
  headless::reset();
  WNDCLASSA windowClass{};
  windowClass.lpfnWndProc = plainWindowProc;
  windowClass.lpszClassName = name;
  if (RegisterClassA(&windowClass) == 0) return nullptr;
  HWND window = CreateWindowExA(0, name, name, WS_POPUP, x, y, width, height, nullptr, nullptr, nullptr, nullptr);
  if (window != nullptr) ShowWindow(window, SW_SHOW);
  return window;
}

inline DDSURFACEDESC2 emptyDesc() {
  DDSURFACEDESC2 desc;
  std::memset(&desc, 0, sizeof desc);
  desc.dwSize = sizeof desc;
  return desc;
}

// "name=value" pairs of a recorded call's args.
inline std::map<std::string, std::string> argsOf(const headless::CallRecord& record) {
  std::map<std::string, std::string> out;
  std::istringstream words(record.args);
  std::string word;
  while (words >> word) {
    const size_t equals = word.find('=');
    if (equals != std::string::npos) out[word.substr(0, equals)] = word.substr(equals + 1);
  }
  return out;
}

// The named args of the n-th recorded call of `api`, joined by spaces ("" without such a call).
inline std::string argsOf(const std::string& api, std::initializer_list<const char*> names, size_t n = 0) {
  const std::vector<headless::CallRecord> records = headless::callsOf(api);
  if (n >= records.size()) return std::string();
  std::map<std::string, std::string> args = argsOf(records[n]);
  std::string out;
  for (const char* name : names) out += (out.empty() ? "" : " ") + args[name];
  return out;
}

// The picture last presented, without its size.
inline std::vector<uint16_t> presented() {
  int width = 0;
  int height = 0;
  return headless::presentedPicture(width, height);
}

}  // namespace headlesstest
