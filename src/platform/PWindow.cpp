#include "platform/PWindow.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "platform/PClock.h"
#include "platform/PSdlBackEnd.h"
#include "platform/PSystem.h"
#include "platform/PText.h"

namespace {
int gWindowedRequest = -1;  // -1: ask the environment
}

PWindow::PWindow(std::unique_ptr<PBackEnd> backEnd) : backEnd_(std::move(backEnd)) {
  if (!backEnd_) backEnd_ = std::make_unique<PSdlBackEnd>();
}

PWindow::~PWindow() { Destroy(); }

void PWindow::SetWindowedRequest(bool windowed) { gWindowedRequest = windowed ? 1 : 0; }

bool PWindow::WindowedRequested() {
  if (gWindowedRequest >= 0) return gWindowedRequest == 1;
  const char* env = std::getenv("TARVANE_WINDOWED");
  return env != nullptr && env[0] != '\0' && std::strcmp(env, "0") != 0;
}

bool PWindow::Create(const std::string& title, int32_t screenWidth, int32_t screenHeight) {
  if (backEnd_->HasWindow()) return true;
  title_ = PText::Cp1252ToUtf8(title);
  if (!backEnd_->OpenWindow(title_, screenWidth, screenHeight, WindowedRequested())) return false;
  SetScreenSize(screenWidth, screenHeight);
  PBackEnd* backEnd = backEnd_.get();
  std::string boxTitle = title_;
  PSystem::SetFatalMessageHook([backEnd, boxTitle](const char* text) { backEnd->ShowMessageBox(boxTitle, text); });
  PSystem::SetAlertHook([backEnd, boxTitle](const char* text) { backEnd->ShowMessageBox(boxTitle, text); });
  return true;
}

void PWindow::Destroy() {
  if (!backEnd_->HasWindow()) return;
  PSystem::SetFatalMessageHook(nullptr);
  PSystem::SetAlertHook(nullptr);
  backEnd_->CloseWindow();
  queue_.Clear();
}

bool PWindow::Exists() const { return backEnd_->HasWindow(); }

void PWindow::DesktopSize(int32_t& width, int32_t& height) { backEnd_->DesktopSize(width, height); }

void PWindow::UpdateLetterbox() {
  int32_t w;
  int32_t h;
  backEnd_->WindowSize(w, h);
  PLetterbox box;
  box.Set(ScreenWidth(), ScreenHeight(), w, h);
  translator_.SetLetterbox(box);
}

void PWindow::SetScreenSize(int32_t width, int32_t height) {
  PLetterbox box;
  box.Set(width, height, width, height);
  translator_.SetLetterbox(box);
  backEnd_->SetScreenSize(width, height);
  UpdateLetterbox();
  translator_.SetCursor(std::clamp(translator_.CursorX(), 0, ScreenWidth() - 1),
                        std::clamp(translator_.CursorY(), 0, ScreenHeight() - 1));
}

void PWindow::Present(const uint32_t* pixels, int32_t width, int32_t height) {
  backEnd_->Present(pixels, width, height);
}

void PWindow::PresentArea(const uint32_t* pixels, int32_t width, int32_t height, const PRect& area) {
  backEnd_->PresentArea(pixels, width, height, area);
}

void PWindow::Minimize() { backEnd_->Minimize(); }

void PWindow::Pump(uint32_t waitMs) { backEnd_->PumpEvents(translator_, queue_, waitMs); }

bool PWindow::GetMessage(PMessage& out, uint32_t timeoutMs) {
  const uint64_t start = PClock::TickCount64();
  for (;;) {
    if (queue_.Take(out)) return true;
    uint32_t wait = timeoutMs;
    if (timeoutMs != kWaitForever) {
      const uint64_t passed = PClock::TickCount64() - start;
      if (passed >= timeoutMs) wait = 0;
      else wait = static_cast<uint32_t>(timeoutMs - passed);
    }
    if (timeoutMs != kWaitForever && PClock::IsFake()) wait = 0;
    const bool canWait = backEnd_->PumpEvents(translator_, queue_, wait == kWaitForever ? 100 : wait);
    if (queue_.Take(out)) return true;
    if (!canWait) return false;
    // A fake clock is the test's to move: a timed wait ends after one look.
    if (timeoutMs != kWaitForever && (PClock::IsFake() || PClock::TickCount64() - start >= timeoutMs)) return false;
  }
}

bool PWindow::PeekMessage(PMessage& out) {
  Pump(0);
  return queue_.Take(out);
}

bool PWindow::PeekKeyUp(PMessage& out) {
  Pump(0);
  return queue_.TakeKeyUp(out);
}

bool PWindow::LookAhead(PMessageType type, PMessage& out) {
  Pump(0);
  return queue_.LookAhead(type, out);
}

bool PWindow::IsKeyDownNow(uint8_t key) {
  Pump(0);
  return translator_.LiveKeys().IsDown(key);
}

void PWindow::GetCursorPos(int32_t& x, int32_t& y) {
  x = translator_.CursorX();
  y = translator_.CursorY();
}

void PWindow::SetCursorPos(int32_t x, int32_t y) {
  x = std::clamp(x, 0, ScreenWidth() - 1);
  y = std::clamp(y, 0, ScreenHeight() - 1);
  int32_t wx;
  int32_t wy;
  translator_.Letterbox().ToWindow(x, y, wx, wy);
  translator_.SetCursor(x, y);
  translator_.NoteWarp(wx, wy);
  backEnd_->WarpCursor(wx, wy);
}

int32_t PWindow::ShowCursor(bool show) {
  const bool wasVisible = cursorCount_ >= 0;
  cursorCount_ += show ? 1 : -1;
  const bool visible = cursorCount_ >= 0;
  if (visible != wasVisible) backEnd_->SetCursorVisible(visible);
  return cursorCount_;
}
