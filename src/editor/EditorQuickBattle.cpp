// The quick battle's set-up screen and its confirm, and the completion after the random map:
// set-up zones, start views, the computer's purchases, victory flags and the hand-over to the
// application's quick-battle start.
#include <cmath>
#include <string>
#include <vector>

#include "app/WRApplication.h"
#include "editor/EditorDialogParts.h"
#include "editor/EditorState.h"
#include "editor/EditorValueLabel.h"
#include "editor/QuickBattleRules.h"
#include "framework/core/GErrorLog.h"
#include "framework/core/GString255.h"
#include "framework/core/Quorl.h"
#include "framework/ui/GPictureView.h"
#include "framework/ui/GPopup.h"
#include "framework/ui/GViewHost.h"
#include "game/battle/Battle.h"
#include "game/battle/VictoryFlag.h"
#include "game/map/Distance.h"
#include "game/map/FineTerrain.h"
#include "game/map/Heading.h"
#include "game/map/Map.h"

namespace {

using namespace EditorDialogParts;

constexpr const char* kQuickBattleSource = "EditorQuickBattle";
constexpr int16_t kQuickBattleConfirmPicture = 11101;
constexpr int16_t kQuickBattleCancelPicture = 11103;
constexpr int16_t kQuickBattleTitlePicture = 10071;
constexpr int16_t kClickSound = 152;
constexpr int16_t kRandomText = 524;
constexpr int16_t kPointsText = 551;
constexpr uint16_t kQuickBattleRepeatMs = 150;
constexpr float kFlagSpacing = 75.0f;
constexpr int32_t kFlagCandidates = 40;

std::vector<int16_t> Run(int16_t first, int32_t count) {
  std::vector<int16_t> ids;
  for (int32_t i = 0; i < count; ++i) ids.push_back(static_cast<int16_t>(first + i));
  return ids;
}

std::vector<int16_t> RunWithRandom(int16_t first, int32_t count) {
  std::vector<int16_t> ids = Run(first, count);
  ids.push_back(kRandomText);
  return ids;
}

}  // namespace

void EditorState::StartQuickBattleInApplication(WRApplication& app) { app.StartQuickBattle(); }

void (*EditorState::quickBattleStarter)(WRApplication& app) = EditorState::StartQuickBattleInApplication;

void EditorState::QuickBattleSetup() {
  if (rootView == nullptr || mainView == nullptr) FatalError(__LINE__, kQuickBattleSource);
  CloseScreen();
  mainView->SetVisible(0);
  GView* screen = screenView = OpenDialog(rootView, 640, 480);
  Button(screen, 490, 0, 195, kQuickBattleConfirmPicture, 0, kClickSound);
  Button(screen, 490, 50, 194, kQuickBattleCancelPicture, 0, kClickSound);
  auto* title = new GPictureView();
  title->Init(screen, 190, 0, kQuickBattleTitlePicture);
  Label(screen, 130, 80, 60, 130);
  Label(screen, 280, 80, 60, 131);

  // Per side: Axis at x 130, Allied at x 280.
  Label(screen, 10, 111, 120, 490);
  Label(screen, 10, 141, 120, 500);
  Label(screen, 10, 171, 120, 520);
  Label(screen, 10, 201, 120, 530);
  for (int32_t side = 0; side < 2; ++side) {
    const int32_t x = side == 0 ? 130 : 280;
    quickPopups[static_cast<size_t>(kQuickAxisType + side)] = Popup(screen, x, 110, 491, 4, 0);
    quickPopups[static_cast<size_t>(kQuickAxisForce + side)] =
        side == 0 ? Popup(screen, x, 140, 501, 6, 0) : Popup(screen, x, 140, 510, 9, 0);
    quickPopups[static_cast<size_t>(kQuickAxisQuality + side)] = Popup(screen, x, 170, RunWithRandom(521, 3), 1);
    quickPopups[static_cast<size_t>(kQuickAxisPurchase + side)] = Popup(screen, x, 200, 531, 2, 0);
  }

  auto* separator = new GView();
  GViewHost* host = GViewHost::Current();
  separator->SetBackColor(host != nullptr ? static_cast<uint16_t>(host->RGBToPixel(80, 0, 0)) : 0);
  separator->Place(screen, 10, 230, 620, 2);

  Label(screen, 10, 261, 120, 495);
  quickPopups[kQuickBattleType] = Popup(screen, 130, 260, 540, 4, 1);
  Label(screen, 10, 291, 120, 550);
  GString255 points;
  points.LoadResource(kPointsText);
  std::vector<std::string> sizes;
  for (int32_t i = 0; i < QuickBattleRules::kForceSizes; ++i) {
    sizes.push_back(std::to_string(QuickBattleRules::ForceSize(i)) + " " + points.CStr());
  }
  quickPopups[kQuickForceSize] = Popup(screen, 130, 290, sizes, 2);
  Label(screen, 10, 321, 120, 560);
  quickPopups[kQuickMapSize] = Popup(screen, 130, 320, 561, 3, 1);
  Label(screen, 10, 351, 120, 570);
  quickPopups[kQuickAttacker] = Popup(screen, 130, 350, 571, 2, 1);
  Label(screen, 10, 381, 120, 580);
  quickPopups[kQuickHandicap] = Popup(screen, 130, 380, 581, QuickBattleRules::kHandicaps, QuickBattleRules::kNoHandicap);

  Label(screen, 330, 261, 120, 600);
  quickPopups[kQuickDate] = Popup(screen, 450, 260, 601, 12, 5);
  Label(screen, 330, 291, 120, 620);
  quickPopups[kQuickTime] = Popup(screen, 450, 290, RunWithRandom(621, 3), 0);
  Label(screen, 330, 321, 120, 630);
  quickPopups[kQuickWeather] = Popup(screen, 450, 320, RunWithRandom(631, 6), 0);
  Label(screen, 330, 351, 120, 640);
  lengthCounter = NumberField(screen, 450, 353, 50, 30, 641, 510, 351, 196, kQuickBattleRepeatMs);
}

void EditorState::ApplyQuickBattleSetup() {
  Battle* battle = app_ != nullptr ? app_->GetBattle() : nullptr;
  if (battle == nullptr || lengthCounter == nullptr) FatalError(__LINE__, kQuickBattleSource);
  auto item = [this](int32_t index) {
    const GPopup* popup = quickPopups[static_cast<size_t>(index)];
    if (popup == nullptr) FatalError(__LINE__, kQuickBattleSource);
    return popup->GetCurrentItem();
  };
  battle->date = EditorDialogParts::DateOfChoice(item(kQuickDate));
  battle->season = SeasonOfDate(battle->date);
  const int32_t time = item(kQuickTime);
  battle->timeOfDay = time == 3 ? Random(3) : time;
  const int32_t weather = item(kQuickWeather);
  battle->weather = weather == 6 ? QuickBattleRules::DrawWeather(battle->season) : weather;
  battle->lastTurn = GetControlValue(lengthCounter);
  quickType = item(kQuickBattleType);
  battle->attacker = item(kQuickAttacker);
  forceSizeIndex = item(kQuickForceSize);
  for (int32_t side = 0; side < 2; ++side) {
    const auto s = static_cast<size_t>(side);
    quickForceType[s] = item(kQuickAxisType + side);
    quickRestriction[s] = item(kQuickAxisForce + side);
    battle->autoPurchase[s] = item(kQuickAxisPurchase + side) == 0 ? 1 : 0;
    const int32_t quality = item(kQuickAxisQuality + side);
    quickQuality[s] = quality == 3 ? Random(3) : quality;
  }
  for (int32_t side = 0; side < 2; ++side) {
    const auto s = static_cast<size_t>(side);
    quickForceType[s] = QuickBattleRules::OverrideForceType(side, quickRestriction[s], quickForceType[s]);
  }
  battle->groundCondition = QuickBattleRules::GroundOfWeather(battle->weather);

  const int32_t base = QuickBattleRules::ForceSize(forceSizeIndex);
  const int32_t handicap = item(kQuickHandicap);
  const int32_t attacker = battle->attacker;
  battle->forcePoints[attacker] = static_cast<int16_t>(QuickBattleRules::AttackerPoints(quickType, base, handicap));
  battle->forcePoints[1 - attacker] = static_cast<int16_t>(base);
  if (handicap != QuickBattleRules::kNoHandicap) {
    battle->playBalanceNotice[0] = 1;
    battle->playBalanceNotice[1] = 1;
    battle->playBalance = QuickBattleRules::PlayBalance(handicap, attacker);
  }
  if (quickType == QuickBattleRules::kMeetingEngagement) battle->attacker = 2;
  quickMapHeight = QuickBattleRules::ProposedHeight(base, item(kQuickMapSize));
  quickMapWidth = QuickBattleRules::ProposedWidth(base);

  // The controls go with the screen.
  quickPopups.fill(nullptr);
  lengthCounter = nullptr;
  SafeDelete(screenView);
  RandomMapDialog();
}

bool EditorState::FlagIsNear(GObject* flag, void* point) {
  const auto* p = static_cast<const float*>(point);
  const auto* f = static_cast<const VictoryFlag*>(flag);
  return Distance(f->x, f->y, p[0], p[1]) < kFlagSpacing;
}

void EditorState::FinishQuickBattle() {
  Battle* battle = app_ != nullptr ? app_->GetBattle() : nullptr;
  if (battle == nullptr || battle->map == nullptr) FatalError(__LINE__, kQuickBattleSource);
  for (int32_t side = 1; side >= 0; --side) {
    const auto s = static_cast<size_t>(side);
    battle->sideValueE[s] = quickQuality[s];
    battle->forceType[s] = quickForceType[s];
    battle->sideByteF[s] = static_cast<uint8_t>(quickRestriction[s]);
  }
  Map& map = *battle->map;
  const int32_t tilesX = map.size.tilesX;
  const int32_t tilesY = map.size.tilesY;
  int32_t a = 0;
  int32_t b = 0;
  QuickBattleRules::ZoneStrips(tilesX, quickType, battle->attacker, &a, &b);
  map.SetZoneRect(0, 0, tilesX, 0, tilesY);
  map.SetZoneRect(1, 0, a, 0, tilesY);
  map.SetZoneRect(4, b, tilesX, 0, tilesY);
  SetStartViews();
  ChooseComputerForces();
  battle->flags.DeleteAll(true);

  // The battle's objects are rebuilt from the file: the battle is a new one afterwards. The
  // file keeps no play balance, so the handicap's is carried over.
  const int32_t balance = battle->playBalance;
  const uint8_t notices[2] = {battle->playBalanceNotice[0], battle->playBalanceNotice[1]};
  app_->RoundTripGame();
  battle = app_->GetBattle();
  if (battle == nullptr || battle->map == nullptr) {
    GErrorLog::LogError("The quick battle could not be rebuilt");
    app_->Beep();
    return;
  }
  battle->playBalance = balance;
  battle->playBalanceNotice[0] = notices[0];
  battle->playBalanceNotice[1] = notices[1];
  PlaceQuickBattleFlags(*battle);
  if (quickBattleStarter == nullptr) {
    GErrorLog::LogError("The quick battle cannot start yet");
    app_->Beep();
    return;
  }
  // This state is gone afterwards.
  quickBattleStarter(*app_);
}

void EditorState::PlaceQuickBattleFlags(Battle& battle) const {
  if (battle.map == nullptr) FatalError(__LINE__, kQuickBattleSource);
  const Map& map = *battle.map;
  const QuickBattleRules::Layout& layout = QuickBattleRules::LayoutOf(quickType);
  const auto width = static_cast<float>(map.size.tilesX);
  const auto height = static_cast<float>(map.size.tilesY);
  int32_t budget = QuickBattleRules::FlagBudget(QuickBattleRules::ForceSize(forceSizeIndex), quickType);
  do {
    auto* flag = new VictoryFlag();
    if (budget > 500 || RandomFloat() < layout.largeChance) {
      flag->type = 1;
      budget -= 300;
    } else {
      flag->type = 0;
      budget -= 100;
    }
    // 0 nothing found, 1 a loosely clear site, 2 a strictly clear one.
    int32_t found = 0;
    for (int32_t candidate = 0; candidate < kFlagCandidates; ++candidate) {
      float x = (layout.flagNear + RandomFloatTimes(layout.flagFar - layout.flagNear)) * 20.0f * width;
      if (battle.attacker == 1) x = width * 20.0f - x;
      const float r1 = RandomFloatTimes(0.9f) - 0.45f;
      const float r2 = RandomFloatTimes(0.9f) - 0.45f;
      const float r = std::fabs(r2) < std::fabs(r1) ? r2 : r1;
      const float y = (r + 0.5f) * 20.0f * height;
      if (candidate == 0) {
        flag->x = x;
        flag->y = y;
      }
      float point[2] = {x, y};
      if (battle.flags.FindFirst(FlagIsNear, point) != nullptr) continue;
      const int32_t type = map.TerrainTypeAt(x, y);
      // A building cell wins at once.
      if (IsBuildingTerrain(type)) {
        flag->x = x;
        flag->y = y;
        break;
      }
      if (found == 0) {
        flag->x = x;
        flag->y = y;
        found = Map::IsConcealingType(type, true) ? 2 : (Map::IsConcealingType(type, false) ? 1 : 0);
      } else if (found == 1 && Map::IsConcealingType(type, true)) {
        flag->x = x;
        flag->y = y;
        found = 2;
      }
    }
    battle.flags.Append(flag);
  } while (budget > 0);
}
