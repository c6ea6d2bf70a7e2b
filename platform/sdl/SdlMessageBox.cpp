#include "platform/sdl/SdlMessageBox.h"

#include <cstdio>
#include <string>

#include "platform/gbk/GbkCodec.h"

namespace {

// MessageBoxA style bits and results (winuser.h values).
enum : unsigned int {
  kMbTypeMask = 0x0F,
  kMbOk = 0,
  kMbOkCancel = 1,
  kMbAbortRetryIgnore = 2,
  kMbYesNoCancel = 3,
  kMbYesNo = 4,
  kMbRetryCancel = 5,
  kMbIconMask = 0xF0,
  kMbIconError = 0x10,
  kMbIconQuestion = 0x20,
  kMbIconWarning = 0x30,
  kMbIconInformation = 0x40,
};
enum : int { kIdOk = 1, kIdCancel = 2, kIdAbort = 3, kIdRetry = 4, kIdIgnore = 5, kIdYes = 6, kIdNo = 7 };

const char* buttonText(int id) {
  switch (id) {
    case kIdOk:
      return "OK";
    case kIdCancel:
      return "Cancel";
    case kIdAbort:
      return "Abort";
    case kIdRetry:
      return "Retry";
    case kIdIgnore:
      return "Ignore";
    case kIdYes:
      return "Yes";
    case kIdNo:
      return "No";
    default:
      return "?";
  }
}

}  // namespace

SdlMessageBox::Layout SdlMessageBox::layoutOf(unsigned int style) {
  Layout layout = {{kIdOk, 0, 0}, 1, 0, kIdOk};
  switch (style & kMbTypeMask) {
    case kMbOkCancel:
      layout = {{kIdOk, kIdCancel, 0}, 2, 0, kIdCancel};
      break;
    case kMbAbortRetryIgnore:
      layout = {{kIdAbort, kIdRetry, kIdIgnore}, 3, 0, 0};
      break;
    case kMbYesNoCancel:
      layout = {{kIdYes, kIdNo, kIdCancel}, 3, 0, kIdCancel};
      break;
    case kMbYesNo:
      layout = {{kIdYes, kIdNo, 0}, 2, 0, 0};
      break;
    case kMbRetryCancel:
      layout = {{kIdRetry, kIdCancel, 0}, 2, 0, kIdCancel};
      break;
    default:
      break;  // MB_OK and unknown types: one OK button
  }
  switch (style & kMbIconMask) {
    case kMbIconError:
      layout.flags = SDL_MESSAGEBOX_ERROR;
      break;
    case kMbIconWarning:
      layout.flags = SDL_MESSAGEBOX_WARNING;
      break;
    case kMbIconQuestion:
    case kMbIconInformation:
      layout.flags = SDL_MESSAGEBOX_INFORMATION;
      break;
    default:
      break;
  }
  return layout;
}

int SdlMessageBox::show(const GbkCodec& codec, SDL_Window* owner, const char* text, const char* caption,
                        unsigned int style) {
  const std::string textUtf8 = codec.toUtf8(text != nullptr ? text : "");
  // A null caption is "Error" on Windows.
  const std::string captionUtf8 = codec.toUtf8(caption != nullptr ? caption : "Error");
  std::fprintf(stderr, "[%s] %s\n", captionUtf8.c_str(), textUtf8.c_str());
  std::fflush(stderr);

  const Layout layout = layoutOf(style);
  SDL_MessageBoxButtonData buttons[3];
  for (int i = 0; i < layout.buttonCount; ++i) {
    buttons[i].flags = 0;
    if (i == 0) buttons[i].flags |= SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT;
    if (layout.buttonIds[i] == layout.escapeButton) {
      buttons[i].flags |= SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT;
    }
    buttons[i].buttonid = layout.buttonIds[i];
    buttons[i].text = buttonText(layout.buttonIds[i]);
  }
  SDL_MessageBoxData data;
  data.flags = layout.flags | SDL_MESSAGEBOX_BUTTONS_LEFT_TO_RIGHT;
  data.window = owner;
  data.title = captionUtf8.c_str();
  data.message = textUtf8.c_str();
  data.numbuttons = layout.buttonCount;
  data.buttons = buttons;
  data.colorScheme = nullptr;

  // Without a display SDL fails at once here; there is nothing to wait for.
  int pressed = 0;
  if (SDL_ShowMessageBox(&data, &pressed) != 0) return 0;
  // Closing the box without a button: the Escape button if the style has one, else the first.
  if (pressed <= 0) pressed = layout.escapeButton != 0 ? layout.escapeButton : layout.buttonIds[0];
  return pressed;
}
