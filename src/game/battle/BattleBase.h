#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "framework/core/GObject.h"
#include "framework/core/GObjectGroup.h"
#include "framework/core/GString127.h"
#include "game/battle/UnitList.h"
#include "game/map/MapBattleServices.h"

class GFile;
class Map;
class MapAppServices;
class GGroup;
class ReinforcementGroup;
class ReinforcementSettings;
class Unit;

// The common base of the battle and the operation: the scenario's date, turns, attacker and
// ground, the map, the units on it and those waiting in reinforcement groups. It answers the
// map's and the units' questions from its fields.
//
// Side index 0 is the Axis, 1 the Allies; per-side blocks of the stored form are written side
// index 1 first.
class BattleBase : public GObject, public MapBattleServices {
 public:
  // The packed id scheme: at most 9,999 units on the map, 20 groups a side, 500 units a group.
  static constexpr int32_t kMaxMapUnits = 9999;
  static constexpr int32_t kMaxGroups = 20;
  static constexpr int32_t kMaxGroupUnits = 500;
  static constexpr int32_t kFirstDate = 3901;
  static constexpr int32_t kLastDate = 4612;

  explicit BattleBase(MapAppServices& app);
  ~BattleBase() override;
  BattleBase(const BattleBase&) = delete;
  BattleBase& operator=(const BattleBase&) = delete;

  MapAppServices& App() const { return *app_; }

  // Member set-up before reading or building: no map, base flag 1, bonus and fanaticism 0,
  // empty unit group and reinforcement lists, no side on the map.
  void InitMembers();

  // The stored base: settings, units, the packed byte, each side's reinforcement groups and
  // fanaticism, the map. Reading is ReadBase; a refused stream leaves the file's error flag
  // raised and this object to be discarded.
  void Write(GFile& file) const override;
  void Read(GFile& file) override { ReadBase(file); }
  bool ReadBase(GFile& file);

  // The arrival step (BattleReinforcements.cpp): with two players by e-mail the generator is
  // seeded with the file's shared seed first; then every group of side index 0, then 1,
  // checks its arrival, and an arrived group is removed and deleted.
  virtual void BringReinforcements();
  bool PastLastTurn() const { return currentTurn > lastTurn; }

  // 0 none; 1..9999 the unit group's member id - 1; (side + 1) x 10000 + group x 500 + index
  // a unit waiting in a reinforcement group. Null for an id that names no unit.
  Unit* UnitFromId(int32_t id) const;
  int32_t UnitCount() const { return units.Count(); }
  Unit* UnitAt(int32_t index) const;
  ReinforcementGroup* GroupAt(int32_t side, int32_t index) const;
  // The units list of a side's reinforcement group.
  GGroup& GroupUnits(int32_t side, int32_t index) const;

  // ---- What the map and the units read ----
  const Map* GetMap() const override { return map; }
  bool IsSnowGround() const override { return groundCondition >= 6 && groundCondition <= 8; }
  int32_t GetGroundCondition() const override { return groundCondition; }
  int32_t GetWeather() const override { return weather; }
  int32_t GetSeason() const override { return season; }
  int32_t GetDate() const override { return date; }
  int32_t GetTimeOfDay() const override { return timeOfDay; }
  float GetVisibilityFactor() const override { return visibilityFactor; }
  int32_t GetVisibilityClass() const override { return visibilityClass; }
  int32_t GetPlacingSide() const override { return placingSide; }
  bool IsNoRecord() const override { return noRecord != 0; }
  bool GetReplayFlag(int32_t index) const override { return replayFlags[index & 1] != 0; }
  int32_t GetCurrentSlice() const override { return currentSlice; }
  int32_t GetUnitCount() const override { return units.Count(); }
  MapUnitView* GetUnit(int32_t index) const override;
  // Walks only the vehicles of the unit group: a sight line asks this for every trace. The
  // vehicles are listed again whenever the group's members differ from those last seen.
  void CollectSightVehicles(SightUnitList& list, float minX, float minY, float maxX, float maxY) const override;
  // How many times that list of vehicles was made.
  int64_t SightVehicleListings() const { return sightVehicles_.listings; }
  // The packet list and the effect list come with the action phase; until then nothing is
  // recorded.
  void RecordPacket(const MapPacket& /*packet*/) override {}
  void AddCollapseEffect(float /*x*/, float /*y*/, bool /*tall*/, int32_t /*argument*/) override {}
  void StartTileFire(int32_t /*tileX*/, int32_t /*tileY*/) override {}
  // An operation between battles shows no exit zones and no selection rectangle; the battle
  // answers for itself.
  bool WantsExtraEffectTextures() const override { return false; }
  void SetSelectionDrag(bool /*dragging*/) override {}
  void GetBattlefieldViewSize(int32_t& width, int32_t& height) const override {
    width = 0;
    height = 0;
  }
  GObject* NewPictureView(int32_t /*left*/, int32_t /*top*/, int32_t /*width*/, int32_t /*height*/) override {
    return nullptr;
  }
  int32_t ReinforcementId(const MapUnitView* unit) const override;
  MapUnitView* ReinforcementUnit(int32_t id) const override;

  // ---- Force enlargement and the unit-list services (BattleEnlarge.cpp, BattleUnitLists.cpp) ----
  // Enlarges side index 0's force (value negative) or side 1's (positive) by |value| percent,
  // in the unit group and the side's reinforcement groups, then names every unit again.
  virtual void EnlargeForce(int32_t value);
  // Enlarges one list's units of the side by percent; the units added, appended to the list.
  // The loop ends after 300 overshoots or when no candidate is left.
  int32_t EnlargeUnitList(GGroup& list, int32_t side, int32_t percent);
  // The naming step: designation and leader name; in an operation the zone code of the side
  // (4 Axis, 1 Allied) unless the unit's is 7.
  void NameUnit(Unit& unit) const;
  // The nationality code most of the side's units hold (vehicles of kind code 5 not
  // counted), after the side's codes are folded together; 6 (side 0) or 0 (side 1) when none.
  int32_t MainNationalityCode(int32_t sideIndex) const;
  // The unit group or one of the side's reinforcement groups holds a boat of the side.
  bool SideHasBoat(int32_t sideIndex) const;
  // Files older than version 3: every artillery spotter's first ammunition count c, when not
  // 0, becomes c x 4 + 3.
  void UpgradeOldUnitData();
  // Every unit of the unit group, then of side index 0's and 1's reinforcement groups.
  std::vector<Unit*> AllUnits() const;
  // ---- End of force enlargement and the unit-list services ----

  // ---- Purchased forces (BattleUnitLists.cpp) ----
  // Each side's six lists ("On Map", "Reinforce 1" .. "Reinforce 5"), either side's absent
  // (null). The "On Map" units join the unit group; unless keepReinforcements, each side
  // given loses its reinforcement groups and every filled slot list becomes a new group
  // carrying the settings of that slot (defaults without settings).
  void TakePurchasedUnits(GGroup* const* side0Lists, GGroup* const* side1Lists, bool keepReinforcements,
                          const ReinforcementSettings* settings);
  // ---- End of purchased forces ----

  // ---- Start views (screen/BattleStartViews.cpp) ----
  // Each side whose camera was never placed (level unset) or stands off the map gets a start
  // view: level 2, 25 m behind the side's first unit and looking toward the map's centre; a
  // side without units looks in from beyond its own corner of the map.
  void SetStartViews();

  // ---- Fields of the scenario ----
  int32_t date = 4411;        // YYMM, 3901..4612
  int32_t currentTurn = 1;    // from 1 (the operation's battle counter)
  int32_t lastTurn = 30;
  int32_t computerBonus = 0;  // "Computer Experience Bonus" 0..3
  uint8_t baseFlag = 1;       // the editor may open the scenario for set-up
  int32_t attacker = 1;       // side index, 2 meeting engagement
  int32_t groundCondition = 1;  // 0 "Very Dry" .. 8 "Deep Snow"
  Map* map = nullptr;           // owned
  UnitList units;               // every unit on the map, owned
  int32_t fanaticism[2] = {};   // 0..4 per side
  GObjectGroup reinforcements[2];  // ReinforcementGroup per side, owned
  uint8_t sideOnMap[2] = {};       // a unit of the side was placed on the map
  void* pointersA[3] = {};
  void* pointersB[3] = {};
  GString127 title;
  // The briefing texts: Axis, Allied, overall. Stored by the game file, not by the base's own
  // stored form; a briefing may be several pages long.
  std::string briefing[3];

  // ---- Runtime fields the map and the units read (not stored) ----
  int32_t weather = 0;
  int32_t season = 2;
  int32_t timeOfDay = 0;
  float visibilityFactor = 1.0f;
  int32_t visibilityClass = 0;
  int32_t placingSide = 0;  // the side of the current phase
  uint8_t noRecord = 0;
  uint8_t replayFlags[2] = {};  // the per-side arrival flags the obscuring objects read
  int32_t currentSlice = -1;

 protected:
  // Deletes the map, the units and every reinforcement group with its units.
  void ReleaseMembers();
  // The unit a side's start view stands behind: its first unit on the map, or null.
  virtual const Unit* StartViewUnit(int32_t side) const;

 private:
  MapAppServices* app_;
  // The unit group's members as last seen, and the vehicles among them in their order.
  struct SightVehicles {
    std::vector<const GObject*> members;
    std::vector<const Unit*> vehicles;
    int64_t listings = 0;
  };
  mutable SightVehicles sightVehicles_;
};

