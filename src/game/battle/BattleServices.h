#pragma once
#include <cstdint>

#include "game/battle/BattleUnitServices.h"

class BattleInPlay;
class MapAppServices;
class SquadNaming;

// The units' battle services of the battle in play: the battle that BattleInPlay hands them
// answers through BattleUnitServices; the map's battle or operation comes from BattleInPlay,
// the program's services and its editor's squad naming from the program. None is owned.
class BattleServices final : public BattleUnitServices {
 public:
  BattleServices(MapAppServices& app, const BattleInPlay& inPlay, const SquadNaming* naming)
      : app_(app), inPlay_(inPlay), naming_(naming) {}
  BattleServices(const BattleServices&) = delete;
  BattleServices& operator=(const BattleServices&) = delete;

  MapAppServices* GetApp() override { return &app_; }
  MapBattleServices* GetBattleOrOperation() override;
  MapBattleServices* GetOperation() override;
  bool IsEditorOpen() const override;
  bool IsSquadSuffixHidden() const override;
  // The bonus given the computer's side: the battle's in play, else the operation's, else 0.
  int32_t GetComputerBonus() const override;

 private:
  MapAppServices& app_;
  const BattleInPlay& inPlay_;
  const SquadNaming* naming_;
};
