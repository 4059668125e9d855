#pragma once
#include <cstdint>
#include <string>

#include "app/GameFileSettings.h"
#include "game/battle/CampaignHost.h"

class Battle;
class BattleInPlay;
class Campaign;
class GFile;
class GameFileHeader;
class MapAppServices;

// The one stored form of every game: scenarios, saved games, the autosave, e-mail turns and
// the whole game sent over the link. A fixed header the game list reads alone, the play
// settings, the briefings, then the stored battle, the operation and the packets of the
// action.
//
// Reading builds a new battle and operation and hands them over only when the whole file was
// accepted: a refused file changes nothing. While a file is read the battle being read is the
// one its operation sees; afterwards the operations read here ask the outer host. This object
// stays the host of every operation it read, so it lives as long as the application.
class GameFile : public CampaignHost {
 public:
  static constexpr uint8_t kFormat = 2;
  static constexpr uint8_t kVersion = 4;
  static constexpr int32_t kReservedHeader = 1024;
  static constexpr int32_t kExtensionCount = 255;
  static constexpr int32_t kExtensionReserved = 253;
  static constexpr int32_t kEmailReserved = 72;
  static constexpr uint16_t kMinuteMs = 60000;
  static constexpr uint16_t kMaxTimeLimitMinutes = INT32_MAX / kMinuteMs;

  // What reading gives: 0 the file was taken, else the alert that tells why not.
  static constexpr int32_t kAccepted = 0;
  static constexpr int32_t kAlertOtherEdition = 9;
  static constexpr int32_t kAlertNewerVersion = 10;
  static constexpr int32_t kAlertOldEmail = 11;
  static constexpr int32_t kAlertRefused = 14;

  // outer: the host the operations read here ask outside a read (null: none yet). While a
  // file is read, the battle (else the operation) being read is the one the units and the map
  // find in play: inPlay is told which, and when the read is over.
  GameFile(MapAppServices& app, CampaignHost* outer, BattleInPlay& inPlay);
  GameFile(const GameFile&) = delete;
  GameFile& operator=(const GameFile&) = delete;

  // Writes the game. The file is an e-mail turn when it is in e-mail writing mode. The
  // operation may be null, and so may the battle (then only an operation or nothing is
  // stored). The caller tests the file's error flag and finishes the file.
  static void Write(GFile& file, GameFileSettings& settings, Battle* battle, const Campaign* operation);
  // Writes the game into a new file at a program path, in a game-file or e-mail writing mode
  // (the file is finished when it closes); false when it could not be made or written.
  static bool WriteFile(const std::string& path, int32_t mode, GameFileSettings settings, Battle* battle,
                        const Campaign* operation);

  // Reads the whole file. Accepted: settings, battle and operation hold what was read (the
  // objects are new and the caller's; either may be null). Otherwise nothing is changed and
  // the result names the alert to show.
  int32_t Read(GFile& file, GameFileSettings& settings, Battle*& battle, Campaign*& operation);

  // The fields the game list shows: false when the file is of a newer format or version or
  // ends within them. Changes nothing else.
  static bool ReadHeaderOnly(GFile& file, GameFileHeader& header);
  // The most a game file's decoded form can hold, from the unit count its header declares
  // (the raw prefix, read before anything is decoded): the map with its object lists, the
  // header and the briefings in 16 MiB, and under 2 KiB a unit, counted twice (an operation
  // stores its battle's units beside its own). Game files hold no packets (e-mail turns,
  // which do, are read in another mode). The program hands it to GFile.
  static uint64_t DecodeLimit(const uint8_t* prefix, size_t size);

  // Whether the packets of the action go with the file (an e-mail turn outside the editor of
  // a battle whose action holds a packet of a kind other than sounds, and no cease-fire of
  // both sides).
  static bool SavesPackets(bool emailTurn, const GameFileSettings& settings, const Battle* battle);
  // The units a file's size field counts: the unit group and every reinforcement group.
  static int32_t CountUnits(const Campaign* operation, const Battle* battle);

  // ---- The operations' host ----
  Battle* GetCurrentBattle() override;
  void MakeCurrentBattle(Battle* battle) override;
  void SetScenarioTitle(const char* title) override;
  void EnterBattleScreen() override;
  void ServeOperation(bool on) override;

 private:
  int32_t ReadBody(GFile& file, GameFileSettings& settings, Campaign*& operation);

  MapAppServices* app_;
  CampaignHost* outer_;
  BattleInPlay& inPlay_;
  // The battle of the file being read, owned until the read ends.
  Battle* reading_ = nullptr;
  bool inRead_ = false;
};
