// Small game files of the real unit classes, written by the game file writer: the play fuzz
// target lays its mutations over them and the corpus tool writes them as that target's seeds.
// They stand on the fuzzers' small flat map with two squads a side, so that a mutated file is
// read, drawn and played in a fraction of the time a shipped scenario takes, while still
// holding every part a game file has (header, settings, map, battle, units, groups, an
// operation). The unit tables must be loaded and the unit kinds registered first.
#pragma once

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "FuzzSmallMap.h"
#include "app/GameFile.h"
#include "app/GameFileSettings.h"
#include "framework/core/GMemoryFile.h"
#include "game/battle/Battle.h"
#include "game/battle/Campaign.h"
#include "game/battle/HeadlessBattle.h"
#include "game/battle/ReinforcementGroup.h"
#include "game/units/infantry/Infantry.h"

class FuzzSmallGames {
 public:
  struct Game {
    const char* name;
    std::string content;  // the decoded content, as the game file's readers see it
  };

  // A saved game in its second turn, the same battle as a scenario in its set-up, and an
  // operation in the set-up of its first battle.
  static std::vector<Game> Make() {
    std::vector<Game> games;
    {
      HeadlessBattle headless;
      headless.New();
      Battle& battle = *headless.GetBattle();
      FuzzSmallMap::Use(battle);
      Populate(battle);
      GameFileSettings scenario;
      scenario.editorOpen = 1;
      scenario.editorTwoPlayers = 1;
      scenario.sideToPlay = 0;
      games.push_back({"small-scenario", Written(scenario, &battle, nullptr)});
      battle.setupPhase = 0;
      battle.currentTurn = 2;
      GameFileSettings saved;
      saved.humanPlayers = 1;
      saved.sideToPlay = 0;
      saved.sharedSeed = 4242;
      saved.gameName.Assign("Small Crossing");
      games.push_back({"small-saved-game", Written(saved, &battle, nullptr)});
    }
    {
      HeadlessBattle headless;
      std::string bytes;
      {
        Campaign campaign(headless.Host(), &headless);
        headless.Host().InPlay().SetCampaign(&campaign);
        campaign.SetUp(nullptr);
        FuzzSmallMap::Use(campaign);
        campaign.title.Assign("Small Operation");
        campaign.lastTurn = 3;
        campaign.nightEvery = 0;
        campaign.battleTurns = 2;
        // Side index 1 attacks from the west edge.
        const float m = FuzzSmallMap::kMetres;
        campaign.units.Append(Squad(1, 40, m * 0.1f, m * 0.3f));
        campaign.units.Append(Squad(1, 41, m * 0.1f, m * 0.7f));
        campaign.units.Append(Squad(0, 1, m * 0.8f, m * 0.4f));
        campaign.units.Append(Squad(0, 2, m * 0.8f, m * 0.6f));
        GMemoryFile out;
        campaign.Write(out.File());
        headless.Host().InPlay().SetCampaign(nullptr);
        bytes = out.Bytes();
      }
      if (!headless.LoadOperationBytes(bytes)) std::abort();
      GameFileSettings scenario;
      scenario.editorOpen = 1;
      scenario.sideToPlay = 2;
      games.push_back({"small-operation", Written(scenario, headless.GetBattle(), headless.GetCampaign())});
    }
    return games;
  }

 private:
  static Unit* Squad(int32_t sideIndex, int32_t classIndex, float x, float y) {
    auto* unit = new Infantry();
    unit->Init(classIndex, sideIndex == 0 ? 6 : 0, 2, x, y, sideIndex == 0 ? 0.0f : 180.0f);
    unit->side = static_cast<uint8_t>(1 - sideIndex);
    return unit;
  }

  // Two squads a side facing each other across the map, and a waiting group a side.
  static void Populate(Battle& battle) {
    battle.title.Assign("Small Crossing");
    battle.lastTurn = 12;
    const float m = FuzzSmallMap::kMetres;
    for (int32_t i = 0; i < 2; ++i) {
      const float x = m * (0.4f + 0.2f * static_cast<float>(i));
      Unit* axis = Squad(0, 1 + i, x, m * 0.2f);
      Unit* allied = Squad(1, 40 + i, x, m * 0.8f);
      battle.AddUnitToMap(axis, axis->x, axis->y);
      battle.AddUnitToMap(allied, allied->x, allied->y);
    }
    battle.sideOnMap[0] = 0;
    battle.sideOnMap[1] = 0;
    for (int32_t side = 0; side < 2; ++side) {
      auto* group = new ReinforcementGroup();
      group->Init(false);
      group->arrivalTurn = 3;
      group->units.Append(Squad(side, side == 0 ? 5 : 44, 0.0f, 0.0f));
      battle.reinforcements[side].Append(group);
    }
    battle.briefing[2] = "Hold the crossing.";
  }

  static std::string Written(GameFileSettings& settings, Battle* battle, const Campaign* operation) {
    GMemoryFile out;
    GameFile::Write(out.File(), settings, battle, operation);
    if (out.File().HasError()) std::abort();
    return out.Bytes();
  }
};
