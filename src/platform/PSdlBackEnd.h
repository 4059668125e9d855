#pragma once
#include "platform/PBackEnd.h"

struct SDL_Window;
struct SDL_Renderer;
struct SDL_Texture;

// The back-end on SDL: one window, a renderer and one streaming texture of the screen's size.
// It also runs headless with SDL_VIDEODRIVER=dummy.
class PSdlBackEnd : public PBackEnd {
 public:
  PSdlBackEnd();
  ~PSdlBackEnd() override;

  void DesktopSize(int32_t& width, int32_t& height) override;
  bool OpenWindow(const std::string& title, int32_t screenWidth, int32_t screenHeight, bool windowed) override;
  void CloseWindow() override;
  bool HasWindow() const override { return window_ != nullptr; }
  void SetScreenSize(int32_t width, int32_t height) override;
  void WindowSize(int32_t& width, int32_t& height) override;
  void Present(const uint32_t* pixels, int32_t width, int32_t height) override;
  bool PumpEvents(PEventTranslator& translator, PMessageQueue& queue, uint32_t waitMs) override;
  void WarpCursor(int32_t windowX, int32_t windowY) override;
  void SetCursorVisible(bool visible) override;
  void Minimize() override;
  void ShowMessageBox(const std::string& title, const std::string& text) override;

 private:
  bool EnsureVideo();
  void UpdateLetterbox(PEventTranslator& translator);

  bool videoStarted_ = false;
  bool windowed_ = false;
  SDL_Window* window_ = nullptr;
  SDL_Renderer* renderer_ = nullptr;
  SDL_Texture* texture_ = nullptr;
  int32_t textureWidth_ = 0;
  int32_t textureHeight_ = 0;
};
