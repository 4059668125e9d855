#pragma once
#include <cstdint>

#include "game/units/ports/InanimateServices.h"
#include "game/units/Unit.h"

class GFile;
class GString;
class Map;

// A battlefield object that is not a fighting unit (unit kind 2): roadblock (0), barbed wire (1),
// target reference point (2), ambush marker (3), antipersonnel mines (4), antitank mines (5),
// a daisy chain of antitank mines (6), and the editor's markers: large (8) and small (9)
// victory flags and a reinforcement group's arrival point (10). The object kind is the unit's
// class index. Objects live in the battle's unit list, are saved and exchanged with it and
// drawn on the map; minefields are the only ones that act.
class Inanimate : public Unit, public InanimateServices {
 public:
  static constexpr int32_t kRoadblock = 0;
  static constexpr int32_t kWire = 1;
  static constexpr int32_t kReferencePoint = 2;
  static constexpr int32_t kAmbushMarker = 3;
  static constexpr int32_t kPersonnelMines = 4;
  static constexpr int32_t kTankMines = 5;
  static constexpr int32_t kMineChain = 6;
  static constexpr int32_t kLargeFlagMarker = 8;
  static constexpr int32_t kSmallFlagMarker = 9;
  static constexpr int32_t kReinforcementMarker = 10;
  // A mine test runs on every slice divisible by this.
  static constexpr int32_t kMineTestSlices = 4;
  // The ambush marker watches on every slice counter divisible by this.
  static constexpr int32_t kAmbushWatchSlices = 40;
  // Spotting ranges: roadblock and wire, and a daisy chain.
  static constexpr float kObstacleSpottingRange = 1200.0f;
  static constexpr float kMineChainSpottingRange = 120.0f;

  // The kind table: footprint width and depth, culling box height and purchase cost.
  struct KindData {
    float width;
    float depth;
    float boxHeight;
    float cost;
  };
  // A kind of 0..6 or 8..10.
  static bool IsValidKind(int32_t kind) { return kind >= 0 && kind <= 10 && kind != 7; }
  // The table row of a valid kind; any other is a programmer error.
  static const KindData& DataOf(int32_t kind);

  Inanimate();
  // Registers the makers of kind 2 with CreateUnit and the file reader.
  static void Register();

  // Makes the object: its kind, the side of the nationality group (0 Axis, else Allied), its
  // place, its footprint and culling box. A kind of 7 or above 10 is a programmer error.
  void Init(int32_t objectKind, int32_t nationalityGroup, float px, float py, float newFacing);

  // ---- Kind services ----
  InanimateServices* AsInanimate() override { return this; }
  Inanimate* AsInanimateUnit() final { return this; }
  int32_t GetKind() const override { return classIndex; }
  bool IsRevealedThisTurn() const override { return revealedThisTurn != 0; }

  // The eight footprint points (corners 0..3, then points toward the middles of the sides),
  // about the centre, or placed at the object with absolute.
  void GetFootprintPoints(float* xs, float* ys, bool absolute) const;
  // The culling box as set at initialisation: a square of 1.8 x the larger footprint side.
  void SetViewBox();

  // ---- Unit operations ----
  void Read(GFile& file) override;
  void Write(GFile& file) const override;
  void PrepareAppearance() override;
  void StampFootprint() override;
  bool CanDeployAt(float px, float py) override;
  bool CanMove() const override { return false; }
  void BeginTurn() override;
  bool CanStandAt(float px, float py, bool mapTest) override;
  bool IsCommandable() const override;
  void UpdateMorale() override {}
  void TakeDamage(Unit* firer, int32_t weapon, int32_t ammoKind, float px, float py, float pz) override;
  void GetDisplayName(GString& text) const override;
  void StepSlice(int32_t slice) override;
  void UpdateSlice(int32_t slice) override;
  void Draw(bool pick) override;
  float GetPurchaseCost() const override;
  void UpdateSpotting() override;
  void ApplyModelScale(float& /*scale*/) override {}
  float GetAirAttackValue(int32_t /*attackKind*/) override { return -1.0f; }

  // Long (true) or short name of a valid kind: strings 5300 + kind and 5400 + kind.
  void AppendName(GString& text, bool longForm) const;

  // ---- Minefields ----
  // One mine test of this minefield against the unit: the box and kind tests, the chance and,
  // when the draw falls below it, the mine going off. True when it went off.
  bool TestMine(Unit& victim);
  // The chance per test that the unit sets the minefield off (0 when it cannot).
  float MineChance(const Unit& victim) const;

  // ---- Reinforcement markers ----
  // The marker id the battle's marker conversion gives: -(i + 1) for the reinforcement group
  // at index i (0 for none). Its picture is graphic 10039 - id in texture slot 3 - id. Not
  // stored: markers live only while the editor shows them.
  int32_t markerId = 0;
  // The flat texture slot of the marker's picture; -1 when it falls outside the table.
  int32_t MarkerSlot() const;

  // ---- Fields, in stored order ----
  float halfWidth = 0.0f;
  float halfDepth = 0.0f;
  uint8_t revealedThisTurn = 0;

 private:
  // The shape draws of Draw.
  void DrawFlatQuad(int32_t slot, float height);
  void DrawMound(const Map& map, float alpha);
  void DrawSign(const Map& map, int32_t slot, bool reinforcement);
  void DrawFlagMarker();
};
