#pragma once
#include <array>
#include <cstdint>
#include <vector>

#include "framework/core/GObjectGroup.h"
#include "game/battle/BattleBase.h"
#include "game/battle/BattleResults.h"
#include "game/battle/BattleScoreMeasures.h"
#include "game/battle/PacketGroup.h"
#include "game/battle/Replay.h"

class GFile;
class BattleKeyHost;
class BattleScreenParts;
class BattleShot;
class Packet;
struct Shot;
class ReplayScreen;
class EffectView;
class ResultsScreen;
struct MapPacket;
struct UnitFirePacket;
struct UnitSoundPacket;
struct UnitStatePacket;
struct VehicleStrike;
class Unit;
class InanimateServices;
class VictoryFlag;
class ReinforcementSettings;
class AIGroup;
class ComputerPlayerHost;

// One tactical engagement: the base's map and units, the victory flags, the scoring inputs and
// the state of the turn being played. Side index 0 is the Axis, 1 the Allies.
class Battle : public BattleBase {
 public:
  // Purchase categories of ComputePurchaseLimits; index 6 holds the force points.
  enum PurchaseCategory { kInfantry, kSupport, kVehicle, kArmor, kArtillery, kFortification, kPoints };

  explicit Battle(MapAppServices& app);
  ~Battle() override;

  // Empties every list and marks the battle as owning nothing yet.
  void InitMembers();
  // Sets the battle up from a stored battle, or, without a stream, as a new battle on a fresh
  // map with one large flag at its centre (none while an operation runs). False when the
  // stream is refused (the file's error flag is raised, one line logged): the caller discards
  // this battle, and the battle in play stays as it was.
  bool SetUp(GFile* stream);
  // Sets the battle up as SetUp(nullptr) does for a battle whose map the operation replaces
  // at once with its window (Campaign::SetUpBattle): the map is only the default map's stand-in
  // (Map::SetUpStandIn), which takes the same draws without building what the import discards.
  void SetUpForOperation();
  // The base, then the battle's own part. The caller tests the file's error flag: a unit the
  // id scheme cannot name raises it, and the old file must then be kept.
  void Write(GFile& file) const override;
  void Read(GFile& file) override { SetUp(&file); }

  // Past the last turn, or a side surrendered.
  virtual bool IsOver() const { return PastLastTurn() || endState[0] == 2 || endState[1] == 2; }
  bool IsSetupPhase() const override { return setupPhase != 0; }
  // The map's menu keys and the unit drawing's selection marks ask for it.
  MapUnitView* GetSelectedUnit() const override;

  // ---- What the battlefield frame asks of the battle (screen/BattleDraw.cpp) ----
  // Every unit drawn with the view level's scale values.
  void DrawUnits(float scale, float infantryExponent, float vehicleExponent) override;
  // A side's exit band: scored exits along an edge 0..3 (a stored edge outside them shows none).
  bool HasExitZone(int32_t side) const override {
    return exitScoring[side & 1] != 0 && exitEdge[side & 1] >= 0 && exitEdge[side & 1] <= 3;
  }
  int32_t GetExitEdge(int32_t side) const override { return exitEdge[side & 1]; }
  // The exit zones' two textures are loaded when either side has one.
  bool WantsExtraEffectTextures() const override { return HasExitZone(0) || HasExitZone(1); }
  // Map::SetSelectionCorner: a selection rectangle is being dragged.
  void SetSelectionDrag(bool dragging) override { selectionDrag = dragging ? 1 : 0; }
  uint8_t selectionDrag = 0;
  // ---- End of the battlefield frame ----

  // ---- What the map's fire sounds and object collection ask (the two bytes below) ----
  bool IsComputingAction() const override { return computingAction != 0; }
  bool IsOverrideSet() const override { return overrideByte != 0; }
  // ---- End of the map's questions ----
  // ---- The victory flags as the battlefield draws them (screen/BattleFlagView.cpp) ----
  int32_t GetFlagCount() const override { return flags.Count(); }
  bool GetFlagView(int32_t index, MapFlagView& out) const override;
  // The attacking side, and both sides of a meeting engagement, know the chosen objective.
  bool CanSeeHiddenObjectives(int32_t side) const override { return attacker == side || attacker == 2; }
  // ---- End of the victory flags ----

  // The sight range (metres) from the weather and the time of day, and the factor of sight
  // left per metre: 9% at the range.
  void ComputeVisibility();
  // Limits per purchase category for a side (out[0..5]) and its force points (out[6]).
  void ComputePurchaseLimits(int32_t side, int32_t* out, bool flag) const;
  // Marks one dynamic flag, drawn at random, as the objective.
  void ChooseRandomFlag();
  // ---- The editor's markers (BattleMarkers.cpp) ----
  // Every reinforcement group of side 0, then of side 1, becomes a reinforcement marker (marker
  // id -(i + 1) for the group at index i) at its arrival point, and every flag a flag marker,
  // all appended to the unit group.
  void FlagsToMarkers();
  // The reverse after editing: the groups take their markers' positions, the flag markers
  // become the new flag list, and every marker leaves the unit group. A group without its
  // marker is a programmer error.
  void MarkersToFlags();
  // The nationality group a side's markers are made for.
  int32_t MarkerNationalityGroup(int32_t side) const;
  // ---- End of the editor's markers ----
  void UpdateFlags(bool onlyIdentified);
  // An arriving unit: placed on a free spot near the point facing the map's centre (an
  // airplane is not placed), its side marked as present; it joins the group.
  void AddUnitToMap(Unit* unit, float x, float y);
  // A unit put exactly at the point (an airplane keeps its own), its side marked as present;
  // it joins the group. For scenarios built in code.
  void PlaceUnitAt(Unit* unit, float x, float y);
  // Present strength over starting strength, per side.
  void ComputeStrengthRatios();
  // Each side's share of the points at stake; either output may be null.
  void ComputeScoreShares(bool onlyIdentified, float* share0, float* share1);
  // The non-screen steps of play preparation: the random objective in the set-up phase, the
  // flag holders, the slice counter.
  void PrepareForPlay();

  // ---- Queries ----
  // The nationality group (0..5) of the first unit with that side byte (1 Axis, 0 Allied);
  // without one, the side index.
  int32_t GetSideNationality(int32_t sideByte) const;
  Unit* FirstUnitOfSide(int32_t sideIndex) const;
  const Unit* StartViewUnit(int32_t side) const override { return FirstUnitOfSide(side); }
  // A revealed minefield of this turn (antipersonnel, or antitank with antitank set) within
  // 12 m of the point in x and in y.
  bool IsMinefieldAt(float x, float y, bool antitank) const;
  // The ground's hold on a vehicle of pressure x, by ground condition and an adjustment.
  float GroundWeight(float x, int32_t adjust) const;
  // The map edge of a side: an own edge facing an enemy edge first, then any own edge (in the
  // order east, west, north, south), else east for side 0 and west for side 1.
  int32_t FindEdgeOfSide(int32_t side) const;
  // The side owning edge 0..3 (2 none).
  int32_t GetEdgeSide(int32_t edge) const;
  // The map edge a point on the boundary lies on: west at x <= 0, else south at y <= 0, else
  // north at y >= the map's height, else east.
  int32_t EdgeOfBoundaryPoint(float x, float y) const;
  // A unit of the side (side byte 1 Axis, 0 Allied) leaving the map at the point leaves by its
  // side's scored exit edge; false for a side without exit scoring.
  bool IsExitEdgeForSide(float x, float y, int32_t sideByte) const;
  // The point lies on an edge the side (side byte) owns.
  bool IsOwnEdge(float x, float y, int32_t sideByte) const;

  // The unit measures the scoring reads: the units' own, unless a test hands the battle others
  // (null puts the units' own back).
  const BattleUnitMeasures& Measures() const { return *measures_; }
  void SetMeasures(const BattleUnitMeasures* measures) { measures_ = measures != nullptr ? measures : &unitMeasures_; }

  VictoryFlag* FlagAt(int32_t index) const;

  // ---- Stored fields ----
  uint8_t setupPhase = 1;
  int32_t endState[2] = {};       // 0 playing, 1 cease-fire requested, 2 surrendered
  uint8_t autoObjective = 1;      // one dynamic flag drawn at random when play opens
  uint8_t mayDigIn = 0;
  int16_t flagValue = 900;
  int32_t bonusPoints[2] = {};
  float casualtyMultiplier[2] = {1.0f, 1.0f};
  uint8_t exitScoring[2] = {};
  int32_t exitEdge[2] = {2, 0};
  int16_t forcePoints[2] = {};
  int16_t quietTurns[2] = {};
  int32_t edgeOwner[4] = {1, 2, 0, 2};  // west, north, east, south: side index, 2 none
  GObjectGroup flags;                   // VictoryFlag, owned
  uint8_t mustPurchase[2] = {};  // purchase pending
  // The computer buys the side's units (a quick battle's setting that the game file does not
  // keep). The play balance and whether each side's player is still to be shown it: a quick
  // battle's (5000 plus the attacker's strength in percent, negated for an Axis attacker),
  // which the game file does not keep either, or the force enlargement chosen for the battle,
  // which it keeps.
  uint8_t autoPurchase[2] = {};
  int32_t playBalance = 0;
  uint8_t playBalanceNotice[2] = {};
  int32_t sideValueE[2] = {};
  int32_t forceType[2] = {};  // 0 "Combined Arms", 1 "Infantry", 2 "Mechanized", 3 "Armor"
  uint8_t sideByteF[2] = {};
  int32_t forceEnlargement = 0;
  uint8_t enlargementFlags[2] = {};
  int32_t capturedAfterSurrender[2] = {};

  // ---- Runtime fields ----
  uint8_t notOwning = 1;
  // Per side, the units that joined the battle from a turn received over the link since its
  // pictures and textures were last loaded (their portraits are not loaded yet).
  int32_t missingGraphics[2] = {};
  uint8_t mapViewFlag = 0;
  uint8_t finished = 0;
  float visibilityRange = 6000.0f;
  uint8_t computingAction = 0;
  // A number no other slice of any battle had, while a slice of the action is computed; 0
  // outside the action's slices. What the units ask may be kept for the slice under it.
  uint64_t sliceSerial = 0;
  // For side s (0 or 1), the battle's units whose side is not s, in its order, sorted when the
  // action's slice in progress began, and the stamp of the units list then: within the action
  // no unit changes side for good, so while the list keeps that stamp these are the units a
  // walk of the list finds on sides other than s.
  std::array<std::vector<Unit*>, 2> notOfSide;
  uint64_t notOfSideStamp = 0;
  uint8_t planningComputer = 0;  // the computer player gives its orders: no beeps, no menus
  uint8_t vehicleWorking = 0;
  Unit* selectedUnit = nullptr;
  int32_t selectedWaypoint = -1;
  int32_t replayState = Replay::kStopped;
  float strengthRatio[2] = {};
  // Per side, zeroed when the action is computed and raised by the units' movement (1 a
  // slice), their rounds (3000 each) and a close assault's losses (99999).
  int32_t activityCount[2] = {};
  uint8_t sideByteG[2] = {};
  int32_t viewingSide = 0;
  uint8_t multiSelection = 0;
  uint8_t groupOrder = 0;
  uint8_t overrideByte = 0;
  int32_t markedSide = 0;
  uint8_t hitReport[7] = {};
  float scoreShare[2] = {};

  // ---- Packets and the record (BattlePackets.cpp, BattleRecord.cpp; the screen's: screen/) ----
  // A new packet of the list at the current slice plus the delay (0 when that is below 1);
  // the caller fills its kind and fields.
  Packet* NewPacket(int32_t delay);
  // 2400 for an empty list; else the last packet's slice, raised to 2400 unless exact.
  int32_t LastPacketSlice(bool exact) const;
  // The list's stored form. Reading refuses a list it cannot accept (the file's error flag
  // raised) and then leaves the list in play untouched.
  void WritePackets(GFile& file) const;
  bool ReadPackets(GFile& file);
  // The replay order: by slice, then others, kind 9, sounds; stable.
  void SortPackets();
  // Plays one packet when the previous replay slice < its slice <= the current one.
  void PlayPacket(Packet& packet);
  // Removes the one-shot sounds beyond the channel budget, window by window.
  void ThinSoundPackets(int32_t budget);
  // Hands up to 200 sounds the viewing side hears to the screen's preload (screen/BattleScreenSound.cpp).
  void PreloadSounds();
  // The 1 (3 to 6 when heavy) ricochets of a shot on armour: fire packets made now.
  void MakeRicochetPackets(const Packet& fire, bool heavy);
  // A replayed hit report goes to its vehicle, which shows it for four seconds.
  void PlayHitReport(const Packet& packet);
  void QueueSoundEvent(Packet& packet);
  // Once a frame: hands the queued sound events to the screen, of several looped events of
  // one unit only the last.
  void FlushSoundEvents();
  // A shot packet's effect in flight (code 11 a flame jet), from its shooter (the screen's,
  // screen/BattleEffects.cpp).
  void StartFireEffect(const Packet& packet);
  // ---- Short-lived effects (the screen's: screen/BattleEffects.cpp and the Ephemeral kinds) ----
  // Draws every effect as it is at the current replay slice, under the map's world transform.
  void DrawEffects(EffectView& view);
  // The map's effect pass: the effects through the map's view of them.
  void DrawEffects(Map& map) override;
  // ---- End of short-lived effects ----
  void AddSmokeCloud(const Packet& packet);
  void RemoveSmokeCloudAt(const Packet& packet);
  void SetSmokeCloudTime(const Packet& packet);
  void DeleteReplayEffects();
  // ---- The turn's record (BattleRecord.cpp): the rules' side of the replay ----
  // The map back to the turn's start and the record to its first slice, the units' firing
  // timers cleared. The units come back with slice 0: every unit of the turn's start filed its
  // opening state there (one made during the action files itself absent there), so the first
  // slice played shows each as slice 0 left it, however far the action or a replay had gone.
  void StartRecord();
  // Plays the packets after the last slice played up to this one; units move between their
  // packets up to the action's last slice and keep their recorded state after it.
  void PlayRecordThrough(int32_t slice);
  // The record to its end, then the units' orders snapshotted for the next orders phase: the
  // end of the turn's action, with or without a replay on the screen.
  void FinishRecord();
  // The slice the record ends at: a little after its last packet.
  int32_t RecordEndSlice() const;
  // ---- End of the turn's record ----
  // ---- The replay on the screen (screen/BattleReplay.cpp): its clock and the frame's step
  // play the record ----
  // The screen's start of the action's replay, once the record stands at its start: the
  // replay's input mode and strip, the sounds preloaded, the clock at 0; a computed action
  // (play) plays its first frame, a received one waits paused.
  void BeginReplay(bool play);
  // The record and the clock back to the start.
  void StartReplay();
  void ReplayStep();
  void SeekReplay(int32_t slice);
  // 11 restart, 12 back, 13 pause, 14 play, 15 forward. False for another command (logged).
  bool ReplayControl(int32_t command);
  int32_t GetReplaySlice() const { return replay.current; }
  // The map's events, stamped with the current slice plus their delay.
  void RecordPacket(const MapPacket& packet) override;
  // A unit's state and a unit's sound, already stamped with their slice.
  Packet* RecordUnitState(const UnitStatePacket& state);
  Packet* RecordUnitSound(const UnitSoundPacket& sound);
  // A shot or burst as the replay shows it: from the shooter's place to where it landed (to
  // its target unit or point when the record holds no landing point).
  Packet* RecordUnitFire(const UnitFirePacket& fire);
  // The action's statistics: "Number of packets =", "Each packet has size =" (136 whatever a
  // packet takes here) and "Total memory (K) =".
  void LogPacketStatistics() const;

  PacketGroup packets;                   // owned, in replay order once sorted
  Replay replay;                         // the replay's clock, effects and sound events
  ReplayScreen* replayScreen = nullptr;  // not owned; null plays silently
  // ---- End of packets and the replay ----

  // ---- The action phase and shots (BattleAction.cpp, BattleShots.cpp) ----
  // Computes the turn's 2,401 slices and the tail of late shots and sorts the packets; without
  // compute only sorts them. Then the record starts (StartRecord; a computed action's first
  // slice played) and the replay screen, when there is one, is told the action started; before
  // it, that its GO strip goes and, while computing, how far the computing has come.
  void ComputeAction(bool compute);
  // A unit made during the slice (a squad split): it joins the group at the next slice.
  void AddUnitLater(Unit* unit);
  // Every squad finds its commanding leader again; the unit panel is redrawn. Every 160 slices
  // of the action, at each new turn and when the screen opens.
  void RefreshUnitDisplays();
  // A unit made by a unit (a split-off half, an ambush marker) joins the unit group: right
  // after `after` (at the end without one) outside the action, after the slice within it.
  void JoinNewUnit(Unit* unit, const Unit* after);
  // A shot due at the current slice plus the delay, in the in-flight list, or in the second
  // list for a visibility event or while the due shots are being carried out.
  BattleShot* NewShot(int32_t a, int32_t b, int32_t delay, uint8_t sideByte, bool visibilityEvent);
  // A round a unit filed, carried as a battle shot.
  void FileUnitShot(const Shot& round);
  void StepShot(BattleShot& shot);
  // Smoke with its packet, its cloud and its visibility event.
  void PlaceSmokeAt(float x, float y, float strength);
  // The first live armoured unit within its hit radius of the impact point, or null.
  Unit* FindArmoredUnitAt(const BattleShot& shot) const;
  void ApplyBlast(BattleShot& shot);
  // Kinds 4 and 5 burst in trees: the byte already set, or a draw over woods; the terrain is
  // tested before each draw so open ground draws nothing. A burst raises the impact 6 m.
  bool CheckTreeBurst(BattleShot& shot);
  // A round that struck a unit follows it: the fire packet's end and the impact point move to
  // where the unit is when the round arrives.
  void FollowTarget(BattleShot& shot);
  // The shot striking its target unit: a shell on a vehicle is located and resolved on the
  // armour (an area burst, and a plunging round, strike the top), anything else is a blast;
  // then the hit report for the replay.
  void StrikeTarget(BattleShot& shot, bool areaBurst);
  VehicleStrike StrikeOf(const BattleShot& shot) const;
  void SpreadIntensityNearPoint(int32_t intensity, float x, float y);
  // Carries out (and deletes) every shot due by the current slice, then takes in the second
  // list and the units made meanwhile.
  void RunDueShots();
  // Sorts the units by side into notOfSide.
  void NoteUnitSides();
  // The per-side quiet-turn counters from the turn's activity.
  void UpdateQuietCounters();
  // Every 40 slices: the smoke clouds age; a spent one clears with its packet.
  void StepSmokeClouds();

  // ---- Commands (screen/BattleScreen.cpp), GO (BattleAction.cpp), the set-up GO and the next
  // turn (BattleCommands.cpp) ----
  // 9, 17, 18 GO; 10 the next turn; 11-15 the replay controls while the replay shows; 20-51
  // the orders menu's (ignored with a log line when none is open); others are the screen's.
  void DoCommand(int32_t command);
  void Go();
  // Ends the set-up phase: the shared seed, the units' sighting, the packets emptied, the
  // "RndCheckSetup =" line; computes nothing.
  void SetupGo();
  // The automatic surrender, then the action computed from the shared seed between the
  // "RndCheckA =" and "RndCheckB =" lines.
  void OrdersGo();
  // A battle that has ended and shown its results on a results screen, put away for a look at
  // the map: the 3-D view off and the results view shown again, true; else false. GO then
  // plays no turn past the last.
  bool ShowResultsAgain();
  // The defender's infantry leaves lasting foxhole craters (none in a meeting engagement).
  void CraterInfantryPositions();
  // Leaves the replay (command 10): the rest of the replay played, then on one machine with
  // two players, or by e-mail, the game handed over; otherwise split halves rejoined, the
  // units' orders remembered, packets and effects emptied, the turn raised, the mutual end
  // tested, and in a battle going on the reinforcements, sighting and scores of the new turn.
  void NextTurn();
  // Every half that stayed takes back its linked half when both may (alive, able to fight, not
  // surrendered, not riding, no move order, within 10 m); the other halves leave the battle.
  void RejoinSplitSquads();
  // Deletes the ambush markers no unit holds as its target, and every one once the battle is
  // over; each is first let go as every unit's target, ordered and orders-phase target.
  void RemoveEliminatedUnits();
  // Removes and deletes a unit of the unit group, which the computer's groups and the
  // selections let go of first.
  void DeleteUnitFromBattle(Unit* unit);
  uint16_t sharedSeed = 0;  // the seed the players share for the action

  // ---- End of the battle (BattleTurn.cpp) ----
  // The automatic cease-fire of the computer's side and the surrender of a beaten side; true
  // when the battle has just ended.
  bool DecideSurrender(int32_t side);
  // At a new turn: both sides spent end it; from turn 15 long quiet ends it.
  void CheckMutualEnd();
  // 0 or 1 the side that surrenders, 2 a mutual cease-fire.
  void EndBattleForSide(int32_t result);
  bool CheckCeaseFireAndSurrender();
  int32_t resultsShown = 0;

  // ---- Results (BattleResults.cpp, BattleTallies.cpp) ----
  // Ends the battle when it is over or both sides asked for a cease-fire: in two-player
  // e-mail play the battle is marked finished; the turn passes the last, the set-up phase
  // ends, and the results are shown (reviewOnly counts nothing).
  void CheckForEnd(bool reviewOnly);
  // Computes the results into `results` and hands them to the results screen when there is
  // one. In a running operation the first call that is not a review counts the battle into
  // the operation once (its battle counter, its loss tallies and one killed-in-action figure
  // a side); later calls count nothing. Outside an operation nothing is drawn from the game's
  // generator.
  void ShowResults(bool reviewOnly = false, bool deferOperationStep = false);
  // A unit's part of the tallies: its losses, and whether it is lost, captured or still fit.
  void TallyUnitResult(const Unit& unit);
  // A lost or captured infantry unit's heavy weapon: a gun, else a mortar.
  void TallyGunOrMortar(const Unit& unit, int32_t side);
  BattleResults results;                    // the last results computed
  ResultsScreen* resultsScreen = nullptr;   // not owned; null shows nothing
  uint8_t resultsCounted = 0;               // runtime: counted into the operation already
  // ---- End of results ----

  GObjectGroup shots;       // BattleShot in flight, owned
  GObjectGroup laterShots;  // BattleShot made during the due-shot pass or visibility events, owned
  GGroup laterUnits;        // units made during the slice, not owned
  int32_t soundChannels = 17;  // the sound thinning's budget: the sound manager's channels
  bool inDueShotPass = false;
  // The shots a unit filed since the last fire packet: the packet that follows shows them. Held
  // only until the next due-shot pass, before which no shot is deleted.
  std::vector<BattleShot*> shotsAwaitingPacket;
  Unit* currentShooter = nullptr;  // the shooter of the shot being worked out
  // Counters of the periodic work, for the headless checks.
  int32_t unitDisplayPasses = 0;
  int32_t craterVisibilityPasses = 0;
  int32_t keepAlivePasses = 0;
  int32_t sliceBeforeSort = 0;
  int32_t shotsRun = 0;
  // ---- End of the action phase and shots ----

  // ---- Orders exchange, computer-player groups and purchased units (BattleOrders.cpp,
  // BattleUnitLists.cpp, BattleEnlarge.cpp) ----
  // The orders block of the side to play: shared seed (logged "Seed written ="), the text
  // flag and the side's password digest (only on the machine that does not draw the seed,
  // in the set-up phase), both end flags, the processor rating, the unit group (logged
  // "*** # units written ="), and while an operation runs the operation's byte of the side.
  // The caller tests the file's error flag.
  void WriteOrders(GFile& file) const;
  // Reads the other machine's orders block and appends its units to the unit group, each
  // with its exchange index. Whole or nothing: a refused block (the file's error flag raised,
  // one line logged, false) leaves the unit group, the end flags, the seed and the
  // application's values as they were. With discardOwnSettings the digest, compute-here
  // and operation values are read and dropped.
  bool ReadOrders(GFile& file, bool discardOwnSettings);
  // The largest unit count an orders block may hold.
  static constexpr uint32_t kMaxOrdersUnits = 9999;

  // (TakePurchasedUnits lives on BattleBase, so that an operation takes purchases too.)
  // The play balance: stores the value (a percentage, positive for the Allies); when it is not
  // 0, enlarges that side's force and owes both sides' players the notice of it (the
  // enlargement flags, which the stored battle keeps).
  void EnlargeForce(int32_t value) override;
  // Whether the side's player is owed the play balance notice; the notice is then taken.
  bool TakePlayBalanceNotice(int32_t side);
  // ---- End of orders exchange and purchased units ----

  // ---- Computer-player groups (BattleAIGroups.cpp) ----
  // Per side index, the computer player's list of AIGroups: owned, and null before the side's
  // first plan. The groups never own their units.
  std::array<GObjectGroup*, 2> aiGroups{};
  // ---- Computer-player objectives ----
  // Per side index, the computer player's objectives (AIGoalGroups of the ai layer): owned,
  // never stored, null until the side's next plan builds them again. DeleteAIGroups deletes
  // them too, and so does the canonical pass at every GO: a game loaded from its file must
  // plan from the same objectives as the game that went on, so every plan builds them afresh.
  std::array<GObjectGroup*, 2> aiObjectives{};
  void ForgetAIObjectives();
  // ---- End of computer-player objectives ----
  int32_t AIGroupCount(int32_t side) const;
  AIGroup* AIGroupAt(int32_t side, int32_t index) const;
  // Deletes both sides' lists (and any lists read but not yet resolved) and their objectives.
  void DeleteAIGroups();
  // When the side of the first unit has a list, the units become a new group of it, of mode 4
  // when that side defends, else 0. An empty list, or a side without a list, makes nothing.
  void AddUnitToAIGroups(GGroup& list);
  // The first group of the unit's side that holds the unit loses it (the unit is not deleted).
  void ForEachAIGroup(Unit* unit);
  // The first group of the side that holds `from` takes `to` in its place; when `to` is in a
  // group of the side already, `from` only leaves.
  void ReplaceInAIGroups(int32_t side, const Unit* from, Unit* to);
  // The stored form, side 0 then side 1: present (u8; 0 and nothing more for a side without
  // a list), the list's owns byte (u8, always 1), the group count (u32), then each group's
  // record (AIGroup::Write). Units are written as packed ids.
  void WriteAIGroups(GFile& file) const;
  // Reads both sides' lists; their ids wait, unresolved, until ResolveAIGroups. Present and
  // owns bytes other than 0 or 1, a group count larger than the bytes left can hold (6 bytes
  // a group) or a damaged group refuse the section: the file's error flag, one log line, false,
  // and the battle as it was.
  bool ReadAIGroups(GFile& file);
  // The same reading without a battle, for the game file, which stores the lists before the
  // battle whose units they name: on success `lists` holds both sides' lists (null for a side
  // without one), owned by the caller; on refusal it holds nothing.
  static bool ReadAIGroupLists(GFile& file, std::array<GObjectGroup*, 2>& lists);
  // Takes lists that ReadAIGroupLists read, to wait for ResolveAIGroups.
  void TakeAIGroupsRead(const std::array<GObjectGroup*, 2>& lists);
  bool HasAIGroups() const { return aiGroups[0] != nullptr || aiGroups[1] != nullptr; }
  // At the battle start: turns the ids read into units, last group to first and last member to
  // first, and installs the lists in place of the battle's. An id that names no unit, or a unit
  // twice in one side's lists, refuses them (the file's error flag, one log line, false, the
  // battle's lists as they were). Lists read into a battle in its set-up phase are dropped with
  // a log line: the set-up plan builds a side's groups afresh.
  bool ResolveAIGroups(GFile& file);
  // The sides the computer plays (by side index), planned by the installed ComputerPlayer in
  // the set-up GO and in the orders GO, side 0 first, with planHost as their screen.
  std::array<uint8_t, 2> computerSides{};
  ComputerPlayerHost* planHost = nullptr;
  // Plans every computer side. In the orders GO a side other than the one whose surrender
  // was already decided decides its own first; true when that ended the battle.
  bool PlanComputerSides(bool orders, int32_t decidedSide);

 private:
  // The lists ReadAIGroups read, waiting for ResolveAIGroups.
  std::array<GObjectGroup*, 2> aiGroupsRead_{};

 public:
  // ---- End of computer-player groups ----

  // ---- The battle screen's control strip (screen/BattleScreen.cpp) ----
  // What the screen holds (screen/BattleScreenParts.h): made on first use, owned. The rules
  // never look inside; only the screen's files and those above them do.
  BattleScreenParts& Screen();
  const BattleScreenParts& Screen() const;
  // Lays the strip out for the kernel's screen size.
  void BuildScreen();
  // Lays the strip out for a screen of this size.
  void BuildScreenOfSize(int32_t width, int32_t height);
  // Deletes the strip's views (the screen object stays until the battle goes).
  void CloseStrip();
  void InvalidateInfoPanel();
  // The unit panel shows the score shares last computed.
  void ShowScoreShares();
  // The GO strip goes for the action and its replay.
  void HideGoStrip();
  // The progress bar's fill from the computing's slice; without a bar nothing.
  void ShowProgress(int32_t slice);
  // The replay strip's light that calls for the next turn, on or off; without a strip nothing.
  void EnableBlinkIndicator(bool on);
  // The replay's strip takes the place of the orders' until the next turn (not while the
  // network's state shows the other player's replay).
  void ShowReplayStrip();
  // Back to the orders: the replay's strip goes and the GO strip shows.
  void ShowGoStrip();
  // ---- End of the battle screen's control strip ----

  // ---- The battle screen's keys and selection (screen/BattleKeys.cpp) ----
  // A key of the battle screen: arrows arrive as 1 left, 2 right, 3 up and 4 down with both
  // flags clear; keypad keys have keypad set. Unknown keys do nothing.
  void HandleKey(uint8_t key, bool alt, bool keypad);
  // The next (or previous) unit of the side whose turn it is; nothing while an orders menu is
  // open, and the selection stays when no own unit can be picked.
  void SelectNextOwnUnit(bool forward);
  // The selected unit (null for none); its waypoint selection is cleared.
  void SelectUnit(Unit* unit);
  void SetSelectedWaypoint(int32_t index) { selectedWaypoint = index; }
  // Drops the selected unit when it can no longer be shown (unidentified or off the map).
  void DropUnshowableSelection();
  // Score shares, map and panel redrawn; no unit selected and no unit followed.
  void DeselectAll();
  // The battlefield view exists, and shows (as the key host reports).
  bool HasBattlefieldView() const;
  bool IsBattlefieldViewVisible() const;
  BattleKeyHost* keyHost = nullptr;  // not owned; null leaves those keys without effect

  // ---- Giving orders to the selected unit (BattleIssueOrder.cpp) ----
  // An order code 20..51 for the selected unit: changes it at once or starts the pick that
  // the battlefield view completes. toSelectedWaypoint re-types the selected waypoint
  // (movement codes only; any other code beeps). Without a selected unit, or for a code with
  // no case, it beeps and logs.
  void IssueOrder(int32_t code, bool toSelectedWaypoint);
  // Starts a pick in the input mode: notes the selected unit's point and base height and
  // makes the battlefield view follow the mouse.
  void BeginPick(int32_t mode);
  // The pick's origin on the screen, where its menu opens, from the battlefield view
  // (screen/BattlePickScreen.cpp); without a 3-D view it stays as it was.
  void ProjectPickOrigin();
  // The battlefield view follows the mouse while a pick goes on (screen/BattlePickScreen.cpp).
  void TrackPickWithView();
  // Completes a movement pick at the map's pick point; true when the unit's last waypoint
  // is now a rotate entry.
  bool PlaceMoveWaypoint(bool flag);
  // Completes a target pick with the unit under the pointer, or the pick point.
  void SetTargetFromPick();
  // Completes a set-up placement (place) or facing pick; false when refused.
  bool PlaceSelectedUnit(bool place);
  // Marks the victory flag nearest the pick point (the earlier of equal ones); without
  // flags it beeps.
  void MarkNearestFlag();
  // An order for the selected group (BattleGroupOrder.cpp): orders of one unit at a time go
  // to every member that can take them; movement, target and placement orders go to the
  // selected unit first and reach the others when CompleteGroupOrder follows its pick.
  // Without a selected unit, or for a code no group takes, it logs and does nothing.
  void BeginGroupOrder(int32_t code);
  // Hands the selected unit's finished order to the other members: moves and placements
  // at the same offset from their own positions, targets copied.
  void CompleteGroupOrder();
  int32_t groupOrderCode = 0;
  float groupLeaderX = 0.0f;
  float groupLeaderY = 0.0f;
  // ---- End of giving orders ----
  // ---- End of the battle screen's keys and selection ----

  // ---- Opening and closing the battle screen, its textures and sounds (screen/:
  // BattleScreenOpen.cpp, BattleScreenSound.cpp, BattleScreen.cpp) ----
  // The purchase screen first when a side must still buy; else the strip, the pictures, the
  // textures, play preparation, the battlefield view and, in TCP/IP play, message 0x0B. False
  // when the screen did not open (a purchase screen instead, or textures that never fit).
  // Nothing here draws from the game's generator.
  bool OpenScreen(bool showLoading, bool flushPending);
  // The pictures and the strip go; unless keepMap also the textures, the map's sounds and the
  // battlefield view; last the ambient sound.
  void CloseScreen(bool keepMap);
  // The purchase screen for a side (through the application until the editor exists).
  void OpenPurchaseScreen(int32_t side);
  // The terrain graphics, the units' looks and the map's textures at the renderer's colour
  // scale for the time of day, downsampled until they fit. False, with the kernel asked to
  // quit, when a ninth downsampling would be needed.
  bool LoadTextures(bool flag);
  void LoadPanelPictures();
  // Deletes the terrain graphics, releases the map's textures and every unit's look.
  void ReleaseViewObjects();
  // The ambient stream for the season, time of day, weather and ground (0 none); isWeather for
  // the two weather streams, which play at priority 2.
  static int32_t ChooseAmbientSound(int32_t season, int32_t timeOfDay, int32_t weather, bool snowGround,
                                    bool& isWeather);
  // With the screen up and option 0 at 2 ("On + Ambient"): the number and priority to play (0
  // for none).
  int32_t AmbientSoundToPlay(int32_t* priority) const;
  void StartAmbientSound();
  void StopAmbientSound();
  // Every unit starts its looped sound; outside the editor and the set-up phase.
  void StartUnitLoopSounds();
  // The 3-D view on or off (a separate 3-D card also loads or releases the textures).
  void SetViewActive(bool on);
  // Back to the map after the results: every crater shown unless an operation is over.
  void ReturnToMapAfterEnd();
  // A collapsing building's dust cloud in the replay's effects, from the presentation's
  // generator; a negative start slice is the replay's current slice.
  void MakeDustCloud(float x, float y, bool large, int32_t startSlice);
  void AddCollapseEffect(float x, float y, bool tall, int32_t argument) override;
  // The map's drawing pass: the three values kept and every unit drawn with them.
  void DrawUnitExtras(float scale, float infantryExponent, float vehicleExponent);
  // The selection dropped when it cannot be shown, or when the unit waits for its link.
  void ValidateSelection() override;
  // ---- End of opening and closing the battle screen ----

 private:
  bool ReadBattlePart(GFile& file);
  // The screen's parts go with the battle (screen/BattleScreen.cpp).
  void DeleteScreenParts();
  mutable BattleScreenParts* screenParts_ = nullptr;  // owned; null until the screen asks
  // The live infantry leaders a pass of RefreshUnitDisplays hands each squad's leader search.
  std::vector<Unit*> liveLeaders_;
  // A placed unit joins the group, its side marked as present (an airplane marks nothing).
  void JoinUnitGroup(Unit* unit);

  BattleScoreMeasures unitMeasures_;
  const BattleUnitMeasures* measures_ = &unitMeasures_;

  // The last ground weights worked out, by the exact pressure, adjustment and ground condition
  // they were asked with: a battle's vehicles ask with few pressures, slice after slice.
  struct GroundWeightEntry {
    uint32_t pressureBits = 0;
    int32_t adjust = 0;
    int32_t condition = 0;
    float weight = 0.0f;
    bool filled = false;
  };
  mutable std::array<GroundWeightEntry, 16> groundWeights_{};
  // The battle's fixed objects (minefields among them) in the order of its units, gathered
  // again whenever the units list's stamp changes: a minefield question then walks these, not
  // every unit. Whether one is revealed, its kind and place are read at each question.
  struct PlacedObject {
    const Unit* unit;
    const InanimateServices* object;
  };
  mutable std::vector<PlacedObject> objects_;
  mutable uint64_t objectsStamp_ = 0;
  float WorkOutGroundWeight(float x, int32_t adjust) const;
};
