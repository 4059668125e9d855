#pragma once
#include <cstdint>

class GObject;
class Map;
struct MapFlagView;
class MapUnitView;
struct MapPacket;
class SightUnitList;

// The battle or the operation as the map sees it: the conditions the map's passes read,
// its unit group, and the records the map hands it. The battle and the operation implement
// it; tests supply a fake.
class MapBattleServices {
 public:
  virtual ~MapBattleServices() = default;

  // The map this battle or operation owns, or null.
  virtual const Map* GetMap() const = 0;
  // Fought on the snow ground conditions 6, 7 or 8.
  virtual bool IsSnowGround() const = 0;
  // 0 "Very Dry" .. 8 "Deep Snow".
  virtual int32_t GetGroundCondition() const = 0;
  // 0 "Clear" .. 5 "Snow".
  virtual int32_t GetWeather() const = 0;
  // 0 spring, 1 summer, 2 autumn, 3 winter.
  virtual int32_t GetSeason() const = 0;
  // YYMM.
  virtual int32_t GetDate() const = 0;
  // 0 day, 1 dawn or dusk, 2 night.
  virtual int32_t GetTimeOfDay() const = 0;
  // Applied per 2 m sample of a sight line.
  virtual float GetVisibilityFactor() const = 0;
  virtual int32_t GetVisibilityClass() const = 0;
  // 0 or 1.
  virtual int32_t GetPlacingSide() const = 0;
  // While set, packets are made but not recorded.
  virtual bool IsNoRecord() const = 0;
  // The two replay flags that decide whether obscuring objects count before their start.
  virtual bool GetReplayFlag(int32_t index) const = 0;
  // The current time slice, -1 before the first.
  virtual int32_t GetCurrentSlice() const = 0;
  virtual int32_t GetUnitCount() const = 0;
  virtual MapUnitView* GetUnit(int32_t index) const = 0;
  // Appends to the list, in unit-list order, every vehicle whose sight-blocking flag is set
  // and that stands inside the box (bounds included). This walks GetUnit; a battle that knows
  // its units' classes answers the same without a call per unit.
  virtual void CollectSightVehicles(SightUnitList& list, float minX, float minY, float maxX, float maxY) const;
  virtual void RecordPacket(const MapPacket& packet) = 0;
  // The battle shows the effects that need the two extra effect textures (the exit zones).
  virtual bool WantsExtraEffectTextures() const = 0;
  // The unit the player selected, or null; the box-selection drag flag.
  virtual MapUnitView* GetSelectedUnit() const { return nullptr; }
  virtual void SetSelectionDrag(bool dragging) = 0;
  // The visual effect of a collapsing building at (x, y).
  virtual void AddCollapseEffect(float x, float y, bool tall, int32_t argument) = 0;
  // Starts the fire display of a tile that begins to burn (the battlefield drawing's).
  virtual void StartTileFire(int32_t tileX, int32_t tileY) = 0;
  // The battlefield view's size in pixels, and a new picture view of the battle screen placed
  // over it at (left, top); the screen owns the view. Null without a battle screen.
  virtual void GetBattlefieldViewSize(int32_t& width, int32_t& height) const = 0;
  virtual GObject* NewPictureView(int32_t left, int32_t top, int32_t width, int32_t height) = 0;
  // The battle is in its set-up phase (units written then keep no command delay).
  virtual bool IsSetupPhase() const { return false; }
  // The packed id of a unit waiting in a reinforcement group ((side + 1) x 10000 + group x 500
  // + index), 0 when it waits in none, -1 when it waits where the id scheme cannot name it.
  virtual int32_t ReinforcementId(const MapUnitView* /*unit*/) const { return 0; }
  // The unit waiting in a reinforcement group under a packed id of 10000 or more; null when
  // there is none.
  virtual MapUnitView* ReinforcementUnit(int32_t /*id*/) const { return nullptr; }

  // ---- What the battlefield frame asks of the battle ----
  // Draws every unit with the unit scale values of the view level: the scale factor and the
  // growth exponents of infantry and vehicles.
  virtual void DrawUnits(float /*scale*/, float /*infantryExponent*/, float /*vehicleExponent*/) {}
  // Whether a side (0 Axis, 1 Allied) has an exit zone, and its exit edge 0..3.
  virtual bool HasExitZone(int32_t /*side*/) const { return false; }
  virtual int32_t GetExitEdge(int32_t /*side*/) const { return 0; }
  // ---- End of the battlefield frame ----

  // ---- What the fire sounds and the line trace's object collection ask of the battle ----
  // The action phase is being computed (its events are recorded).
  virtual bool IsComputingAction() const { return false; }
  // A unit's own trace asks that objects count before their start slice.
  virtual bool IsOverrideSet() const { return false; }
  // ---- End of the fire sounds' questions ----

  // ---- Short-lived effects of the replay ----
  // Draws the replay's shots and bursts under the map's world transform.
  virtual void DrawEffects(Map& /*map*/) {}
  // ---- End of short-lived effects ----

  // ---- The battlefield view (which also asks IsComputingAction: while the action phase is
  // computed it shows no disabled-timer notice) ----
  // Deselects the selected unit when it can no longer be shown or waits for its link.
  virtual void ValidateSelection() {}
  // ---- End of the battlefield view ----

  // ---- Victory flags as the battlefield draws them ----
  // The battle's flags, in list order; index outside 0..count - 1 gives false.
  virtual int32_t GetFlagCount() const { return 0; }
  virtual bool GetFlagView(int32_t /*index*/, MapFlagView& /*out*/) const { return false; }
  // Whether the side (0 or 1) is shown which of the hidden objectives is the chosen one.
  virtual bool CanSeeHiddenObjectives(int32_t /*side*/) const { return false; }
  // ---- End of victory flags ----
};
