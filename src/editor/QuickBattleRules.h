#pragma once
#include <array>
#include <cstdint>

// The arithmetic of a quick battle: the force sizes, handicaps and type multipliers that give
// each side its points, the proposed map size, random conditions, the computer's choice of
// nationality and experience, and the completion's zones and flag budget. Pure functions of
// their arguments and the game's generator, so that the set-up screen, the completion and the
// tests compute the same thing.
//
// A product of one of the 32-bit float constants with a count of points is taken with the
// constant widened to double and then truncated toward zero.
class QuickBattleRules {
 public:
  static constexpr int32_t kForceSizes = 13;
  static constexpr int32_t kHandicaps = 11;
  static constexpr int32_t kNoHandicap = 4;
  static constexpr int32_t kMeetingEngagement = 3;

  // Points of the "Force Size" item 0..12; another item is a programmer error (fatal).
  static int32_t ForceSize(int32_t item);
  // The factor of the "Handicap" item 0..10 (0.33 .. 3.0).
  static float HandicapFactor(int32_t item);
  // trunc(factor widened to double x points).
  static int32_t ScalePoints(float factor, int32_t points);
  // The attacker's points: base times the multiplier of the quick-battle type (0 Assault 1.75,
  // 1 Attack 1.5, 2 Probe 1.35, 3 Meeting Engagement none), then times the handicap factor.
  static int32_t AttackerPoints(int32_t quickType, int32_t base, int32_t handicapItem);
  // 5000 plus the handicap factor in percent, negated for an Axis attacker (battle type 0).
  static int32_t PlayBalance(int32_t handicapItem, int32_t battleType);
  // n raised to the next multiple of 80 unless it is one.
  static int32_t RoundUpTo80(int32_t n) { return (n + 79) / 80 * 80; }
  // The proposed map height (map size item 0 Small, 1 Medium, 2 Large) and width, in metres.
  static int32_t ProposedHeight(int32_t base, int32_t mapSizeItem);
  static int32_t ProposedWidth(int32_t base);
  // The ground condition of a weather 0..5 (fatal outside).
  static int32_t GroundOfWeather(int32_t weather);
  // "Random" weather: Random(6); Thick Fog halved toward Clear (one more draw), Snow outside
  // season 3 Clear.
  static int32_t DrawWeather(int32_t season);
  // The force type after the restriction's override: Gebirgsjäger and Volkssturm (Axis items 4
  // and 5) and the airborne forces (Allied items 2, 4 and 7) are always Infantry.
  static int32_t OverrideForceType(int32_t side, int32_t restriction, int32_t forceType);

  // ---- The computer's purchase ----
  // Experience 0..5 from the quality 0 High, 1 Medium, 2 Low (fatal outside).
  static int32_t DrawExperience(int32_t side, int32_t quality);
  // The force code of a "Force" item 1..5 (Axis) or 1..8 (Allied); fatal outside.
  static int32_t ForceCodeOfRestriction(int32_t side, int32_t restriction);
  // A force code drawn by side and force type 0..3 (fatal outside); Volkssturm only from
  // February 1945 (date 4502).
  static int32_t DrawForceCode(int32_t side, int32_t forceType, int32_t date);
  // The category of the next pick: r = Random(the sum of the room left), the first category
  // whose running sum of room passes r; a defender's Artillery pick then becomes Support with
  // a chance by the enemy's force type (Armor 80, Combined Arms 50, Mechanized 35 in 100,
  // Infantry never). The room must add up to more than 0.
  static int32_t PickCategory(const std::array<int32_t, 6>& room, bool attacker, int32_t enemyForceType);
  // Scales the six category limits down so that they add up to at most 1.35 times the force
  // points (limits[6]); nothing when they already do, or when their sum or the points are 0.
  static void ScaleLimits(std::array<int32_t, 7>& limits);

  // ---- The completion ----
  struct Layout {
    float attackerZone;   // p: fraction of the columns
    float defenderZone;   // q
    float flagBudget;     // c: times the nominal force size
    float flagNear;       // d: band of the flags, from the defender's edge
    float flagFar;        // e
    float largeChance;    // f
  };
  // The layout of quick-battle type 0..3 (fatal outside).
  static const Layout& LayoutOf(int32_t quickType);
  // The zone strips [0, a) (Allied) and [b, W) (Axis) of a map W tiles wide.
  static void ZoneStrips(int32_t tilesX, int32_t quickType, int32_t battleType, int32_t* a, int32_t* b);
  // trunc(force size x c - 50).
  static int32_t FlagBudget(int32_t base, int32_t quickType);
};
