#pragma once
#include <cstdint>

// Where the computer player's plans spend their time, phase by phase (each phase's own time,
// without the phases timed inside it), and how often they score a position: the benchmarks
// read and reset it. Nothing here changes a plan.
class AIPlanProfile {
 public:
  enum Phase {
    kUpkeep,      // catch-all group, objectives and groups brought up to date
    kCostGrids,   // the path-cost grids built for the side
    kGroups,      // the groups' own planning, besides the phases below
    kEvaluation,  // situation records and their fuzzy scores
    kBestCells,   // the best nearby cell, besides its evaluations
    kAdvances,    // advances on goals, besides their evaluations and route searches
    kRoutes,      // the path finder's searches for the plan's moves
    kCrowding,    // infantry crowding relief, besides its cell searches
    kAreaFire,    // area-fire cells and targets
    kMeter,       // the progress meter's redraws
    kPhases
  };
  static double seconds[kPhases];
  static int64_t scorePositionCalls;
  // Route searches of the plans that ran out of nodes before reaching their ends.
  static int64_t routesOutOfNodes;
  static void Reset();

  // Times its phase from construction to destruction; an inner scope's time is its own.
  class Scope {
   public:
    explicit Scope(Phase phase);
    ~Scope();
    Scope(const Scope&) = delete;
    Scope& operator=(const Scope&) = delete;
  };
};
