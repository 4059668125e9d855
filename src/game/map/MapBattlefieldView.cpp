// The map's side of its battlefield view: making it through the application, the view lock of
// an operation, the radio chat's sizes and entry field, the view's message and its redraw.
#include <algorithm>

#include "framework/core/Quorl.h"
#include "framework/kernel/GKernel.h"
#include "framework/ui/GTextEntry.h"
#include "framework/ui/GView.h"
#include "game/map/BattlefieldScreen.h"
#include "game/map/BattlefieldView.h"
#include "game/map/ChatEntry.h"
#include "game/map/Map.h"
#include "game/map/MapAppServices.h"
#include "game/map/MapBattleServices.h"
#include "game/map/MapUnitView.h"
#include "game/map/TurnExchange.h"

namespace {

constexpr int32_t kStripHeight = 90;
constexpr int32_t kTcpIp = 2;
constexpr int32_t kMaxChatLines = 14;

}  // namespace

Map::ChatLayout Map::ChatLayoutFor(int32_t viewWidth, int32_t viewHeight, int32_t screenWidth) {
  ChatLayout layout;
  layout.lines = std::min(static_cast<int32_t>(static_cast<float>(viewHeight / 12) * 0.25f), kMaxChatLines);
  layout.lineWidth = viewWidth / 4;
  layout.columns = std::min(viewWidth / 3 / 8, 85);
  layout.entryX = viewWidth - (layout.columns + 1) * 8;
  layout.entryY = viewHeight - 42;
  layout.font = screenWidth < 901 ? 1 : 0;
  return layout;
}

void Map::CreateView() {
  DeleteView();
  int32_t width = 640;
  int32_t height = 480;
  if (gKernel != nullptr) gKernel->GetScreenSize(width, height);
  GObject* made = app_->NewBattlefieldView(*this, width, height - kStripHeight);
  if (made == nullptr) return;
  display.battleView = made;
  auto* view = dynamic_cast<GView*>(made);

  // In an operation the view starts locked on the first unit of the side to play.
  if (app_->GetOperation() != nullptr && !app_->IsEditorOpen()) {
    if (MapBattleServices* battle = app_->GetBattleOrOperation()) {
      const int32_t side = app_->GetCurrentSide() == 1 ? 1 : 0;
      for (int32_t i = 0; i < battle->GetUnitCount(); ++i) {
        MapUnitView* unit = battle->GetUnit(i);
        if (unit != nullptr && unit->GetSideIndex() == side) {
          SelectUnit(unit);
          break;
        }
      }
    }
  }

  if (app_->GetConnectionType() != kTcpIp || view == nullptr) return;
  const ChatLayout chat = ChatLayoutFor(view->Width(), view->Height(), width);
  app_->Exchange().SetChatSizes(chat.lines, chat.lineWidth);
  auto* entry = new ChatEntry(*app_);
  entry->Init(view, chat.entryX, chat.entryY, chat.columns, 3, 1, 0);
  entry->SetVisible(0);
  chatEntry = entry;
}

void Map::DeleteView() {
  // The entry field is the view's child and goes with it.
  chatEntry = nullptr;
  SafeDelete(display.battleView);
}

void Map::ShowViewMessage(const char* text) {
  if (auto* view = dynamic_cast<BattlefieldView*>(display.battleView)) view->ShowMessage(text);
}

void Map::Refresh() {
  if (MapBattleServices* battle = app_->GetBattleOrOperation()) battle->ValidateSelection();
  app_->Battlefield().RefreshBattleScreen();
  if (auto* view = dynamic_cast<GView*>(display.battleView)) view->Invalidate();
}
