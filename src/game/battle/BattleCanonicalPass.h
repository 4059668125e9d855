#pragma once

class Battle;

// Brings a battle's units to what its stored form keeps: every unit on the map and in the
// reinforcement groups is written to memory and read back into itself (scaled values are
// rounded as a save would round them, unstored runtime fields take their read values), then
// its references are restored. Each unit keeps its identity and the game's random generator
// is left as it was, so a game saved at an orders phase and reloaded continues as the unbroken
// game does. The computer player's objectives, which are not stored either, are dropped for
// its next plan to build again. Running it twice gives the state of running it once.
class BattleCanonicalPass {
 public:
  // False when a unit could not be read back (then the battle is not to be continued).
  static bool Run(Battle& battle);
};
