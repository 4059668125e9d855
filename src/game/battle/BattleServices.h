#pragma once
#include <cstdint>

#include "game/battle/BattleUnitServices.h"

class BattleServicesHost;
class MapAppServices;
class ShotObserver;

// The units' battle services a program holds: the battle in play answers through
// BattleUnitServices; the program's services, its editor and the battle and operation in play
// come from the program that holds them. Neither is owned.
class BattleServices final : public BattleUnitServices {
 public:
  BattleServices(MapAppServices& app, BattleServicesHost& host) : app_(app), host_(host) {}
  BattleServices(const BattleServices&) = delete;
  BattleServices& operator=(const BattleServices&) = delete;

  MapAppServices* GetApp() override { return &app_; }
  bool IsEditorOpen() const override;
  bool IsSquadSuffixHidden() const override;
  // The bonus given the computer's side: the battle's in play, else the operation's, else 0.
  int32_t GetComputerBonus() const override;
  // The shot goes to the battle in play; an observer set is told of it first.
  void FileShot(const Shot& shot) override;

  // Who is told of the shots filed to the battle in play (null: nobody); not owned.
  void SetShotObserver(ShotObserver* observer) { shotObserver_ = observer; }

 protected:
  Battle* BattleForUnits() const override;

 private:
  MapAppServices& app_;
  BattleServicesHost& host_;
  ShotObserver* shotObserver_ = nullptr;
};
