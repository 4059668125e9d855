#pragma once
#include <array>
#include <cstdint>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "game/battle/ShotObserver.h"

class Battle;
class HeadlessBattle;
class Unit;
struct Shot;

// A readable account of a headless battle played turn by turn: per turn the shots filed by fire
// kind (1-8; 0 for anything else) and how many of them struck their armoured target, the
// vehicle hit reports with how many of them penetrated, immobilised, destroyed the gun or
// glanced off, the vehicles knocked out and the men lost by side, who holds each victory flag
// and the two score shares when the next turn opens, the vehicles' machine-gun shots by gun
// (rifle calibre, .50, flame), the infantry units riding vehicles when the turn's action begins
// (with the squads among them), and what the off-map batteries did: the craters their rounds
// left and the men their observers' kill records gained; at the end the vehicles destroyed by
// the killer's main weapon and the battle's results. The same battle and seeds give the same text on every machine and
// build, so a change of the game's behaviour reads as a change of lines.
//
// While it lives the report watches the shots the headless battle's services file, counting
// each as it is filed; it answers nothing of the battle.
class BattleReport {
 public:
  static constexpr int32_t kFireKinds = 9;

  explicit BattleReport(HeadlessBattle& headless);
  ~BattleReport();
  BattleReport(const BattleReport&) = delete;
  BattleReport& operator=(const BattleReport&) = delete;

  // After the battle is loaded: the computer takes both sides and, in a set-up phase, places
  // both sides' units with the seed. Gives the opening lines and the column heads.
  std::string Begin(uint16_t setupSeed);
  // Plays one turn with the seed and opens the next unless the battle is over: the turn's line.
  std::string PlayTurn(uint16_t seed);
  // The closing lines: the forces left, the vehicles destroyed by weapon and the results.
  std::string End() const;

 private:
  // The shots filed, counted by fire kind, those that struck, and the vehicles' machine-gun
  // shots by gun group, this turn and in all.
  class Tally final : public ShotObserver {
   public:
    void ShotFiled(const Shot& shot) override;
    std::array<int64_t, kFireKinds> filed{};
    std::array<int64_t, kFireKinds> struck{};
    std::array<int64_t, 3> machineGuns{};
    std::array<int64_t, 3> machineGunsInAll{};
    std::vector<std::pair<float, float>> batteryImpacts;  // this turn's, where each round falls
  };
  struct Census {
    std::array<int32_t, 2> men{};
    std::array<int32_t, 2> vehicles{};
    std::map<const Unit*, int32_t> menOf;  // each infantry unit's men present
    // The infantry units aboard a vehicle, and the squads among them.
    std::array<int32_t, 2> riding{};
    std::array<int32_t, 2> squadsRiding{};
  };
  static Census Count(const Battle& battle);
  static std::string FlagsHeld(const Battle& battle);
  // The craters of the map standing where a round of this turn's off-map fire fell.
  int32_t BatteryCraters(const Battle& battle) const;
  // The men the kill records of the units calling off-map fire credit them with.
  static int32_t MenLostToBatteries(const Battle& battle);

  HeadlessBattle& headless_;
  Tally tally_;
  std::map<int32_t, int32_t> knockedOutBy_;
};
