#include "game/ui/MapView.h"

#include <algorithm>

#include "framework/core/GString255.h"
#include "framework/kernel/GKernel.h"
#include "framework/media/GGraph3D.h"
#include "framework/ui/GViewHost.h"
#include "game/map/Map.h"
#include "game/map/MapAppServices.h"
#include "game/map/MapBattleServices.h"

bool MapView::showOrdersMenuTip = true;

namespace {

constexpr int32_t kTcpIp = 2;
constexpr int32_t kSelectionDrag = 10;

uint16_t CyanPixel() {
  const GViewHost* host = GViewHost::Current();
  return host != nullptr ? static_cast<uint16_t>(host->RGBToPixel(0, 255, 255)) : 0;
}

}  // namespace

MapView* MapView::Create(Map& map, int32_t screenWidth, int32_t screenHeight) {
  auto* view = new MapView;
  view->Place(nullptr, 0, 0, screenWidth, screenHeight - kStripHeight);
  view->SetTickInterval(0);
  view->map_ = &map;
  delete map.display.battleView;
  map.display.battleView = view;
  return view;
}

MapView::ChatLayout MapView::ChatLayoutFor(int32_t viewWidth, int32_t viewHeight, int32_t screenWidth) {
  ChatLayout layout;
  layout.lines = std::min(static_cast<int32_t>(static_cast<float>(viewHeight / 12) * 0.25f), kChatLines);
  layout.lineWidth = viewWidth / 4;
  layout.columns = std::min(viewWidth / 3 / 8, 85);
  layout.entryX = viewWidth - (layout.columns + 1) * 8;
  layout.entryY = viewHeight - 42;
  layout.font = screenWidth < 901 ? 1 : 0;
  return layout;
}

void MapView::ChatLinesToDraw(const std::string (&lines)[kChatLines], int32_t shown, int32_t& first, int32_t& count) {
  count = 0;
  first = kChatLines - 1;
  for (int32_t i = kChatLines - 1; i >= 0; --i) {
    first = i;
    if (!lines[i].empty()) ++count;
    if (count >= shown) break;
  }
}

MapView::Label MapView::PlaceLabel(int32_t x, int32_t y, int32_t colourCode, bool snow, int32_t viewWidth,
                                   int32_t viewHeight) {
  Label label;
  label.y = std::max(15, std::min(y, viewHeight - 20));
  label.x = std::max(5, std::min(x, viewWidth - 5));
  label.align = label.x < 100 ? -1 : label.x > viewWidth - 100 ? 1 : 0;
  switch (colourCode) {
    case 1: label.r = 255, label.g = 144, label.b = 0; break;
    case 2: label.r = 255, label.g = 255, label.b = 50; break;
    case 3:
      if (snow) label.r = 0, label.g = 200, label.b = 0;
      else label.r = 255, label.g = 255, label.b = 255;
      break;
    default: label.r = 255, label.g = 30, label.b = 30; break;
  }
  return label;
}

void MapView::ShowMessage(const char* text, uint32_t frameTick) {
  messageShown_ = true;
  messageTick_ = frameTick;
  message_ = text != nullptr ? std::string(text).substr(0, 63) : std::string();
}

const char* MapView::ModeLine(uint32_t frameTick, bool editor, bool setupPhase, bool locked) {
  if (messageShown_) {
    if (frameTick - messageTick_ > kMessageMs) messageShown_ = false;
    return message_.c_str();
  }
  if (editor) return "PREVIEW";
  if (setupPhase) return "SETUP PHASE";
  if (locked) return "VIEW LOCKED TO UNIT";
  return nullptr;
}

void MapView::Draw() {
  if (map_ == nullptr) {
    GView::Draw();
    return;
  }
  // 1: the map; a pick pass or a map not drawn yet leaves nothing over it.
  map_->Draw();
  if (map_->display.drawState < 2 || gGraph3D == nullptr || gGraph3D->IsPickMode()) return;
  MapAppServices& app = map_->App();
  MapBattleServices* battle = app.GetBattleOrOperation();
  const int32_t width = Width();
  const int32_t center = gKernel != nullptr ? gKernel->GetScreenWidth() / 2 : width / 2;

  // 3: the selection rectangle while it is dragged (the order overlays come with the orders).
  if (app.GetInputMode() == kSelectionDrag) {
    int32_t rect[4];
    map_->GetSelectionRect(rect);
    FrameRect(GRect{rect[0], rect[1], rect[2], rect[3]}, CyanPixel());
  }

  // 4: the mode line.
  const bool setup = battle != nullptr && battle->IsSetupPhase();
  const uint32_t tick = gKernel != nullptr ? gKernel->GetFrameTick() : 0;
  if (const char* line = ModeLine(tick, app.IsEditorOpen(), setup, map_->camera.selectedUnit != nullptr)) {
    GString255 text;
    text.Assign(line);
    DrawShadowedText(&text, center, 15, 0, 0, 255, 255, 150, 0, 0, 0, 1);
  }

  // 7: the set-up tips, outside TCP/IP play, until the first orders menu.
  if (showOrdersMenuTip && setup && app.GetConnectionType() != kTcpIp) {
    GString255 tip;
    tip.Assign("TIP: Right-click on unit to bring up unit command menu");
    DrawShadowedText(&tip, center, 30, 0, 0, 255, 255, 220, 0, 0, 0, 1);
    tip.Assign("Hold CONTROL and click on the map to jump to that spot");
    DrawShadowedText(&tip, center, 45, 0, 0, 255, 255, 220, 0, 0, 0, 1);
  }

  // 12: the texts queued during the frame.
  gGraph3D->FlushTextQueue();
}
