#include "game/ui/ThinkingWindow.h"

#include "framework/ui/GLabel.h"
#include "framework/ui/GViewHost.h"

namespace {

uint16_t ThinkingPixel(int32_t r, int32_t g, int32_t b) {
  const GViewHost* host = GViewHost::Current();
  return host != nullptr ? static_cast<uint16_t>(host->RGBToPixel(r, g, b)) : 0;
}

constexpr int32_t kFrame = 10;

}  // namespace

ThinkingWindow* ThinkingWindow::Open() {
  const GViewHost* host = GViewHost::Current();
  if (host == nullptr || host->GetRootView() == nullptr) return nullptr;
  auto* window = new ThinkingWindow;
  window->Place(nullptr, -1, -1, kWidth, kHeight);
  const uint16_t blue = ThinkingPixel(0, 75, 200);
  const int32_t w = kWidth;
  const int32_t h = kHeight;
  const int32_t sides[4][4] = {{0, 0, w, kFrame}, {0, h - kFrame, w, kFrame}, {0, kFrame, kFrame, h - 2 * kFrame},
                               {w - kFrame, kFrame, kFrame, h - 2 * kFrame}};
  for (const auto& side : sides) {
    auto* bar = new GView;
    bar->Place(window, side[0], side[1], side[2], side[3]);
    bar->SetBackColor(blue);
  }
  auto* label = new GLabel;
  label->InitWithResource(window, 20, 30, w - 40, kTextId);
  label->SetAlignment(0);
  window->Invalidate();
  return window;
}

void ThinkingWindow::SetProgress(float progress) {
  progress_ = progress < 0.0f ? 0.0f : progress > 1.0f ? 1.0f : progress;
  Invalidate();
}

int32_t ThinkingWindow::FillRight() const { return 21 + static_cast<int32_t>(static_cast<float>(Width() - 42) * progress_); }

void ThinkingWindow::Draw() {
  GView::Draw();
  const int32_t w = Width();
  FrameRect(GRect{20, 70, w - 20, 90}, ThinkingPixel(0, 150, 0));
  if (progress_ != 0.0f) FillRect(GRect{21, 71, FillRight(), 89}, ThinkingPixel(0, 200, 75));
}
