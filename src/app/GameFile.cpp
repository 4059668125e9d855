#include "app/GameFile.h"

#include <array>
#include <memory>
#include <vector>

#include "app/GameFileHeader.h"
#include "framework/core/GErrorLog.h"
#include "framework/core/GFile.h"
#include "framework/core/GString127.h"
#include "framework/core/Quorl.h"
#include "game/battle/Battle.h"
#include "game/battle/BattleInPlay.h"
#include "game/battle/Campaign.h"
#include "game/battle/MainNationality.h"
#include "game/battle/Packet.h"
#include "game/battle/ReinforcementGroup.h"
#include "game/map/Map.h"
#include "platform/PFile.h"

namespace {

constexpr int8_t kSoundPacketKind = 2;

// The computer player's groups, stored before the battle whose units they name: read, they
// wait here until the battle is read and then resolve against its units; a refused file
// deletes them.
class ComputerGroupsRead {
 public:
  ComputerGroupsRead() = default;
  ComputerGroupsRead(const ComputerGroupsRead&) = delete;
  ComputerGroupsRead& operator=(const ComputerGroupsRead&) = delete;
  ~ComputerGroupsRead() {
    for (GObjectGroup* list : lists_) delete list;
  }
  bool Read(GFile& file) { return Battle::ReadAIGroupLists(file, lists_); }
  bool Any() const { return lists_[0] != nullptr || lists_[1] != nullptr; }
  // Hands the lists to the battle and resolves them there.
  bool ResolveIn(Battle& battle, GFile& file) {
    battle.TakeAIGroupsRead(lists_);
    lists_ = {};
    return battle.ResolveAIGroups(file);
  }

 private:
  std::array<GObjectGroup*, 2> lists_{};
};

const BattleBase* BaseOf(const Battle* battle, const Campaign* operation) {
  if (operation != nullptr) return operation;
  return battle;
}

void WriteBriefing(GFile& file, const std::string& text) {
  if (text.empty()) {
    file.WriteByte(0);
    return;
  }
  file.WriteByte(1);
  file.WriteU32(static_cast<uint32_t>(text.size()));
  file.Write(text.data(), static_cast<int32_t>(text.size()));
}

// A present briefing of 1 byte to the bytes left.
bool ReadBriefing(GFile& file, std::string& text) {
  text.clear();
  if (file.ReadByte() == 0) return !file.HasError();
  const uint32_t size = file.ReadU32();
  if (file.HasError() || size == 0 || size > file.BytesLeft()) return false;
  text.resize(size);
  file.Read(text.data(), static_cast<int32_t>(size));
  return !file.HasError();
}

// Passes over n bytes that must all be there.
bool SkipChecked(GFile& file, uint32_t n) {
  if (n > file.BytesLeft()) return false;
  if (n > 0) file.Skip(static_cast<int32_t>(n));
  return !file.HasError();
}

}  // namespace

GameFile::GameFile(MapAppServices& app, CampaignHost* outer, BattleInPlay& inPlay)
    : app_(&app), outer_(outer), inPlay_(inPlay) {}

int32_t GameFile::CountUnits(const Campaign* operation, const Battle* battle) {
  const BattleBase* base = BaseOf(battle, operation);
  if (base == nullptr) return 0;
  size_t count = base->AllUnits().size();
  // A running operation has moved the units inside its battle's window into that battle.
  if (operation != nullptr && battle != nullptr) count += battle->AllUnits().size();
  return static_cast<int32_t>(count);
}

bool GameFile::SavesPackets(bool emailTurn, const GameFileSettings& settings, const Battle* battle) {
  if (!emailTurn || settings.editorOpen != 0 || battle == nullptr || battle->packets.Count() == 0) return false;
  if (battle->endState[0] == 1 && battle->endState[1] == 1) return false;
  for (int32_t i = 0; i < battle->packets.Count(); ++i) {
    if (static_cast<const Packet*>(battle->packets.GetItem(i))->kind != kSoundPacketKind) return true;
  }
  return false;
}

void GameFile::Write(GFile& file, GameFileSettings& settings, Battle* battle, const Campaign* operation) {
  settings.fileVersion = kVersion;
  const bool emailTurn = file.Mode() == GFile::kModeWriteEmail;
  const bool packets = SavesPackets(emailTurn, settings, battle);
  const bool editor = settings.editorOpen != 0;
  const BattleBase* base = BaseOf(battle, operation);

  // The header the game list reads.
  file.WriteByte(kFormat);
  file.WriteByte(kVersion);
  file.WriteByte(editor ? 0 : 1);
  int32_t length = 0;
  if (base != nullptr) length = editor ? base->lastTurn : base->lastTurn - base->currentTurn + 1;
  file.WriteU32(static_cast<uint32_t>(length));
  file.WriteU32(static_cast<uint32_t>(CountUnits(operation, battle)));
  // A running operation has moved the units inside its battle's window into that battle: the
  // force is told from both.
  std::vector<Unit*> forces;
  if (base != nullptr) forces = base->AllUnits();
  if (operation != nullptr && battle != nullptr) {
    const std::vector<Unit*> inBattle = battle->AllUnits();
    forces.insert(forces.end(), inBattle.begin(), inBattle.end());
  }
  for (int32_t side = 0; side < 2; ++side) {
    file.WriteU16(static_cast<uint16_t>(base != nullptr ? MainNationalityOf(forces, side) : 0));
  }
  GString127 title;
  if (base != nullptr) title = base->title;
  title.WriteText(file);
  file.WriteZeros(kReservedHeader);

  // The play settings.
  file.WriteByte(static_cast<uint8_t>(editor ? (settings.editorTwoPlayers != 0 ? 2 : 0) : settings.humanPlayers));
  int32_t side = settings.sideToPlay;
  uint8_t toggle = 0;
  if (settings.connectionType == 1) {
    // An e-mail turn carries what the opponent's machine continues from.
    if (emailTurn) {
      if (side == 0 || side == 1) side = 1 - side;
      toggle = settings.sideToggle != 0 ? 1 : 0;
    } else {
      toggle = settings.sideToggle != 0 ? 0 : 1;
    }
  } else {
    if (editor && settings.editorTwoPlayers == 0) side = 2;
    const bool hotseat = settings.humanPlayers == 2 && settings.connectionType == 0;
    toggle = hotseat && battle != nullptr && !battle->IsSetupPhase() ? 1 : 0;
  }
  file.WriteByte(static_cast<uint8_t>(side));
  file.WriteByte(toggle);
  file.WriteByte(operation != nullptr ? 2 : 0);
  settings.passwordDigest[0].WriteText(file);
  settings.passwordDigest[1].WriteText(file);
  settings.gameName.WriteText(file);
  const bool groups = battle != nullptr && battle->HasAIGroups();
  file.WriteByte(groups ? 1 : 0);
  if (groups) battle->WriteAIGroups(file);
  file.WriteU16(settings.sharedSeed);
  file.WriteU16(static_cast<uint16_t>(settings.timeLimitMs / kMinuteMs));
  for (int32_t i = 0; i < 3; ++i) WriteBriefing(file, base != nullptr ? base->briefing[i] : std::string());
  file.WriteByte(kVersion);
  file.WriteByte(kExtensionCount);
  file.WriteByte(settings.ordersFinished != 0 ? 1 : 0);
  file.WriteByte(static_cast<uint8_t>(settings.connectionType));
  file.WriteZeros(kExtensionReserved);

  // The stored battle, the operation and the action.
  file.WriteByte(battle != nullptr ? 1 : 0);
  if (battle != nullptr) {
    if (emailTurn) file.WriteZeros(kEmailReserved);
    // With the action's packets the map is stored as it stood when the action began, so the
    // opponent replays it from there (a map without that state is stored as it stands).
    if (packets && battle->map != nullptr && battle->map->objects.buildingsAtTurnStart != nullptr &&
        battle->map->objects.cratersAtTurnStart != nullptr && battle->map->objects.craterMarksAtTurnStart != nullptr)
      battle->map->SetWriteAlternate();
    battle->Write(file);
  }
  file.WriteByte(editor ? 0 : settings.passwordSet[1]);
  if (operation != nullptr) operation->Write(file);
  file.WriteByte(editor ? 0 : settings.passwordSet[0]);
  file.WriteByte(packets ? 1 : 0);
  if (packets) battle->WritePackets(file);
}

bool GameFile::WriteFile(const std::string& path, int32_t mode, GameFileSettings settings, Battle* battle,
                         const Campaign* operation) {
  std::unique_ptr<PFile> handle = PFile::Open(path, PFile::kRead | PFile::kWrite, PFile::Disposition::kCreateAlways);
  if (!handle) return false;
  // The file is compressed or wrapped when it is destroyed, so it lives on the heap until then.
  auto file = std::make_unique<GFile>();
  if (!file->IFile(std::move(handle), path.c_str(), mode)) return false;
  Write(*file, settings, battle, operation);
  return !file->HasError();
}

uint64_t GameFile::DecodeLimit(const uint8_t* prefix, size_t size) {
  // Format, version and the saved flag, the length, then the unit count (big-endian).
  constexpr size_t kCountAt = 7;
  if (size < kCountAt + 4) return GFile::kLargestDecoded;
  const uint64_t units = static_cast<uint64_t>(prefix[kCountAt]) << 24 | static_cast<uint64_t>(prefix[kCountAt + 1]) << 16 |
                         static_cast<uint64_t>(prefix[kCountAt + 2]) << 8 | prefix[kCountAt + 3];
  return (uint64_t{16} << 20) + units * 2 * 2048;
}

bool GameFile::ReadHeaderOnly(GFile& file, GameFileHeader& header) { return header.ReadHeader(file); }

int32_t GameFile::Read(GFile& file, GameFileSettings& settings, Battle*& battle, Campaign*& operation) {
  GameFileSettings read = settings;
  Campaign* readOperation = nullptr;
  reading_ = nullptr;
  inRead_ = true;
  // A refused file leaves the game as it was, its random generator included.
  const uint32_t generator = RandomState();
  const int32_t result = ReadBody(file, read, readOperation);
  inRead_ = false;
  inPlay_.EndRead();
  Battle* readBattle = reading_;
  reading_ = nullptr;
  if (result != kAccepted) {
    // The operation first: it may still look at the battle it was read with.
    delete readOperation;
    delete readBattle;
    SeedRandom(generator);
    GErrorLog::LogError("Game file refused");
    return result;
  }
  settings = read;
  battle = readBattle;
  operation = readOperation;
  return kAccepted;
}

int32_t GameFile::ReadBody(GFile& file, GameFileSettings& settings, Campaign*& operation) {
  const auto format = static_cast<uint8_t>(file.ReadByte());
  if (file.HasError()) return kAlertRefused;
  if (format > kFormat) return kAlertOtherEdition;
  const auto version = static_cast<uint8_t>(file.ReadByte());
  if (file.HasError()) return kAlertRefused;
  if (version > kVersion) return kAlertNewerVersion;
  file.Skip(1 + 4 + 4 + 2 + 2);  // the list's fields: saved flag, length, size, forces
  GString127 title;
  // A title longer than any the writer stores shows a damaged header.
  if (!title.ReadText(file) || file.HasError() || !SkipChecked(file, kReservedHeader)) return kAlertRefused;

  const auto players = static_cast<uint8_t>(file.ReadByte());
  const auto side = static_cast<uint8_t>(file.ReadByte());
  const auto toggle = static_cast<uint8_t>(file.ReadByte());
  const auto operationMark = static_cast<uint8_t>(file.ReadByte());
  if (file.HasError() || players > 2 || side > 2 || (operationMark != 0 && operationMark != 2)) return kAlertRefused;
  settings.humanPlayers = players;
  settings.sideToPlay = side;
  settings.sideToggle = toggle == 0 ? 1 : 0;
  settings.passwordDigest[0].ReadText(file);
  settings.passwordDigest[1].ReadText(file);
  settings.gameName.ReadText(file);
  if (file.HasError()) return kAlertRefused;
  if (settings.editorOpen == 0) title = settings.gameName;

  const int8_t groups = file.ReadByte();
  ComputerGroupsRead groupsRead;
  if (file.HasError() || (groups != 0 && !groupsRead.Read(file))) return kAlertRefused;
  const uint16_t seed = file.ReadU16();
  if (settings.hostFlag == 0 || settings.listLoad != 0) settings.sharedSeed = seed;
  // Minutes past what the 32-bit millisecond setting holds are not a limit this program sets.
  const uint16_t minutes = file.ReadU16();
  if (minutes > kMaxTimeLimitMinutes) return kAlertRefused;
  settings.timeLimitMs = static_cast<int32_t>(minutes) * kMinuteMs;
  std::string briefings[3];
  for (auto& text : briefings) {
    if (!ReadBriefing(file, text)) return kAlertRefused;
  }

  settings.fileVersion = static_cast<uint8_t>(file.ReadByte());
  if (file.HasError()) return kAlertRefused;
  const bool fromEmail = file.Mode() == GFile::kModeReadEmail;
  if (fromEmail) {
    settings.emailSeed = file.GetBlockChecksum();
    if (settings.fileVersion < kVersion) return kAlertOldEmail;
  }
  const auto count = static_cast<uint8_t>(file.ReadByte());
  if (count == 0) {
    settings.ordersFinished = 0;
  } else {
    if (count < kExtensionCount) return kAlertRefused;
    settings.ordersFinished = file.ReadByte() != 0 ? 1 : 0;
    file.ReadByte();  // the writer's connection type: this machine keeps its own
    if (file.HasError() || !SkipChecked(file, kExtensionReserved + count - kExtensionCount)) return kAlertRefused;
  }

  const int8_t battlePresent = file.ReadByte();
  if (file.HasError()) return kAlertRefused;
  if (battlePresent != 0) {
    if (fromEmail && settings.fileVersion >= 3 && !SkipChecked(file, kEmailReserved)) return kAlertRefused;
    reading_ = new Battle(*app_);
    inPlay_.ReadBattle(reading_);
    if (!reading_->SetUp(&file) || file.HasError()) return kAlertRefused;
    reading_->title = title;
    // The battle's next action starts from the game's shared seed; an e-mail turn carries the
    // seed its sender drew for the action that this machine may compute.
    reading_->sharedSeed = fromEmail ? seed : settings.sharedSeed;
    if (groupsRead.Any() && !groupsRead.ResolveIn(*reading_, file)) return kAlertRefused;
  }
  // Groups name units of a battle: without one they name nothing.
  if (groupsRead.Any()) {
    GErrorLog::LogError("Game file: computer groups without a battle");
    return kAlertRefused;
  }
  uint8_t passwordSet1 = static_cast<uint8_t>(file.ReadByte());
  if (file.HasError()) return kAlertRefused;
  if (operationMark == 2) {
    operation = new Campaign(*app_, this);
    if (reading_ == nullptr) inPlay_.ReadOperation(operation);
    if (!operation->SetUp(&file) || file.HasError()) return kAlertRefused;
    operation->title = title;
  }
  uint8_t passwordSet0 = static_cast<uint8_t>(file.ReadByte());
  const int8_t packets = file.ReadByte();
  if (file.HasError()) return kAlertRefused;
  if (packets != 0 && (reading_ == nullptr || !reading_->ReadPackets(file))) return kAlertRefused;
  if (file.HasError()) return kAlertRefused;

  // A battle under way holds both sides' passwords, but only a password whose digest reached
  // the file can be asked for: a side without one (the other machine's side in a TCP/IP
  // autosave) chooses a new password, rather than being refused whatever it types.
  if (reading_ != nullptr && (!reading_->IsSetupPhase() || reading_->currentTurn > 1)) {
    if (settings.passwordDigest[0].Length() > 0) passwordSet0 = 1;
    if (settings.passwordDigest[1].Length() > 0) passwordSet1 = 1;
  }
  settings.passwordSet[0] = passwordSet0 != 0 ? 1 : 0;
  settings.passwordSet[1] = passwordSet1 != 0 ? 1 : 0;
  BattleBase* base = operation != nullptr ? static_cast<BattleBase*>(operation) : reading_;
  if (base != nullptr) {
    for (int32_t i = 0; i < 3; ++i) base->briefing[i] = std::move(briefings[i]);
  }
  // Every game file holds a battle or an operation: the game flow plays one of them.
  if (reading_ == nullptr && operation == nullptr) {
    GErrorLog::LogError("Game file: neither a battle nor an operation");
    return kAlertRefused;
  }
  if (settings.fileVersion < 3) {
    if (operation != nullptr) operation->UpgradeOldUnitData();
    if (reading_ != nullptr) reading_->UpgradeOldUnitData();
  }
  return kAccepted;
}

Battle* GameFile::GetCurrentBattle() {
  if (inRead_) return reading_;
  return outer_ != nullptr ? outer_->GetCurrentBattle() : nullptr;
}

void GameFile::MakeCurrentBattle(Battle* battle) {
  if (!inRead_) {
    // Making a battle current needs a host that plays it.
    if (outer_ == nullptr) FatalError(__LINE__, "GameFile");
    outer_->MakeCurrentBattle(battle);
    return;
  }
  if (reading_ != battle) delete reading_;
  reading_ = battle;
  inPlay_.ReadBattle(battle);
}

void GameFile::SetScenarioTitle(const char* title) {
  if (!inRead_ && outer_ != nullptr) outer_->SetScenarioTitle(title);
}

void GameFile::EnterBattleScreen() {
  if (!inRead_ && outer_ != nullptr) outer_->EnterBattleScreen();
}

void GameFile::ServeOperation(bool on) {
  if (!inRead_ && outer_ != nullptr) outer_->ServeOperation(on);
}
