// The end of a battle and its results: the level from the score shares, the loss rows, the
// layout of the results screen and the battle's one count into a running operation.
#include "game/battle/BattleResults.h"

#include <algorithm>
#include <cmath>

#include "StringIds.h"
#include "framework/core/Quorl.h"
#include "game/battle/Battle.h"
#include "game/battle/Campaign.h"
#include "game/battle/ResultsScreen.h"
#include "game/map/BattlefieldScreen.h"
#include "game/map/Map.h"
#include "game/map/MapAppServices.h"
#include "game/map/TurnExchange.h"
#include "game/units/Unit.h"
#include "game/units/tables/UnitCodes.h"
#include "platform/PStringTable.h"

namespace {

constexpr uint32_t kAxisText = 130;
constexpr uint32_t kAlliedText = 131;
constexpr uint32_t kAttackerText = 133;
constexpr uint32_t kCasualtyText = 420;
constexpr uint32_t kCasualtiesText = 430;
constexpr uint32_t kFirstLevelText = 440;
constexpr uint32_t kBattlesText = 811;  // " battles"
constexpr int32_t kResultsSound = 129;
constexpr int32_t kResultsNetworkState = 23;
constexpr uint8_t kResultsMessage = 0x11;
constexpr int32_t kConnectionTcpIp = 2;
constexpr int32_t kButtonY = 425;
constexpr int32_t kChatLabelRise = 17;
constexpr int32_t kChatLabelWidth = 400;

std::string Text(uint32_t id) {
  uint32_t length = 0;
  const char* text = PStringTable::Find(id, &length);
  return text != nullptr ? std::string(text, length) : std::string();
}

// Singular and plural words of each loss category.
constexpr uint32_t kCategoryWords[BattleResults::kCategories][2] = {
    {kCasualtyText, kCasualtiesText}, {kStrLossCaptured, kStrLossCaptured}, {kStrLossMortar, kStrLossMortars},
    {kStrLossGun, kStrLossGuns},       {kStrLossPillbox, kStrLossPillboxes}, {kStrLossVehicle, kStrLossVehicles},
    {kStrLossAirplane, kStrLossAirplanes}};

}  // namespace

int32_t BattleResults::LevelFromShares(float share0, float share1) {
  const float r = std::max(share0, 0.01f) / std::max(share1, 0.01f);
  if (r < 0.2f) return 8;
  if (r < 0.4f) return 7;
  if (r < 0.57f) return 6;
  if (r < 0.81f) return 5;
  if (r <= 1.24f) return 4;
  if (r <= 1.75f) return 3;
  if (r <= 2.5f) return 2;
  if (r <= 5.0f) return 1;
  return 0;
}

std::string BattleResults::LevelName(int32_t level) {
  if (level < 0 || level >= kLevels) return std::string();
  return Text(kFirstLevelText + static_cast<uint32_t>(level));
}

std::string BattleResults::LossRow(int32_t category, int32_t count, int32_t killedInAction) {
  if (category < 0 || category >= kCategories) FatalError(5028, "Battle");
  std::string row = std::to_string(count) + " " + Text(kCategoryWords[category][count == 1 ? 0 : 1]);
  if (category == kCasualties) row += " (" + std::to_string(killedInAction) + Text(kStrKiaClose);
  return row;
}

int32_t BattleResults::KilledInAction(float share, int32_t menOk0, int32_t menOk1, int32_t casualties) {
  const double men = static_cast<double>(menOk0) + 1.0 + static_cast<double>(menOk1);
  const auto pick = static_cast<int32_t>(static_cast<double>(share) * 100.0 * men) % 130;
  return static_cast<int32_t>(static_cast<double>(casualties) * (pick * 0.001 + 0.2) + 0.49);
}

std::string BattleResults::BattlesComplete(int32_t done, int32_t battles) {
  const std::string count = done == 1 ? Text(kStrOneBattle) : std::to_string(done) + Text(kBattlesText);
  return count + Text(kStrCompleteOutOf) + std::to_string(battles);
}

std::string BattleResults::NightfallLine(int32_t counter, int32_t battles, int32_t nightEvery, int32_t openingSlot) {
  for (int32_t m = counter; m <= battles; ++m) {
    if (RotationPhase(m, nightEvery, openingSlot) != 2) continue;
    const int32_t d = m - counter;
    if (d == 0) return Text(kStrNightIsFalling);
    if (d == 1) return Text(kStrOneBattleBeforeNight);
    return std::to_string(d) + Text(kStrBattlesBeforeNight);
  }
  return std::string();
}

int32_t BattleResults::ScorePercent(float share) { return static_cast<int32_t>(static_cast<double>(share) * 100.0 + 0.49); }

const BattleResults::Label* BattleResults::FindLabel(const std::string& text) const {
  for (const Label& label : labels) {
    if (label.text == text) return &label;
  }
  return nullptr;
}

void Battle::CheckForEnd(bool reviewOnly) {
  if (!IsOver() && !(endState[0] == 1 && endState[1] == 1)) return;
  const MapAppServices& app = App();
  if (app.GetHumanPlayers() == 2 && app.GetConnectionType() == 1) {
    if (endState[0] == 1 && endState[1] == 1) {
      finished = 1;
      endState[0] = 0;
    } else if (endState[1 - (app.GetCurrentSide() & 1)] == 2) {
      finished = 1;
    }
  }
  // The operation's battle counter is raised by the results' one count, not here.
  currentTurn = lastTurn + 1;
  setupPhase = 0;
  ShowResults(reviewOnly, false);
}

void Battle::ShowResults(bool reviewOnly, bool deferOperationStep) {
  ++resultsShown;
  MapAppServices& app = App();
  const bool network = app.GetConnectionType() == kConnectionTcpIp;
  app.Battlefield().PlaySound(kResultsSound);
  if (resultsScreen != nullptr) resultsScreen->SetNetworkState(kResultsNetworkState);
  if (map != nullptr) map->DeleteSounds(false);
  DeleteReplayEffects();

  BattleResults r;
  ComputeScoreShares(false, &r.share[0], &r.share[1]);
  if (resultsScreen != nullptr) resultsScreen->LeaveBattlefield();

  // The tallies, with the men taken after a surrender moved from the casualties.
  results = BattleResults();
  for (int32_t i = 0; i < units.Count(); ++i) TallyUnitResult(*UnitAt(i));
  for (int32_t side = 0; side < 2; ++side) {
    results.losses[side][BattleResults::kCasualties] -= capturedAfterSurrender[side];
    results.losses[side][BattleResults::kCaptured] += capturedAfterSurrender[side];
  }
  std::copy(std::begin(results.losses[0]), std::end(results.losses[0]), std::begin(r.losses[0]));
  std::copy(std::begin(results.losses[1]), std::end(results.losses[1]), std::begin(r.losses[1]));
  r.menOk[0] = results.menOk[0];
  r.menOk[1] = results.menOk[1];
  for (int32_t side = 0; side < 2; ++side) {
    r.killedInAction[side] =
        BattleResults::KilledInAction(r.share[side], r.menOk[0], r.menOk[1], r.losses[side][BattleResults::kCasualties]);
  }

  // A running operation counts the battle once: the first call that is not a review.
  auto* campaign = dynamic_cast<Campaign*>(app.GetOperation());
  r.inOperation = campaign != nullptr;
  if (campaign != nullptr) {
    if (!reviewOnly && resultsCounted == 0) {
      resultsCounted = 1;
      for (int32_t side = 1; side >= 0; --side) {
        for (int32_t c = BattleResults::kCategories - 1; c >= 0; --c) {
          campaign->lossTally[side][c] = static_cast<int16_t>(campaign->lossTally[side][c] + r.losses[side][c]);
        }
        int16_t& killed = campaign->lossTally[side][Campaign::kTallies - 1];
        killed = static_cast<int16_t>(killed + r.killedInAction[side]);
      }
      campaign->currentTurn += 1;
      // The front moves once per battle, with its count.
      // An operation without a player (no host) never has this battle in play.
      if (!deferOperationStep && campaign->Host() != nullptr) campaign->UpdateFrontLine();
    }
    r.operationOver = campaign->IsOver();
    if (r.operationOver) {
      for (int32_t side = 0; side < 2; ++side) r.killedInAction[side] = campaign->lossTally[side][Campaign::kTallies - 1];
    }
  }

  if (network) {
    if (resultsScreen != nullptr) resultsScreen->HoldNetworkLink();
    if (!r.inOperation || r.operationOver) {
      if (resultsScreen != nullptr) resultsScreen->ShowNetworkPanel();
      app.Exchange().NetSend(&kResultsMessage, 1);
    }
  }

  // The columns: the attacker on the left (side 0 in a meeting engagement).
  const bool meeting = attacker == 2;
  r.columnSide[0] = meeting ? 0 : (attacker & 1);
  r.columnSide[1] = 1 - r.columnSide[0];
  const int32_t sideToPlay = app.GetCurrentSide() & 1;
  const bool oneHuman = app.GetHumanPlayers() != 2;
  int32_t rows = 7;
  for (int32_t c = 0; c < 2; ++c) {
    const int32_t s = r.columnSide[c];
    const int32_t x = c * BattleResults::kLabelWidth + (c + 1) * 113;
    std::string heading = Text(s == 0 ? kAxisText : kAlliedText) + " ";
    if (!meeting) heading += s == attacker ? Text(kAttackerText) : Text(kStrDefender);
    r.labels.push_back({x, BattleResults::kTop, BattleResults::kLabelWidth, heading});
    const bool rowsShown = !r.inOperation || r.operationOver || (oneHuman && s == sideToPlay);
    if (!rowsShown) continue;
    int32_t y = BattleResults::kTop;
    for (int32_t category = 0; category < BattleResults::kCategories; ++category) {
      const int32_t count = r.losses[s][category];
      if (count == 0) continue;
      y += BattleResults::kRowStep;
      r.rows[s].push_back(BattleResults::LossRow(category, count, r.killedInAction[s]));
      r.labels.push_back({x, y, BattleResults::kLabelWidth, r.rows[s].back()});
    }
    rows = std::max(rows, static_cast<int32_t>(r.rows[s].size()));
  }
  rows += 2;
  for (int32_t c = 0; c < 2; ++c) {
    const int32_t s = r.columnSide[c];
    const int32_t x = c * BattleResults::kLabelWidth + (c + 1) * 113;
    if (r.inOperation && !r.operationOver && !(oneHuman && s == sideToPlay)) continue;
    r.labels.push_back({x, rows * BattleResults::kRowStep + BattleResults::kTop, BattleResults::kLabelWidth,
                        Text(kStrMenOk) + std::to_string(r.menOk[s])});
    if (r.inOperation) continue;
    r.labels.push_back({x, (rows + 1) * BattleResults::kRowStep + BattleResults::kTop, BattleResults::kLabelWidth,
                        Text(kStrScore) + std::to_string(BattleResults::ScorePercent(r.share[s]))});
  }
  if (!r.inOperation) {
    r.level = BattleResults::LevelFromShares(r.share[0], r.share[1]);
    if (endState[1] == 2 && endState[0] != 2) r.resultLine = Text(kStrAlliedSurrender);
    if (endState[0] == 2 && endState[1] != 2) r.resultLine = Text(kStrAxisSurrender);
    r.resultLine += BattleResults::LevelName(r.level);
    r.labels.push_back({BattleResults::kResultX, (rows + 2) * BattleResults::kRowStep + BattleResults::kTop,
                        BattleResults::kLabelWidth, r.resultLine});
  }
  if (campaign != nullptr) {
    const int32_t y = (rows + 2) * BattleResults::kRowStep + BattleResults::kTop;
    if (r.operationOver) {
      r.level = BattleResults::kDrawLevel + campaign->GetResultLevel();
      r.resultLine = Text(kStrOperationResult) + BattleResults::LevelName(r.level);
    } else {
      r.resultLine = BattleResults::BattlesComplete(campaign->currentTurn - 1, campaign->lastTurn);
    }
    r.labels.push_back({BattleResults::kResultX, y, BattleResults::kLabelWidth, r.resultLine});
    if (!r.operationOver) {
      r.nightLine = BattleResults::NightfallLine(campaign->currentTurn, campaign->lastTurn, campaign->nightEvery,
                                                 campaign->openingSlot);
      if (!r.nightLine.empty()) {
        r.labels.push_back({BattleResults::kResultX, y + BattleResults::kRowStep, BattleResults::kLabelWidth, r.nightLine});
      }
    }
  }
  if (!r.inOperation || r.operationOver) r.buttons.push_back({97, 11100, 147, kButtonY});
  r.buttons.push_back({98, 11101, 393, kButtonY});
  if (network) {
    r.labels.push_back({2, BattleResults::kHeight - kChatLabelRise, kChatLabelWidth, Text(kStrClickMapForChat)});
  }
  results = std::move(r);
  if (resultsScreen != nullptr) resultsScreen->ShowResults(results);
}
