#pragma once
#include <cstdint>
#include <vector>

#include "game/ai/PlacementCell.h"
#include "game/battle/ComputerPlayer.h"

class AIGoalGroup;
class AIGroup;
class Battle;
class Map;
class GDynamicArray;
class GGroup;
class GObjectGroup;
class Unit;
struct AIPlanContext;
struct PathPoints;
struct SituationRecord;
struct Waypoint;

// The computer player: plans one side's set-up or orders. The turn driver is in
// AIOperationalTurn.cpp, the groups' upkeep in AIOperationalGroups.cpp.
class AIOperational : public ComputerPlayer {
 public:
  // ---- The turn (AIOperationalTurn.cpp) ----
  // Plans the side: in the set-up phase builds its groups, in an orders phase brings them up
  // to date and gives orders. Leaves the side to play, the map's drawing and its visibility
  // cache as they were, and the meter closed.
  void PlanTurn(Battle& battle, int32_t side, ComputerPlayerHost& host) override;
  // The chance that a defending side gives up its hold orders this turn: 1 - the product over
  // i from the turn down to 1 of (0.85 - 0.03 i), in single precision; 1.0 when the enemy has
  // a boat.
  static float ReleaseChance(int32_t turn, bool enemyHasBoat);
  // The members of a group that are alive, can fight and are not infantry riding.
  static int32_t CountPlannableUnits(const AIGroup& group);

  // ---- The groups (AIOperationalGroups.cpp) ----
  // Every living unit of the side, and every surrendered enemy, not riding and neither an
  // airplane nor an object, joins the side's catch-all group (mode 3, made when missing and
  // kept only when it takes someone); a unit already in another group joins only when it has
  // been captured, and leaves that group. Captured enemies then leave the catch-all.
  static void UpdateCatchAllGroup(const AIPlanContext& context);
  // Deletes the side's empty groups; groups other than modes 2 and 3 lose their dead and
  // surrendered units, and hand units that cannot move, or that have no ammunition left and
  // no exit to reach, to the side's mode-2 group with their moves cancelled.
  // Then (AIOperationalAssign.cpp) brings the side's objectives and groups up to date: each
  // goal's secured mark, the garrisons left at secured goals, and the free groups sent out: a
  // defender's one at a time to the goals most in need while the demand holds, an attacker's
  // all, nearest first.
  static void AssignObjectives(const AIPlanContext& context);

  // ---- The objectives (AIOperationalObjectives.cpp) ----
  // Builds the side's objectives list unless it has one: in a stand-alone battle from the
  // battle's flags (each taken for its points or by a one-in-four draw, near ones merged) and
  // the exits; in an operation's battle one goal per flag, with flags along the front added in
  // the set-up phase. Flags are added to the battle only while neither side has a list. Each
  // goal is worth its share of the side's flag points times its edge factor.
  static void SetUpObjectives(const AIPlanContext& context);
  // Frees every group of the side whose mode names no goal of the side's list, or no mode at
  // all (4 when the side defends, else 0): a list built again after a load may be shorter or
  // ordered otherwise. One log line when any was freed; returns how many.
  static int32_t FreeGroupsWithoutGoal(const AIPlanContext& context);

  // ---- Forming the groups on the first turn (AIOperationalSetupGroups.cpp) ----
  // Unit categories of the set-up: 0 level-1 leaders someone is assigned to, 1 squads with an
  // assigned leader, 2 armoured units with a main weapon, 3 armoured units, 4 vehicles, 5
  // leaders, 6 to 11 main weapon types 0, 1, 2 or 3, 4, 5, 6; above 11 every unit. True for a
  // unit outside the category.
  static bool UnitNotInCategory(const Battle& battle, const Unit& unit, int32_t category);
  // -1, 0 or 1 as a's coordinate (y when byY, else x) is lower, equal or higher than b's.
  static int32_t CompareAlongFront(const Unit& a, const Unit& b, bool byY);
  // Moves the category's units from units into the first groupCount groups: squads join the
  // group holding their assigned leader (or none); others are split into a high and a low wing
  // along the front, with a third and fourth group taking the wings' outer units.
  static void DistributeUnits(const AIPlanContext& context, GGroup& units, AIGroup* const* groups, int32_t groupCount,
                              int32_t category);
  // How many groups an attacker forms for its number of objectives; draws only where the
  // count is left to chance.
  static int32_t AttackerGroupCount(int32_t objectives);
  // The side's goal whose centre is nearest to the point, or null; its distance in distance
  // (9e20 when none).
  static AIGoalGroup* NearestGoal(const AIPlanContext& context, float x, float y, float* distance);
  // A new list, not owning them, of the side's goals by distance to the point, nearest first.
  static GObjectGroup* GoalsByDistance(const AIPlanContext& context, float x, float y);
  // Merges the two groups of the list with the nearest centres until one fewer is left (at
  // least one), then sends every group to goal 0 when the side has exactly one goal, else
  // frees it (mode 4).
  static void MergeClosestGroups(const AIPlanContext& context, GObjectGroup& groups);

  // ---- The outlook grid (AIOperationalOutlook.cpp) ----
  // Fills the grid (16-bit, one element per tile, row y and column x) for the side's set-up
  // zone: high byte the far outlook, low byte the near outlook towards the enemy's edges, both
  // percentages; 0 outside the zone.
  static void BuildOutlookGrid(const AIPlanContext& context, GDynamicArray& grid);
  // The packed outlook of one tile over the directions set in mask (16 compass points from
  // North clockwise).
  static uint16_t TileOutlook(const AIPlanContext& context, int32_t tx, int32_t ty, const bool* mask);
  // Whether a tile's set-up zone value belongs to the side's zone (1..3 for side 1, 4..6 for
  // side 0).
  static bool IsSideZoneValue(int32_t side, int32_t zone);

  // ---- Placement in the set-up zone (AIOperationalPlacement.cpp) ----
  // Parked units wait this far east of their place.
  static constexpr float kParkOffset = 99999.0f;
  // The score of a point for a unit in its set-up zone: how hidden, what the outlook grid
  // says for its role, how crowded by the side's grouped units, and the terrain. -999 where it
  // cannot stand or off the map, -1 when its main weapon is unusable; otherwise the unit is
  // left standing there. The flags: a class 2 or 3 weapon (without its flag), a class 5
  // weapon, a special weapon (without its flag).
  static float ScoreSetupPoint(const AIPlanContext& context, Unit& unit, const GDynamicArray& grid, float x, float y,
                               bool classTwoOrThree, bool classFive, bool special);
  // The role the score rates a unit in: 0 near view for a defender, 1 long views, 2 near and
  // hidden, 3 no view wanted, 4 in the open (vehicles, mortars).
  static int32_t SetupRole(const AIPlanContext& context, const Unit& unit, bool classTwoOrThree, bool classFive,
                           bool special);
  // (v + 10) x q of the score for the exposure (already raised for vehicles) and the tile's
  // packed outlook.
  static float RoleScore(float exposure, int32_t role, uint16_t outlook);
  // The factor in 0..1 that favours points towards the side's own edges.
  static float EdgeWeight(const AIPlanContext& context, float x, float y, int32_t side);
  // A defender's preference for the map's centre: 1.0 there, 0.5 in a corner.
  static float CentreWeight(const AIPlanContext& context, float x, float y);
  // Below 500 m of front depth the weight k is drawn towards 1: (1 - a) k + a, a = 1 - 0.002
  // x depth.
  static float BlendForFrontDepth(float k, float frontDepth);
  // 100 m for infantry without a special weapon, else 200 m.
  static float PlacementRadius(const Unit& unit);
  // The long-view value of a neighbouring point for a gun looking for a fire position.
  static float NeighbourTileValue(const AIPlanContext& context, Unit& unit, const GDynamicArray& grid, float x,
                                  float y);
  // Puts the unit on the best jittered point of its zone's tiles; a unit with no usable point
  // stays, and a parked one comes back.
  static void PlaceInSetupZone(const AIPlanContext& context, Unit& unit, const GDynamicArray& grid, bool noCentre);
  // Puts the unit on the best point of its zone within its placement radius of the other;
  // false, with the unit not placed, when no point scored at least 0.
  static bool PlaceNearUnit(const AIPlanContext& context, Unit& unit, float otherX, float otherY,
                            const GDynamicArray& grid);
  // The unit's slot 117: infantry with a weapon of its own grade or a special main weapon
  // (any main weapon when the flag is set).
  static bool HasSpecialWeapon(const Unit& unit, bool flag);

  // ---- Garrisons and the set-up's small steps (AIOperationalGarrison.cpp) ----
  // Two passes over the goals in order, while units are left: the first fills each goal's
  // holding group (made when missing) to half of what it needs, the second to all of it. A
  // unit joins when it can be placed near the goal's centre, and leaves the unit list.
  static void GarrisonGoals(const AIPlanContext& context, int32_t total, GGroup& goals, GGroup& units,
                            const GDynamicArray& grid);
  // Puts the unit into the holding group of the nearest goal within its placement radius that
  // still needs units; false when there is none.
  static bool AssignToNearestGoal(const AIPlanContext& context, Unit& unit, int32_t total);
  // A new group of the unit alone, its centre at the unit, appended to the list.
  static void MakeSingleUnitGroup(Unit& unit, GGroup& list);
  // Takes a unit off the map (east by the park offset) until it is placed; code 7 stays.
  static void ParkUnit(Unit& unit);
  // False for infantry squads and level-1 leaders, true for every other unit.
  static bool NotSquadOrPlatoonLeader(const Unit& unit);
  // Infantry on a dirt road in trees starts on the upper level at even odds (one draw); every
  // other unit of the side not kept in place on the lower.
  static void ChooseStartLevel(const AIPlanContext& context, Unit& unit);

  // ---- Squads and leaders at set-up (AIOperationalSetupSquads.cpp) ----
  // Squads standing away from their own leader trade places (and groups) with units of the
  // same zone in the leader's group, until no trade is left; units is a list to work on.
  static void ReuniteSquadsWithLeaders(const AIPlanContext& context, GGroup& units);
  // Gathers the squads of every platoon around its squad number 1 by swapping places with
  // nearer squads of other platoons (same zone only; a defender's swap their groups too).
  static void OrderPlatoons(const AIPlanContext& context);
  // Puts a level-1 leader a few metres from the middle squad of those it leads (in its zone
  // when it leads none). True when a defender's leader joined that squad's group, so that the
  // caller drops it from its old one.
  static bool PlaceLeaderWithSquads(const AIPlanContext& context, Unit& leader, const GDynamicArray& grid);
  static void PlaceLeadersOfGroup(const AIPlanContext& context, AIGroup& group, const GDynamicArray& grid);
  // An infantry unit of the side riding a vehicle joins the vehicle's group.
  static void JoinVehicleGroup(const AIPlanContext& context, Unit& unit);
  // Every infantry unit of the battle finds its leader in command from where it stands.
  static void RefreshLeaderLinks(Battle& battle);
  // The side's group holding the unit, or null.
  static AIGroup* GroupHolding(const AIPlanContext& context, const Unit* unit);

  // ---- The set-up's forming of groups (AIOperationalBuildGroups.cpp) ----
  // The side's first turn: makes its group list, places its units and fortifications and
  // forms its groups.
  static void BuildGroups(const AIPlanContext& context);
  // The role the set-up sorts units by: 0 none wanted (guns, units that cannot move, and
  // everything but infantry and vehicles), 1 an attacker's heavy weapon, 2 special weapons, 3
  // riflemen, 4 class 5 weapons and fighting vehicles.
  static int32_t PlanningRole(const AIPlanContext& context, const Unit& unit);
  // Role first (lower first), then the distance to the nearest goal (nearer first).
  static int32_t CompareByRoleAndGoal(const AIPlanContext& context, const Unit& a, const Unit& b);
  // Places a unit of role 0 or 1 (not kept in place) in its zone; a role 0 unit then joins
  // the placement group (true).
  static bool PlaceRoleUnit(const AIPlanContext& context, Unit& unit, const GDynamicArray& grid, AIGroup& placed);
  // Places a unit not kept in place and of a role other than 1 in its zone; an attacker's
  // level-1 leaders wait for their squads.
  static void PlaceUnitInZone(const AIPlanContext& context, Unit& unit, const GDynamicArray& grid);
  // The facing that turns a unit away from its side's edge (a vehicle whose gun points back
  // from the opposite edge).
  static float SetupFacing(const Battle& battle, const Unit& unit);

  // ---- Fortifications at set-up (AIOperationalFortifications.cpp) ----
  // Places the list's roadblocks, wire, target reference points and mines, kind by kind (0, 1,
  // 2, 4, 5, 6); those leave the list, other kinds stay in it.
  static void PlaceAllFortifications(const AIPlanContext& context, GGroup& objects);
  // Places objects of one kind (the first one's) on the best jittered tiles of the side's
  // zone, kept apart from the side's units; empties the list.
  static void PlaceFortifications(const AIPlanContext& context, GGroup& objects);
  // The weight of a tile for an object of its kind, with the edge correction: at least 2, or 1
  // where it may not stand.
  static int32_t FortificationWeight(const AIPlanContext& context, int32_t tx, int32_t ty, Unit& object);
  // Jitters every cell's weight (one draw each), takes the best cell of the object's zone (any
  // zone for a target reference point) and puts the object there.
  static void PlaceOneFortification(const AIPlanContext& context, Unit& object, std::vector<PlacementCell>& cells);
  // The object kind of an inanimate unit; -1 for any other unit.
  static int32_t ObjectKind(Unit& unit);

 // ---- How one unit stands: its situation record and the two situation scores
  // (AIOperationalSituation.cpp) ----
  // Fills the record of the unit for the distance to the point planned for (0 for none). May
  // give an armoured unit, or one with a special weapon, the target it settled on; a unit
  // without a target chooses one on a trial copy, which is gone again when this returns.
  static void FillSituationRecord(const AIPlanContext& context, Unit& unit, SituationRecord& record, float distance);
  // The threat step's callback: the other unit's harm to the unit when it aims at it.
  static void SumThreatOnUnit(const AIPlanContext& context, Unit& other, Unit& unit);
  // The best-other-shot step's callback: the unit's harm to a candidate it may target, has in
  // range and does not see, raising the context's best.
  static void FindBestOtherTarget(const AIPlanContext& context, Unit& candidate, Unit& unit);
  // The two scores of the unit for the distance; both 0 when the record does not apply.
  static void EvaluateSituation(const AIPlanContext& context, Unit& unit, float distance, float& first,
                                float* second);
  // The first score (how much the unit should press on) and the second (how much it should
  // seek a better place), corrected for the kind of unit, its target, its ground and the turn.
  static float FuzzyScoreA(const AIPlanContext& context, Unit& unit, const SituationRecord& record);
  static float FuzzyScoreB(const AIPlanContext& context, Unit& unit, const SituationRecord& record);
  // The unit's weapon reach the record's past-reach distance is measured from.
  static float WeaponReach(const Unit& unit);
  // Ground the scores count as clear under the unit.
  static bool StandsOnClearGround(const Unit& unit);
  // A leader level of 1 or more.
  static bool IsLeader(const Unit& unit);
  // ---- End of the situation ----

  // ---- A better place near the unit (AIOperationalPosition.cpp) ----
  // Cell (kPresentCell, kPresentCell) is the unit's present position.
  static constexpr int32_t kPresentCell = -999;
  // The weight of a cell by its ring distance 0..10 from the unit's cell; fatal outside.
  static float RingFactor(int32_t ring);
  // The score of the cell for the unit against the enemies, -1.0 for one it cannot use: the
  // best of three jittered points (its point to the outs), how exposed it is there, what it
  // could hurt, how much danger it runs and how well it keeps touch with its leader or men.
  // The best enemy goes to the out only when one was found. The unit is put back.
  static float ScorePosition(const AIPlanContext& context, Unit& unit, int32_t i, int32_t j, const std::vector<Unit*>& enemies,
                             float* outX, float* outY, Unit** outEnemy);
  // The enemies the search scores against: per quadrant the three most worth hitting, and
  // for an armoured unit also the two most dangerous to it.
  static void ChooseEnemiesToScore(const AIPlanContext& context, Unit& unit, std::vector<Unit*>& chosen);
  // The search behind slot 120: the best cell of the 5 x 5 block, then, with extend, of the
  // rings further out; a move order there when it beats the present place. True when ordered.
  static bool FindBestNearbyCell(const AIPlanContext& context, Unit& unit, bool extend, bool noBaseline);
  // A living identified enemy infantry unit of another side than side within 120 m (a squad
  // or a type-1 weapon) or 60 m of the point.
  static bool EnemyInfantryNear(const AIPlanContext& context, float x, float y, int32_t side);
  // Whether the infantry leader keeps the other unit within reach of its command.
  static bool WithinCommandReach(const Unit& leader, const Unit& other);
  // ---- End of the better place ----

  // ---- Move orders (AIOperationalMoves.cpp) ----
  // A route to the point as the unit's waypoints, its move mode by kind (tactical: armour
  // weighs its shot at the target), spread out over the first 200 m when asked, and the order
  // delay. The out (when given) tells whether an infantry team's first 60 m cross open ground.
  static void OrderMoveTo(const AIPlanContext& context, Unit& unit, float x, float y, bool tactical, bool spread,
                          bool* earlyLeg);
  // The move mode of a moving order's route before any tactical choice: infantry by its speed
  // class, vehicles 2.
  static int32_t RouteMoveMode(const Unit& unit);
  // Whether a move ordered with spread asked spreads its route.
  static bool MoveSpreads(const Unit& unit, bool spread);
  // Spreads the first 200 m of a route's count points (the last kept): each point is moved
  // within reach of where it was, on the same terrain and ground the unit can stand on, by
  // draws from the generator whose number the route decides.
  static void SpreadRoute(const Map& map, Unit& unit, Waypoint* points, int32_t count);
  // Every sample of the leg, one each 20 m or so and both ends, is on ground that counts as
  // clear; a leg under 1 m is tested at its start.
  static bool LegIsClear(const Map& map, float x0, float y0, float x1, float y1);
  // The map's route for the unit from where it stands to (x, y), its search timed as the
  // plan's route phase and counted when it runs out of nodes; the map's result code.
  static int32_t FindRoute(Map& map, Unit& unit, float x, float y, PathPoints& route);
  // Where near the goal the unit goes, if at all: false when it stays.
  static bool AdvanceOnGoal(const AIPlanContext& context, Unit& unit, AIGoalGroup* goal, bool* earlyLeg);
  // What AdvanceOnGoal decides before it orders anything: to stay, to keep the order the unit
  // has, to run for the exit towards (x, y), or to move to (x, y), spread out or not.
  struct Advance {
    enum Kind { kStays, kKeeps, kExitRun, kMoves };
    Kind kind = kStays;
    float x = 0.0f;
    float y = 0.0f;
    bool spread = false;
    // Moving to a friend's waypoint: the place is the friend's whatever the draws before it.
    bool toFriendsWaypoint = false;
  };
  // The decision, with AdvanceOnGoal's draws from the generator; nothing else is changed, so
  // that a planner may also ask it ahead with the generator put back afterwards.
  static Advance ChooseAdvance(const AIPlanContext& context, Unit& unit, AIGoalGroup* goal);
  // The exit run of a unit near its side's exit goal (x, y): a route along to the edge and a
  // last waypoint past it.
  static void RunForTheExit(const AIPlanContext& context, Unit& unit, float tx, float ty, bool* earlyLeg);
  // ---- End of move orders ----

  // ---- A group's turn (AIOperationalGroupPlan.cpp) ----
  // Plans the group's usable units by its mode: scored, then in rounds some look for a
  // better place, some advance on the objective, some bring a squad along, and the rest hold
  // (their moves cancelled).
  static void PlanGroup(const AIPlanContext& context, AIGroup& group);
  // The share of a group sent to a goal, nearest first, whose second score is damped.
  static float GoalRoundShare(const Unit& unit);
  // Road and water ground, where a vehicle's second score is never damped.
  static bool IsRoadOrWaterTerrain(int32_t type);
  // A steady enemy infantry unit at half strength or more, a squad or armed, within 100 m.
  static bool EnemyThreatNear(const AIPlanContext& context, const Unit& unit);
  // ---- End of a group's turn ----

  // ---- Area fire (AIOperationalAreaFire.cpp) ----
  // The side's units with a class 5 weapon and rounds of kind 0 take the best 40 m cell they
  // can see as their area target, keep a target near it, or drop their fire.
  static void PlanAreaFire(const AIPlanContext& context);
  // Alive, a class 5 weapon, of the side, able to fight, not riding, with rounds of kind 0.
  static bool IsFireUnit(const AIPlanContext& context, const Unit& unit);
  // The worth of the cell centred on the point to the side: the known enemies around it,
  // less its own units near it; what lies beyond it, seen from the side's edge, to behind.
  static int32_t ScoreFireCell(const AIPlanContext& context, float x, float y, int32_t side, int16_t* behind);
  // The base threshold for the fire-unit count and the turn; f to the out (0 or below late
  // in the battle).
  static int32_t AreaFireBase(int32_t fireUnits, int32_t turn, int32_t turns, float* f);
  // The unit's own threshold: raised as its rounds run low, at most 5 after losses, at least 1.
  static int32_t AreaFireThreshold(int32_t base, float f, const Unit& unit);
  // ---- End of area fire ----

  // ---- Crowding relief (AIOperationalCrowding.cpp) ----
  // Squads that would bunch where the enemy can see them are spread: a mover is stopped,
  // a stander looks for a better place.
  static void RelieveInfantryCrowding(const AIPlanContext& context);
  // Where the unit stands at the end of its orders: its last waypoint, else its position.
  static void GetPlannedPoint(const Unit& unit, float* x, float* y);
  // How far a unit of the speed class gets in one turn, metres.
  static float TurnReach(int32_t speedClass);
  // The crowding a squad bears at the exposure of its point.
  static float CrowdingThreshold(float exposure);
  // ---- End of crowding relief ----

  // ---- The orders digest (AIOperationalDigest.cpp) ----
  // One value for every unit's waypoints, target unit or point, hold and area-fire flags,
  // each side's groups (modes, members) and the generator's state: two plans alike give the
  // same value.
  static uint32_t OrdersDigest(const Battle& battle);
  // ---- End of the orders digest ----

 private:
  // The goal half of AssignObjectives (AIOperationalAssign.cpp).
  static void AssignGoals(const AIPlanContext& context);
  static void SendDefendersToGoals(const AIPlanContext& context);
  static void SendAttackersToGoals(const AIPlanContext& context);
};
