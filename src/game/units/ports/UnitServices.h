#pragma once
#include <cstdint>
#include <vector>

class MapAppServices;
class MapBattleServices;
class Unit;
class Vehicle;
struct UnitSoundPacket;
struct UnitFirePacket;
struct Shot;
class Unit;
struct UnitStatePacket;

// What the unit code asks of the program around it beyond the map's services: the
// application, whether the scenario editor is open, and everything the battle in play answers
// (its record, its fields, its unit group). The battle layer's BattleUnitServices answers it
// for the program and for a battle computed headless alike; it is the services port of the
// units' context (UnitContext), installed by a UnitContextScope. With none installed the units behave as outside any battle: no application, no editor, no bonus.
class UnitServices {
 public:
  virtual ~UnitServices() = default;

  // The application object's services, or null.
  virtual MapAppServices* GetApp() = 0;
  // The battle, else the operation, the units stand in (null: none), and the operation in play
  // (null: none).
  virtual MapBattleServices* GetBattleOrOperation() = 0;
  virtual MapBattleServices* GetOperation() = 0;
  // The editor's state exists.
  virtual bool IsEditorOpen() const = 0;
  // The open editor names squads without their suffix.
  virtual bool IsSquadSuffixHidden() const = 0;
  // The computer bonus of the battle or operation in play (0 for none).
  virtual int32_t GetComputerBonus() const = 0;
  // Files a unit state packet in the battle's packet list (the battle's record).
  virtual void RecordStatePacket(const UnitStatePacket& packet) = 0;
  // The battle is over (every unit is then fully known).
  virtual bool IsBattleOver() const = 0;
  // The share of the side's starting value still fighting (side index 0 Axis, 1 Allied).
  virtual float GetSideStrengthRatio(int32_t sideIndex) const = 0;
  // The scenario's fanaticism setting of the side, 0..4.
  virtual int32_t GetFanaticism(int32_t sideIndex) const = 0;
  // The farthest a unit can be seen in this battle, metres.
  virtual float GetVisibilityLimit() const = 0;
  // The action is being replayed.
  virtual bool IsReplaying() const = 0;
  // Files a sound packet in the battle's packet list.
  virtual void RecordSoundPacket(const UnitSoundPacket& packet) = 0;
  // Plays a sound at once through the map's sound events, outside the action's record (the
  // hatches in the orders phase, an engine heard while orders are given).
  virtual void PlaySoundAtOnce(const UnitSoundPacket& packet) = 0;

  // ---- Firing ----

  // Files a fire packet in the battle's packet list.
  virtual void RecordFirePacket(const UnitFirePacket& packet) = 0;
  // Hands a shot to the battle, which carries it until its due slice.
  virtual void FileShot(const Shot& shot) = 0;
  // Raises the side's activity count, which keeps a side from counting as quiet (side index 0
  // Axis, 1 Allied).
  virtual void AddFireCounter(int32_t sideIndex, int32_t amount) = 0;
  // The battle's condition value that follows its season, its time of day (2, night, halves
  // indirect-fire accuracy).
  virtual int32_t GetConditionValue() const = 0;
  // The battle-wide barrage flag.
  virtual bool IsBarrage() const = 0;
  // The map edge 0..3 the side (index) starts from.
  virtual int32_t GetHomeEdge(int32_t sideIndex) const = 0;
  // Raises the incoming fire of the living ground units near the point to the intensity.
  virtual void SpreadIntensityNearPoint(int32_t intensity, float x, float y) = 0;
  // Adds a new unit to the battle's unit list (the battle owns it) after the new-unit counter
  // (the designation counter) is raised to at least 10000, so that the caller numbers it
  // there. False when there is no battle (the caller then deletes the unit).
  virtual bool AddNewUnit(Unit* unit) = 0;

  // ---- What a vehicle's movement asks of the battle ----
  // The ground's factor on a vehicle's speed for its ground pressure and the softness code of
  // the terrain (1.0 outside a battle).
  virtual float GroundWeight(float pressure, int32_t softness) const = 0;
  // A revealed antitank minefield covers the point.
  virtual bool IsRevealedAntitankMinefieldAt(float x, float y) const = 0;
  // A revealed antipersonnel minefield covers the point.
  virtual bool IsRevealedAntipersonnelMinefieldAt(float x, float y) const = 0;
  // The battle's attacking side index (0 Axis, 1 Allied), 2 for a meeting engagement.
  virtual int32_t GetAttackerSideIndex() const = 0;
  // The battle is computing an action phase.
  virtual bool IsComputingAction() const = 0;
  // The highest obstruction grade (0..3) the battle's other vehicles near the mover give, and
  // that vehicle (Vehicle::BestObstruction over the battle's vehicles).
  virtual int32_t FindBestVehicleNear(const Vehicle& mover, const Unit** found) const = 0;
  // The battle's units other than the asker and the inanimate ones, in the battle's order,
  // whose distance from the asker along each axis is at most `reach` now or cannot be measured
  // (a place that is not finite): appended to `out` (emptied first). False, with `out`
  // untouched, when no battle is in play to answer (the asker then walks the units itself).
  virtual bool GatherUnitsNear(const Unit& asker, float reach, std::vector<Unit*>& out) const = 0;
  // The units of `battle` (the battle in play, as the asker reaches it) on sides other than
  // the asker's, in the battle's order: those of its units a walk would find with another side
  // than the asker's now. Null when the battle cannot say so cheaply (outside the action's
  // slices, or the asker's side is neither 0 nor 1): the asker then walks the units itself.
  virtual const std::vector<Unit*>* UnitsNotOfSide(const Unit& asker, const MapBattleServices* battle) const = 0;

  // ---- Infantry under fire: the loss tally, the unit group, the computer player's groups ----
  // The battle's loss tally, when it keeps one: men lost, and a gun (weapon classes 2 and 3)
  // or a mortar lost.
  virtual void TallyMenLost(int32_t men) = 0;
  virtual void TallyWeaponLost(bool gun) = 0;
  // A split-off half joins the unit group right after its parent; false when not taken (the
  // caller then owns it).
  virtual bool InsertUnitAfter(Unit* unit, const Unit* after) = 0;
  // The computer player's groups of the side take the one unit in place of the other.
  virtual void ReplaceInAIGroups(int32_t sideIndex, const Unit* from, Unit* to) = 0;
  // The side index owning map edge 0..3, 2 for neither.
  virtual int32_t GetEdgeSide(int32_t edge) const = 0;
  // ---- Target choice ----
  // The share of the battle still to come, (turn count - turn + 1) / turn count, at least 0.01.
  virtual float GetBattleShareToCome() const = 0;
  // ---- End of target choice ----
  // ---- Air support ----
  // The battle's current turn (from 1) and its last turn.
  virtual int32_t GetCurrentTurn() const = 0;
  virtual int32_t GetLastTurn() const = 0;
  // Moves the battle's current slice: the shots of an attack pass fall on consecutive slices,
  // and the slice is put back afterwards.
  virtual void SetCurrentSlice(int32_t slice) = 0;
  // ---- End of air support ----
  // ---- The vehicle in the action phase ----
  // One slice of driving by a vehicle of the side (the battle's per-side activity count).
  virtual void CountMovingSlice(int32_t sideIndex) = 0;
  // A smoke cloud at the point (size 0: the default cloud), unless off the map or on water.
  virtual void CreateSmoke(float x, float y, float size) = 0;
  // Set while a vehicle searches for cover, cleared when it is done (the battle's vehicle
  // working flag).
  virtual void SetCoverSearch(bool on) = 0;
  // ---- End of the vehicle in the action phase ----
};

// The services of the context in force (null for none) and the shortcuts the unit code uses.
UnitServices* GetUnitServices();
MapAppServices* UnitApp();
MapBattleServices* UnitBattle();
MapBattleServices* UnitOperation();
bool IsEditorOpen();
bool IsSquadSuffixHidden();
// The game's date, YYMM: the application's, or 4406 without one.
int32_t UnitGameDate();
