#pragma once
#include <cstdint>

#include "game/battle/BattleUnitServices.h"

class BattleServicesHost;
class MapAppServices;

// The units' battle services a program holds: the battle in play answers through
// BattleUnitServices; the program's services, its editor and the battle in play come from the
// program that holds them. Neither is owned.
class BattleServices final : public BattleUnitServices {
 public:
  BattleServices(MapAppServices& app, BattleServicesHost& host) : app_(app), host_(host) {}
  BattleServices(const BattleServices&) = delete;
  BattleServices& operator=(const BattleServices&) = delete;

  MapAppServices* GetApp() override { return &app_; }
  bool IsEditorOpen() const override;
  bool IsSquadSuffixHidden() const override;
  int32_t GetComputerBonus() const override;

 protected:
  Battle* BattleForUnits() const override;

 private:
  MapAppServices& app_;
  BattleServicesHost& host_;
};
