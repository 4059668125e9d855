#pragma once

class Battle;

// What the operation asks of the application that plays it: the battle in play, making a new
// battle the one in play, the scenario title and the battle screen. The application and the
// headless player implement it; tests use fakes.
class CampaignHost {
 public:
  virtual ~CampaignHost() = default;

  // The battle in play, or null.
  virtual Battle* GetCurrentBattle() = 0;
  // Makes the battle the one in play and takes it over; the previous one is deleted.
  virtual void MakeCurrentBattle(Battle* battle) = 0;
  // The application's scenario title.
  virtual void SetScenarioTitle(const char* title) = 0;
  // Opens the battle screen on the battle in play.
  virtual void EnterBattleScreen() {}
  // Between battles: while set, the map and unit services answer for the operation (its map
  // and its units) although the finished battle is still the one in play.
  virtual void ServeOperation(bool /*on*/) {}
};
