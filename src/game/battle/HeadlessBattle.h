#pragma once
#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "game/battle/CampaignHost.h"
#include "game/battle/HeadlessHost.h"
#include "game/units/ports/NullUnitScreen.h"
#include "game/units/ports/UnitContextScope.h"

class Battle;
class BattleOrderHost;
class BattleResults;
class Campaign;

// A battle with no window, sound or link: loads a scenario or a saved game from a file or from
// bytes, prepares it for play as the battle screen would (without the screen), saves it, and
// digests it. While it lives it installs in the units' context its host's battle services,
// an order host that answers the units as the battle screen does (a bailed-out crew joins the
// battle) and a null screen (nobody watches); one at a time.
class HeadlessBattle : public CampaignHost {
 public:
  HeadlessBattle();
  ~HeadlessBattle() override;
  HeadlessBattle(const HeadlessBattle&) = delete;
  HeadlessBattle& operator=(const HeadlessBattle&) = delete;

  // A new battle on a fresh map.
  void New();
  // Reads a stored battle and prepares it for play. A refused stream leaves the battle that
  // was loaded before as it was; false.
  bool LoadBytes(const std::string& bytes);
  bool LoadFile(const std::string& path);
  // The stored battle; false (and nothing written) when it cannot be stored. A battle with
  // the computer player's groups is followed by them, as a game file keeps them beside the
  // battle (bytes that end with the battle load without groups).
  bool SaveBytes(std::string& out);
  static void WriteBattle(const Battle& battle, class GFile& file);
  // Writes through a temporary file that replaces path only when the whole battle was
  // written: a failed save leaves the previous file as it was.
  bool SaveFile(const std::string& path);
  // A digest of the stored battle, the stored operation when one runs, and the generator's
  // state.
  uint32_t Digest();

  Battle* GetBattle() const { return battle_.get(); }
  HeadlessHost& Host() { return *host_; }
  // ---- Operations ----
  // Reads a stored operation and starts its first battle, prepared for play. A refused
  // stream leaves what was loaded before as it was; false. Loading a plain battle, or a new
  // one, ends the operation.
  bool LoadOperationBytes(const std::string& bytes);
  bool LoadOperationFile(const std::string& path);
  // Takes a battle and its operation as a game file holds them (the operation read with this
  // object as its host; both owned from now on) and prepares the battle for play.
  void AdoptOperation(Battle* battle, Campaign* operation);
  Campaign* GetCampaign() const { return campaign_.get(); }
  const std::string& ScenarioTitle() const { return scenarioTitle_; }
  // What the operation asks of its player.
  Battle* GetCurrentBattle() override { return battle_.get(); }
  void MakeCurrentBattle(Battle* battle) override;
  void SetScenarioTitle(const char* title) override { scenarioTitle_ = title; }
  // ---- Between battles ----
  // The operation answers for the map and the units while its pipeline runs.
  void ServeOperation(bool on) override;
  // After an operation battle's results: the between-battle pipeline (in e-mail play between
  // two players the generator is seeded with the seed first, as both machines do). False,
  // with nothing done, without an operation or a finished battle in play.
  bool AdvanceOperation(uint16_t seed);
  // The operation's next battle, prepared for play; false when the operation is over or a
  // battle is in play.
  bool StartNextOperationBattle();
  // The operation's stored form (between battles, everything it holds); false without one.
  bool SaveOperationBytes(std::string& out);
  // ---- End of between battles ----

  // ---- The turn ----
  // GO on one machine: in the set-up phase the set-up GO; else the orders GO from the shared
  // seed, with the replay run to its end.
  void Go(uint16_t seed);
  // Leaves the replay and opens the next turn's orders: packets and effects emptied, the
  // turn raised.
  void NextTurn();

  // ---- The results ----
  // The results of the battle in play once it has ended (no view is made), else null.
  const BattleResults* GetResults() const;
  // The results as text, one item a line: "Shares", "Losses 0", "Losses 1", "Men OK",
  // "Level" and "Result", then each side's rows ("Row 0: ...", "Row 1: ..."); empty before
  // the end.
  std::string ResultsReport() const;
  // The same text for the results of any battle (the program's, to compare).
  static std::string ReportOf(const BattleResults& results);
  // ---- End of the results ----
  // ---- Orders blocks ----
  // The side to play's orders block of the battle in play; false when none could be written.
  bool WriteOrders(std::string& out);
  // Gives the units of a side the orders of a block written from the same position: each
  // unit of the side takes the waypoints and targets of its counterpart in the block (by
  // exchange index). False, with nothing changed, for a refused block or one that does not
  // match the battle's units.
  bool TakeOrders(int32_t side, const std::string& bytes);
  // ---- End of orders blocks ----

  // ---- The computer player ----
  // Whether the computer plays a side (by side index): the installed ComputerPlayer plans it
  // at every GO, side 0 first. Options 10 and 11 of the plan come from the host.
  void SetComputerPlayer(int32_t side, bool on) { computerSides_[side & 1] = on ? 1 : 0; }
  // ---- End of the computer player ----

  // Takes a host of the caller's (a recording one); the battle in play moves to it.
  void SetHost(std::unique_ptr<HeadlessHost> host);

 private:
  bool Load(class GFile& file);
  bool LoadOperation(class GFile& file);
  void EndOperation();
  void Prepare();
  // Installs the host's battle services, the order host and the null screen in the units'
  // context.
  void InstallContext();

  std::unique_ptr<HeadlessHost> host_;
  std::unique_ptr<BattleOrderHost> orderHost_;
  NullUnitScreen screen_;
  std::optional<UnitContextScope> context_;
  std::unique_ptr<Battle> battle_;
  std::unique_ptr<Campaign> campaign_;
  std::string scenarioTitle_;
  std::array<uint8_t, 2> computerSides_{};
};
