#include "platform/win32/CallLog.h"

#include <cstdarg>
#include <cstdio>
#include <utility>

#include <ddraw.h>

namespace platform {

CallLog& callLog() {
  // Never destroyed: the program's static objects release DirectDraw objects after main returns.
  static auto* log = new CallLog;
  return *log;
}

void CallLog::add(const char* api, std::string args, HWND window, std::string text, std::string caption) {
  if (!enabled_) return;
  layer::CallRecord record;
  record.api = api;
  record.args = std::move(args);
  record.window = window;
  record.text = std::move(text);
  record.caption = std::move(caption);
  records_.push_back(std::move(record));
}

void CallLog::addResult(const char* api, std::string args, HRESULT result, HWND window) {
  if (!enabled_) return;
  add(api, std::move(args), window);
  records_.back().result = result;
}

std::string formatArgs(const char* format, ...) {
  char text[512];
  va_list args;
  va_start(args, format);
  std::vsnprintf(text, sizeof text, format, args);
  va_end(args);
  return text;
}

FailureInjector& failures() {
  // Never destroyed: the program's static objects release DirectDraw objects after main returns.
  static auto* injector = new FailureInjector;
  return *injector;
}

void FailureInjector::failNext(layer::Call call, HRESULT result, int count, int skip) {
  Plan& plan = plans_[static_cast<int>(call)];
  plan.result = result;
  plan.count = count > 0 ? count : 0;
  plan.skip = skip > 0 ? skip : 0;
  any_ = true;
}

HRESULT FailureInjector::check(layer::Call call) {
  if (!any_) return DD_OK;
  Plan& plan = plans_[static_cast<int>(call)];
  if (plan.count == 0) return DD_OK;
  if (plan.skip > 0) {
    --plan.skip;
    return DD_OK;
  }
  --plan.count;
  return plan.result;
}

void FailureInjector::clear() {
  for (Plan& plan : plans_) plan = Plan{};
  any_ = false;
  videoMemory_ = true;
}

}  // namespace platform
