#pragma once

#include <memory>

#include "game/battle/BattleServices.h"

class Battle;
class BattleBase;
class BattleOrderHost;
class Campaign;
class MapAppServices;
class MapBattleServices;
class SquadNaming;

// The battle in play and what stands for it: the battle, the operation, the battle or
// operation being read from a file, and whether the operation is being served between its
// battles. It holds the services the units ask and the host their orders ask, which reach the
// battle through it alone. The program and headless play each hold one; neither the battle nor
// the operation is owned.
class BattleInPlay {
 public:
  // naming: the open editor's squad naming, null where no editor is ever shown.
  BattleInPlay(MapAppServices& app, const SquadNaming* naming);
  ~BattleInPlay();
  BattleInPlay(const BattleInPlay&) = delete;
  BattleInPlay& operator=(const BattleInPlay&) = delete;

  // The battle in play, or null; a new one replaces the old (which is not deleted).
  Battle* GetBattle() const { return battle_; }
  void SetBattle(Battle* battle);
  // The operation in play, or null.
  Campaign* GetCampaign() const { return operation_; }
  void SetCampaign(Campaign* operation) { operation_ = operation; }

  // While a file is read, the battle or else the operation being read is the one the units
  // and the map find in play; null when the read is over.
  void ReadBattle(Battle* battle);
  void ReadOperation(Campaign* operation);
  void EndRead() { ReadBattle(nullptr); }
  // Between an operation's battles its units stand on its own map: while set the operation
  // answers for the map and the units, and no battle answers the units.
  void ServeOperation(bool on);
  bool IsServingOperation() const { return serving_; }

  // What the map finds in play: the base being read, else the operation while it is served,
  // else the battle, else the operation.
  MapBattleServices* GetBattleOrOperation() const;
  // The battle the units ask: the battle being read (none while an operation is read), none
  // while the operation is served, else the battle in play.
  Battle* BattleForUnits() const;
  // The base the units stand in: the one being read, none while the operation is served, else
  // the battle in play.
  const BattleBase* BaseForUnits() const;

  // The services the units ask, installed in their context by whoever holds this object.
  BattleServices& Services() { return services_; }
  // What the units' orders ask of the battle and the operation in play (the selected waypoint,
  // the edges, the crews that bail out), installed beside the services while the battle's
  // screen is open.
  BattleOrderHost& Orders() { return *orders_; }

 private:
  // The services answer from the battle the units ask now.
  void HandOverBattle() { services_.SetBattle(BattleForUnits()); }

  Battle* battle_ = nullptr;
  Campaign* operation_ = nullptr;
  BattleBase* reading_ = nullptr;
  Battle* readingBattle_ = nullptr;
  bool serving_ = false;
  BattleServices services_;
  std::unique_ptr<BattleOrderHost> orders_;
};
