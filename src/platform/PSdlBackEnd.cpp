#include "platform/PSdlBackEnd.h"

#include <SDL.h>

#include <algorithm>

#include "platform/PEventTranslator.h"
#include "platform/PFailureInjection.h"

PSdlBackEnd::PSdlBackEnd() = default;

PSdlBackEnd::~PSdlBackEnd() {
  CloseWindow();
  if (videoStarted_) SDL_QuitSubSystem(SDL_INIT_VIDEO);
}

bool PSdlBackEnd::EnsureVideo() {
  if (videoStarted_) return true;
  if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) return false;
  videoStarted_ = true;
  return true;
}

void PSdlBackEnd::DesktopSize(int32_t& width, int32_t& height) {
  width = 640;
  height = 480;
  if (!EnsureVideo()) return;
  SDL_DisplayMode mode;
  if (SDL_GetDesktopDisplayMode(0, &mode) == 0 && mode.w > 0 && mode.h > 0) {
    width = mode.w;
    height = mode.h;
  }
}

bool PSdlBackEnd::OpenWindow(const std::string& title, int32_t screenWidth, int32_t screenHeight, bool windowed) {
  if (window_ != nullptr) return true;
  if (PFailureInjection::Check("OpenWindow") != PResult::kOk) return false;
  if (!EnsureVideo()) return false;
  windowed_ = windowed;
  int32_t w = screenWidth;
  int32_t h = screenHeight;
  Uint32 flags = SDL_WINDOW_SHOWN;
  if (windowed) {
    flags |= SDL_WINDOW_RESIZABLE;
    // An ordinary window no larger than the desktop, keeping the screen's shape.
    int32_t dw;
    int32_t dh;
    DesktopSize(dw, dh);
    if (w > dw || h > dh) {
      const double scale = std::min(static_cast<double>(dw) / w, static_cast<double>(dh) / h) * 0.9;
      w = std::max(1, static_cast<int32_t>(w * scale));
      h = std::max(1, static_cast<int32_t>(h * scale));
    }
  } else {
    // Made at the desktop's size from the start, so the window covers the desktop even where
    // nothing honours the full-screen request (an X server without a window manager).
    flags |= SDL_WINDOW_FULLSCREEN_DESKTOP;
    DesktopSize(w, h);
  }
  window_ = SDL_CreateWindow(title.c_str(), SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, w, h, flags);
  if (window_ == nullptr) return false;
  renderer_ = SDL_CreateRenderer(window_, -1, 0);
  if (renderer_ == nullptr) renderer_ = SDL_CreateRenderer(window_, -1, SDL_RENDERER_SOFTWARE);
  if (renderer_ == nullptr) {
    CloseWindow();
    return false;
  }
  // The program types its own characters from the key events.
  SDL_StopTextInput();
  SetScreenSize(screenWidth, screenHeight);
  return true;
}

void PSdlBackEnd::CloseWindow() {
  if (texture_ != nullptr) SDL_DestroyTexture(texture_);
  if (renderer_ != nullptr) SDL_DestroyRenderer(renderer_);
  if (window_ != nullptr) SDL_DestroyWindow(window_);
  texture_ = nullptr;
  renderer_ = nullptr;
  window_ = nullptr;
  textureWidth_ = textureHeight_ = 0;
}

void PSdlBackEnd::SetScreenSize(int32_t width, int32_t height) {
  if (renderer_ == nullptr || width < 1 || height < 1) return;
  if (texture_ != nullptr && width == textureWidth_ && height == textureHeight_) return;
  if (texture_ != nullptr) SDL_DestroyTexture(texture_);
  SDL_SetHint(SDL_HINT_RENDER_SCALE_QUALITY, "nearest");
  texture_ = SDL_CreateTexture(renderer_, SDL_PIXELFORMAT_ARGB8888, SDL_TEXTUREACCESS_STREAMING, width, height);
  textureWidth_ = texture_ ? width : 0;
  textureHeight_ = texture_ ? height : 0;
  if (windowed_ && window_ != nullptr) {
    int32_t dw;
    int32_t dh;
    DesktopSize(dw, dh);
    if (width <= dw && height <= dh) SDL_SetWindowSize(window_, width, height);
  }
}

void PSdlBackEnd::WindowSize(int32_t& width, int32_t& height) {
  width = textureWidth_;
  height = textureHeight_;
  if (window_ != nullptr) SDL_GetWindowSize(window_, &width, &height);
}

void PSdlBackEnd::Present(const uint32_t* pixels, int32_t width, int32_t height) {
  if (renderer_ == nullptr) return;
  if (texture_ == nullptr || width != textureWidth_ || height != textureHeight_) SetScreenSize(width, height);
  if (texture_ == nullptr) return;
  SDL_UpdateTexture(texture_, nullptr, pixels, width * 4);
  int outW = 0;
  int outH = 0;
  SDL_GetRendererOutputSize(renderer_, &outW, &outH);
  PLetterbox box;
  box.Set(width, height, outW, outH);
  const PRect& t = box.Target();
  SDL_Rect dest{t.left, t.top, t.Width(), t.Height()};
  SDL_SetRenderDrawColor(renderer_, 0, 0, 0, 255);
  SDL_RenderClear(renderer_);
  SDL_RenderCopy(renderer_, texture_, nullptr, &dest);
  SDL_RenderPresent(renderer_);
}

void PSdlBackEnd::UpdateLetterbox(PEventTranslator& translator) {
  int32_t w;
  int32_t h;
  WindowSize(w, h);
  PLetterbox box;
  box.Set(translator.Letterbox().ScreenWidth(), translator.Letterbox().ScreenHeight(), w, h);
  translator.SetLetterbox(box);
}

bool PSdlBackEnd::PumpEvents(PEventTranslator& translator, PMessageQueue& queue, uint32_t waitMs) {
  if (!videoStarted_) return false;
  SDL_Event event;
  bool got = SDL_PollEvent(&event) != 0;
  if (!got && waitMs > 0) got = SDL_WaitEventTimeout(&event, static_cast<int>(std::min<uint32_t>(waitMs, 0x7FFFFFFF))) != 0;
  while (got) {
    if (event.type == SDL_WINDOWEVENT && event.window.event == SDL_WINDOWEVENT_SIZE_CHANGED) UpdateLetterbox(translator);
    translator.Translate(event, queue);
    got = SDL_PollEvent(&event) != 0;
  }
  return true;
}

void PSdlBackEnd::WarpCursor(int32_t windowX, int32_t windowY) {
  if (window_ != nullptr) SDL_WarpMouseInWindow(window_, windowX, windowY);
}

void PSdlBackEnd::SetCursorVisible(bool visible) {
  if (videoStarted_) SDL_ShowCursor(visible ? SDL_ENABLE : SDL_DISABLE);
}

void PSdlBackEnd::Minimize() {
  if (window_ != nullptr) SDL_MinimizeWindow(window_);
}

void PSdlBackEnd::ShowMessageBox(const std::string& title, const std::string& text) {
  SDL_ShowSimpleMessageBox(SDL_MESSAGEBOX_ERROR, title.c_str(), text.c_str(), window_);
}
