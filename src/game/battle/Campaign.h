#pragma once
#include <cstdint>
#include <vector>

#include "game/battle/BattleBase.h"
#include "game/battle/UnitList.h"

class Battle;
class CampaignHost;
class CampaignUnitHost;
class GGroup;
class GFile;
class Map;
class ReinforcementGroup;
class Unit;

// The operation: battles in series on one map of the whole operation area, which it owns,
// with every unit of both sides between battles, the front line and the running loss tallies.
// The base's current turn is the battle counter (from 1), its last turn the number of battles.
// Each battle is cut out of the operation map around the front.
//
// Side index 0 is the Axis, 1 the Allies. Edges: 0 West (x = 0), 1 North (high y), 2 East
// (high x), 3 South (y = 0).
class Campaign : public BattleBase {
 public:
  // The stored length of the operation's own part after the base (no extension bytes).
  static constexpr uint32_t kStoredSize = 75;
  static constexpr int32_t kTallies = 8;

  // The host is where the battle in play lives; without one no battle is ever current.
  explicit Campaign(MapAppServices& app, CampaignHost* host = nullptr);
  ~Campaign() override;

  CampaignHost* Host() const { return host_; }

  // The base, then the operation's own part. A refused stream leaves the file's error flag
  // raised and this object to be discarded.
  void Write(GFile& file) const override;
  void Read(GFile& file) override;
  // The operation's own part alone: 75 bytes, then the extension bytes.
  void WriteOperationPart(GFile& file) const;
  // False (file's error flag raised, one line logged) for a value out of range. A stream that
  // ends just before the extension marker is an older file: the later fields keep their
  // values. While a battle is current only its victory flags of type 2 stay.
  bool ReadOperationPart(GFile& file);

  // The order of arrival: 0 and later arrivals ascending, then the reserves -1, -2, -3 ...
  static int32_t CompareArrival(int32_t a, int32_t b);
  // Sorts both sides' reinforcement groups by arrival.
  void SortReinforcementGroups();

  // Sets the operation up from a stream (then, with no battle current and the editor closed,
  // its battle is made and set up), or fresh on a new operation map. False when the stream is
  // refused.
  bool SetUp(GFile* stream);
  // The set-up zones of a fresh operation map: the attacker's strip along its edge and the
  // defender's band beyond no man's land.
  void SetInitialZones();
  // Makes the next battle, makes it the one in play and opens the battle screen.
  void StartNextBattle();
  // Prepares a newly constructed battle from the operation: its settings, its map cut out of
  // the operation map, the units inside the window, edges, time of day and weather.
  void SetUpBattle(Battle& battle);
  // The battle window in tiles of the operation map: the whole map along the front, the
  // window size across it, centred on the front and held inside the map.
  void GetBattleWindow(int32_t& x, int32_t& y, int32_t& w, int32_t& h) const;
  // Makes the current battle's map from the window of the operation map.
  void BuildBattleMap();
  // The steps of BuildBattleMap: the import block of the window's tiles (terrain codes,
  // height levels, zones), and the move of the window's buildings and craters to the target
  // map, with copies of its landmarks, all shifted by the window corner.
  std::vector<uint8_t> MakeImportBlock(int32_t x, int32_t y, int32_t w, int32_t h) const;
  void MoveWindowObjects(Map& target, int32_t x, int32_t y, int32_t w, int32_t h);
  // Places a group arriving on the operation map near its side's edge of the battle window.
  void PlaceArrivingGroup(ReinforcementGroup& group);

  // The weather of a battle by pattern from the draw r (0..99); precipitation and fog may
  // draw further.
  static int32_t ChooseWeather(int32_t pattern, int32_t r, int32_t timeOfDay, int32_t season, int32_t ground);
  // Whether a unit shifted onto the battle map stands there: the seam where the unit's own
  // placement rule answers; by default, a point on the battle map.
  virtual bool PlaceUnitInBattle(Unit& unit, Battle& battle);

  // ---- The front line, the end test and the result (CampaignFront.cpp) ----
  // Tiles from the attacker's edge of a battle-map position across the front, moved 1.6
  // times as far from the present front except in "Destroy".
  int32_t FrontFromPosition(float metres, bool horizontal) const;
  // Moves the front from where the battle in play left the two sides.
  void UpdateFrontLine();
  // The front reached the defender's side of no man's land at the far edge.
  bool AttackerBrokeThrough() const;
  // The operation ends: after the first battle, the attacker thrown back to its own edge, or
  // (except in "Destroy") a breakthrough; and always once the last battle is fought.
  bool IsOver() const;
  // -4..4, positive for the Allied side; a surrender in the battle in play gives 4 (Axis
  // surrendered) or -4 (Allied surrendered).
  int32_t GetResultLevel() const;
  // The front in metres from the attacker's edge, and the map's extent across the front.
  float FrontMetres() const;
  float FrontExtent() const;
  bool IsAcrossWestEast() const;
  // ---- End of the front line ----

  // ---- Between battles (CampaignPipeline.cpp) ----
  // The pipeline after a battle's results: everything back from the battle in play, then
  // the steps below in order; at the end no battle is in play, reserves and reinforcements
  // may have arrived and the night intents are reset.
  void AdvanceBetweenBattles();
  // The operation's arrival step: the groups' own arrival, then each side's first reserve
  // (arrival -1, -2, -3) by the strength ratio of the sides or by chance.
  void BringReinforcements() override;
  // Whether a side's reserve of depth k (0..2) is released: by the strength ratio first,
  // else by chance when the reserve is at least 0.75 of its side's strength.
  bool ReleaseReserve(int32_t side, int32_t k, float attackerStrength, float defenderStrength,
                      float reserveStrength) const;
  // The strength of a side's units in a group: purchase cost by the share of men present.
  static float SideStrength(GGroup& group, int32_t side);
  void DismountPassengers(Battle& battle);
  void TakeBackBattle();
  void MergeDepletedSquads();
  // A side's area (attacker's or defender's) in tiles, [x0, x1) x [y0, y1), with or without
  // the gap of half no man's land from the front.
  void GetSideArea(bool attackerSide, bool withGap, int32_t& x0, int32_t& y0, int32_t& x1, int32_t& y1) const;
  void RedrawZones(bool promote);
  // Fills the in-supply and cut-off lists: units whose tile reaches their side's edge through
  // their own or open ground are in supply.
  void TraceSupply();
  void ClearContestedTiles();
  void PullBackUnits();
  void RepairVehicles();
  void MarkLostWrecks();
  void DiscardUnits();
  void RecoverVehicles();
  // A recovered vehicle comes back as a reinforcement group of its side, by the side's
  // recovery setting; the draws decide whether and when.
  void ScheduleRecoveredVehicle(const Unit& vehicle);
  // The battle in which a vehicle recovered by setting rec after battle n arrives.
  int32_t RecoveryArrival(int32_t rec, int32_t n) const;
  void RemoveGoneUnits();
  void ApplySupplyState();
  void Resupply();
  void ResetUnits();
  void RemoveOrphanCrews();
  void EvolveGroundCondition();
  // The operation's ground after a battle of weather w on ground g, the operation's ground
  // being G and night every N; may draw once.
  static int32_t EvolveGround(int32_t weather, int32_t g, int32_t G, int32_t N);
  // The seams where a unit's own rules answer (what the unit classes give, until they give
  // more): the pull-back into an area, the discard test (the unit's own, the operation's units
  // being those that go on), the supply state (men return to infantry in supply) and the
  // recovered vehicle's making (its class, side, rating, designation and commander).
  virtual bool PullBack(Unit& unit, float left, float bottom, float right, float top);
  virtual bool DiscardBetweenBattles(Unit& unit);
  virtual void SetSupplyState(Unit& unit, bool supplied);
  virtual Unit* MakeRecoveredVehicle(const Unit& vehicle);
  // ---- End of between battles ----

  // ---- The operation's own fields, in stored order of meaning ----
  int32_t operationType = 1;      // 0 "Advance", 1 "Assault", 2 "Destroy"
  int32_t expectedProgress = 70;  // percent
  float casualtyRatio = 1.0f;     // attacker to defender losses allowed
  int32_t nightEvery = 4;         // 0 no night, 2..10 every n-th battle at night
  int32_t openingSlot = 0;        // 0..9
  int32_t battleTurns = 15;
  int32_t windowSize = 60;        // tiles across the front
  int32_t attackerEdge = 0;
  int32_t weatherPattern = 1;     // 0 "Good", 1 "Mixed", 2 "Bad"
  int32_t windowX = 0;            // corner of the current battle window, tiles
  int32_t windowY = 0;
  int32_t frontLine = 30;         // tiles from the attacker's edge
  int32_t noMansLand = 400;       // metres
  uint8_t mayStartNight[2] = {1, 0};
  int32_t supply[2] = {2, 1};     // 0..5
  int32_t recovery[2] = {2, 0};   // 0..4
  int32_t nightIntent[2] = {0, 0};  // 0 undecided, 1 no night action, 2 night action
  // Per side: men lost, captured, mortars, guns, pillboxes, vehicles, airplanes, men killed.
  int16_t lossTally[2][kTallies] = {};
  UnitList inSupply;  // not owning
  UnitList cutOff;    // not owning

 private:
  // ---- Between battles ----
  // Removes the unit from both lists and the unit group and deletes it; no unit keeps a
  // reference to it, and a vehicle's crews become orphans.
  void DeleteUnit(Unit* unit);
  // After a step that deleted units: every unit drops its references to them.
  void DropReferencesToDeleted();
  static bool MayMerge(const Unit& unit);
  void MergeSquad(Unit& u, Unit& p);
  void PaintArea(bool attackerSide);
  void SupplyFloodFill(std::vector<uint8_t>& grid, std::vector<int32_t>& stack, int32_t start, uint8_t zone) const;
  CampaignUnitHost* unitHost_ = nullptr;
  std::vector<Unit*> orphanCandidates_;
  bool deletedUnits_ = false;
  // ---- End of between battles ----
  // The attacker's level before the sign for the Allied side.
  int32_t AttackerLevel() const;
  // Before the first battle: 0 for a side a human plays, else 2 for an attacker that may
  // start night action, else 1.
  void ResetNightIntents();

  CampaignHost* host_;
};
