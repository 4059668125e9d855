#include "game/map/TurnExchange.h"
#include "game/ui/MapView.h"

#include <algorithm>

#include "StringIds.h"
#include "framework/core/GString255.h"
#include "framework/kernel/GKernel.h"
#include "framework/media/GGraph3D.h"
#include "framework/ui/GViewHost.h"
#include "game/battle/Battle.h"
#include "game/map/Map.h"
#include "game/map/MapAppServices.h"
#include "game/map/MapBattleServices.h"
#include "game/map/OrderState.h"
#include "game/ui/OrderOverlay.h"
#include "game/ui/TableText.h"
#include "game/units/Unit.h"

bool MapView::showOrdersMenuTip = true;

namespace {

constexpr int32_t kTcpIp = 2;
constexpr int32_t kSystemLine = 2;

uint16_t Pixel(uint8_t r, uint8_t g, uint8_t b) {
  const GViewHost* host = GViewHost::Current();
  return host != nullptr ? static_cast<uint16_t>(host->RGBToPixel(r, g, b)) : 0;
}

// The text of a TCP/IP connection state, 0 for a state that shows none.
uint32_t NetworkStateText(int32_t state) {
  switch (state) {
    case 2: return kStrNetStateReport;
    case 4: return kStrNetStateLoading;
    case 7:
    case 13: return kStrNetStateUploadMove;
    case 8: return kStrNetStateWaitOrders;
    case 9:
    case 10:
    case 11:
    case 20: return kStrNetStateDownloadMove;
    case 12:
    case 21: return kStrNetStateOpponentWaits;
    case 14: return kStrNetStateComputing;
    case 15: return kStrNetStateComputedThere;
    case 16: return kStrNetStateUploadAction;
    case 17: return kStrNetStateCompleting;
    case 18: return kStrNetStateDownloadAction;
    case 22: return kStrNetStateLoadingEnemy;
    default: return 0;
  }
}

}  // namespace

MapView* MapView::Create(Map& map, int32_t width, int32_t height) {
  auto* view = new MapView;
  view->Place(nullptr, 0, 0, width, height);
  view->SetTickInterval(0);
  view->map_ = &map;
  return view;
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

void MapView::ShowMessage(const char* text) { ShowMessage(text, gKernel != nullptr ? gKernel->GetFrameTick() : 0); }

const char* MapView::ModeLine(uint32_t frameTick, bool editor, bool setupPhase, bool locked) {
  if (messageShown_) {
    if (frameTick - messageTick_ > kMessageMs) messageShown_ = false;
    return message_.c_str();
  }
  uint32_t id = 0;
  if (editor) id = kStrViewPreview;
  else if (setupPhase) id = kStrViewSetupPhase;
  else if (locked) id = kStrViewLocked;
  if (id == 0) return nullptr;
  modeLine_ = TableText(id);
  return modeLine_.c_str();
}

std::vector<MapView::Text> MapView::StatusTexts() const {
  std::vector<Text> out;
  if (map_ == nullptr) return out;
  MapAppServices& app = map_->App();
  const MapBattleServices* battle = app.GetBattleOrOperation();
  const int32_t center = app.GetScreenWidth() / 2;
  const bool tcpip = app.GetConnectionType() == kTcpIp;
  const bool setup = battle != nullptr && battle->IsSetupPhase();
  const bool snow = battle != nullptr && battle->IsSnowGround();
  const uint8_t status[3] = {static_cast<uint8_t>(snow ? 0 : 255), static_cast<uint8_t>(snow ? 205 : 255),
                             static_cast<uint8_t>(180)};
  auto add = [&out](std::string text, int32_t x, int32_t y, int32_t align, uint8_t r, uint8_t g, uint8_t b) {
    out.push_back(Text{std::move(text), x, y, align, 0, r, g, b});
  };

  // The connection state, or the set-up tips outside TCP/IP play.
  const TurnExchange& exchange = app.Exchange();
  const int32_t state = tcpip ? exchange.GetNetworkStateForView() : 0;
  const uint32_t stateText = NetworkStateText(state);
  if (stateText != 0) {
    add(TableText(stateText), center, 30, 0, status[0], status[1], status[2]);
  } else if (showOrdersMenuTip && setup && !tcpip) {
    add(TableText(kStrViewTipMenu), center, 30, 0, 255, 255, 220);
    add(TableText(kStrViewTipJump), center, 45, 0, 255, 255, 220);
  }

  // The turn timer.
  const int32_t limit = exchange.GetTurnTimeLimit();
  if (tcpip && limit != 0 && state != 3 && state != 4) {
    if (exchange.IsOrdersClockStarted()) {
      const int32_t remaining = exchange.GetTimeRemaining();
      if (remaining != 0 && (remaining <= limit / 1000 || setup)) {
        const uint8_t c = TimerShade(remaining);
        add(TableText(kStrViewTimeRemaining) + std::to_string(remaining), center - 70, 45, -1, 255, c, c);
      }
    } else if (!exchange.IsTurnClockStopped() && !(battle != nullptr && battle->IsComputingAction()) &&
               !(state >= 14 && state <= 18)) {
      add(TableText(kStrViewTimerDisabled), center, 45, 0, 255, 200, 200);
    }
  }

  // A reloaded autosave, and the requests to ignore the time limit.
  const bool noOrders = exchange.IsNoOrdersTurn();
  if (noOrders) add(TableText(kStrViewNoOrders), center, 60, 0, status[0], status[1], status[2]);
  const bool own = exchange.IsTimerOffRequested(false);
  if ((exchange.IsOrdersClockStarted() || exchange.IsTurnClockStopped()) && (own || exchange.IsTimerOffRequested(true))) {
    add(TableText(own ? kStrViewOwnTimerOff : kStrViewOpponentTimerOff), center, noOrders ? 75 : 60, 0, status[0],
        status[1], status[2]);
  }
  return out;
}

std::vector<MapView::ChatRow> MapView::ChatRows() const {
  std::vector<ChatRow> rows;
  if (map_ == nullptr || map_->chatEntry == nullptr) return rows;
  TurnExchange& exchange = map_->App().Exchange();
  const int32_t side = map_->App().GetCurrentSide() == 1 ? 1 : 0;
  std::string lines[kChatLines];
  int32_t authors[kChatLines] = {};
  for (int32_t i = 0; i < kChatLines; ++i) {
    const char* line = exchange.GetRadioLine(i, &authors[i]);
    lines[i] = line != nullptr ? line : "";
  }
  int32_t first = 0;
  int32_t count = 0;
  ChatLinesToDraw(lines, exchange.GetChatLinesShown(), first, count);
  for (int32_t i = first, row = 0; i < kChatLines && count > 0; ++i, ++row, --count) {
    ChatRow out{lines[i], row, 255, 255, 255};
    if (authors[i] == kSystemLine) out.r = 180, out.g = 0, out.b = 0;
    else if (authors[i] == side) out.r = 42, out.g = 126, out.b = 212;
    rows.push_back(std::move(out));
  }
  return rows;
}

void MapView::DrawTexts(const std::vector<Text>& texts) {
  GString255 line;
  for (const Text& t : texts) {
    line.Assign(t.text.c_str());
    DrawShadowedText(&line, t.x, t.y, t.align, t.font, t.r, t.g, t.b, 0, 0, 0, 1);
  }
}

void MapView::DrawChat() {
  const int32_t screenWidth = map_->App().GetScreenWidth();
  const int32_t font = screenWidth < 901 ? 1 : 0;
  const int32_t top = font == 1 ? 8 : 7;
  const int32_t rowHeight = font == 1 ? 12 : 15;
  const uint16_t black = Pixel(0, 0, 0);
  GString255 line;
  for (const ChatRow& row : ChatRows()) {
    // A long line is only clipped by the view.
    line.Assign(row.text.c_str());
    const int32_t y = top + row.row * rowHeight;
    const int32_t width = gGraph3D != nullptr ? gGraph3D->TextWidth(line, font) : 0;
    FillRect(GRect{screenWidth - width - 7, y - 7, screenWidth - 3, y + rowHeight - 7}, black);
    DrawShadowedText(&line, screenWidth - 5, font == 1 ? y : y + 1, 1, font, row.r, row.g, row.b, 0, 0, 0, 1);
  }
}

void MapView::Draw() {
  if (map_ == nullptr) {
    GView::Draw();
    return;
  }
  // 1: the map; a pick pass or a map that drew nothing leaves nothing over it.
  MapAppServices& app = map_->App();
  app.SetSceneDrawn(true);
  map_->Draw();
  if (!app.IsSceneDrawn() || gGraph3D == nullptr || gGraph3D->IsPickMode()) return;
  MapBattleServices* battle = app.GetBattleOrOperation();
  const int32_t center = app.GetScreenWidth() / 2;

  // 2: the selected unit's marks, the marks of the units it leads, and for the side to play
  // (or in the editor) its command links.
  if (battle != nullptr) {
    if (Unit* selected = UnitOfView(battle->GetSelectedUnit()); selected != nullptr && selected->GetIdentificationLevel(false) != 0) {
      selected->DrawSelectionMarks(true);
      selected->DrawLedUnitMarks();
      if (selected->IsCurrentSide() || app.IsEditorOpen()) selected->FollowLink();
    }
  }

  // 3: the order overlay of a pick in progress, or the selection rectangle while it is dragged.
  const int32_t inputMode = app.GetInputMode();
  const bool picking = inputMode >= InputModes::kLinePick && inputMode <= InputModes::kFlagPick;
  if (auto* orders = dynamic_cast<Battle*>(battle); orders != nullptr && picking) {
    OrderOverlay overlay;
    overlay.Build(*orders, inputMode, OrderOverlay::ScreenProjector());
    overlay.Draw(*map_, *this);
  }
  if (inputMode == InputModes::kSelectionDrag) {
    int32_t rect[4];
    map_->GetSelectionRect(rect);
    FrameRect(GRect{rect[0], rect[1], rect[2], rect[3]}, Pixel(0, 255, 255));
  }

  // 4: the mode line.
  const bool setup = battle != nullptr && battle->IsSetupPhase();
  const uint32_t tick = gKernel != nullptr ? gKernel->GetFrameTick() : 0;
  if (const char* line = ModeLine(tick, app.IsEditorOpen(), setup, map_->camera.selectedUnit != nullptr)) {
    GString255 text;
    text.Assign(line);
    DrawShadowedText(&text, center, 15, 0, 0, 255, 255, 150, 0, 0, 0, 1);
  }

  // 5 to 10: TCP/IP play's state, timer and requests, or the set-up tips; 11: the radio lines.
  DrawTexts(StatusTexts());
  DrawChat();

  // 12: the texts queued during the frame.
  gGraph3D->FlushTextQueue();
}

std::vector<MapView::Text> MapView::LabelTexts(int32_t x, int32_t y, const char* first, int32_t firstColour,
                                               const char* second, int32_t secondColour, bool snow,
                                               int32_t viewWidth, int32_t viewHeight) {
  std::vector<Text> out;
  if (first == nullptr || first[0] == 0) {
    first = second;
    firstColour = secondColour;
    second = nullptr;
  }
  if (first == nullptr || first[0] == 0) return out;
  const Label a = PlaceLabel(x, y, firstColour, snow, viewWidth, viewHeight);
  out.push_back(Text{first, a.x, a.y, a.align, 0, a.r, a.g, a.b});
  if (second == nullptr || second[0] == 0) return out;
  const Label b = PlaceLabel(x, y, secondColour, snow, viewWidth, viewHeight);
  out.push_back(Text{second, b.x, b.y + 15, b.align, 0, b.r, b.g, b.b});
  return out;
}

void MapView::DrawLabel(int32_t x, int32_t y, const GString* first, int32_t firstColour, const GString* second,
                        int32_t secondColour) {
  const MapBattleServices* battle = map_ != nullptr ? map_->App().GetBattleOrOperation() : nullptr;
  const bool snow = battle != nullptr && battle->IsSnowGround();
  DrawTexts(LabelTexts(x, y, first != nullptr ? first->CStr() : nullptr, firstColour,
                       second != nullptr ? second->CStr() : nullptr, secondColour, snow, Width(), Height()));
}
