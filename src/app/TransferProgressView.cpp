#include "app/TransferProgressView.h"

#include "app/ScreenColours.h"
#include "app/TcpGame.h"
#include "framework/core/GRect.h"
#include "framework/core/GString255.h"
#include "framework/ui/GLabel.h"

namespace {

constexpr int32_t kStrTitle = 20136;
constexpr int32_t kStrCompleting = 20137;
constexpr uint8_t kFrame[3] = {0, 75, 200};
constexpr uint8_t kOutline[3] = {150, 0, 0};
constexpr uint8_t kFill[3] = {200, 0, 0};

}  // namespace

void TransferProgressView::Init(GView* parent) {
  const int32_t x = parent != nullptr ? (parent->Width() - kWidth) / 2 : 0;
  const int32_t y = parent != nullptr ? (parent->Height() - kHeight) / 2 : 0;
  Place(parent, x, y, kWidth, kHeight);
  // Four bars 10 pixels wide frame it: top and bottom the full width, the sides between.
  const GRect bars[4] = {{0, 0, kWidth, 10}, {0, kHeight - 10, kWidth, kHeight}, {0, 10, 10, kHeight - 10},
                         {kWidth - 10, 10, kWidth, kHeight - 10}};
  for (const GRect& r : bars) {
    auto* bar = new GView();
    bar->SetBackColor(ScreenColours::Pixel(kFrame));
    bar->Place(this, r.left, r.top, r.right - r.left, r.bottom - r.top);
  }
  auto* title = new GLabel();
  title->InitWithResource(this, 20, 30, kWidth - 40, static_cast<int16_t>(kStrTitle));
  title->SetAlignment(0);
}

int32_t TransferProgressView::FillRight(int32_t width, float fraction) {
  if (fraction > 1.0f) fraction = 1.0f;
  return 21 + static_cast<int32_t>(static_cast<float>(width - 42) * fraction);
}

void TransferProgressView::Draw() {
  GView::Draw();
  const int32_t width = Width();
  FrameRect(GRect{20, 70, width - 20, 90}, ScreenColours::Pixel(kOutline));
  const float fraction = game_.ProgressFraction();
  if (fraction > 0.0f) FillRect(GRect{21, 71, FillRight(width, fraction), 89}, ScreenColours::Pixel(kFill));
  if (game_.GetState() == TCPIP_STATE_WAITING_FOR_RECEIPT && fraction > 0.98f) {
    GString255 text;
    text.AppendResource(kStrCompleting);
    DrawShadowedText(&text, width / 2 + 5, 90 - 8, 0, 0, 255, 255, 180, 0, 0, 0, 0);
  }
}
