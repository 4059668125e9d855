#include "game/battle/HeadlessBattle.h"

#include <array>
#include <cstdio>


#include "framework/core/Crc32.h"
#include "framework/core/GFile.h"
#include "framework/core/GMemoryFile.h"
#include "framework/core/GObjectGroup.h"
#include "framework/core/Quorl.h"
#include "game/battle/Battle.h"
#include "game/battle/BattleOrderHost.h"
#include "game/battle/Campaign.h"
#include "platform/PFile.h"
#include "platform/PFileSystem.h"

namespace {

// The battle screen's answers to the units, for the battle and operation the headless battle
// plays.
class HeadlessOrderHost final : public BattleOrderHost {
 public:
  explicit HeadlessOrderHost(const HeadlessBattle& owner) : owner_(owner) {}
  HeadlessOrderHost(const HeadlessOrderHost&) = delete;
  HeadlessOrderHost& operator=(const HeadlessOrderHost&) = delete;

 protected:
  Battle* OrderBattle() const override { return owner_.GetBattle(); }
  Campaign* OrderCampaign() const override { return owner_.GetCampaign(); }

 private:
  const HeadlessBattle& owner_;
};

// The computer player's groups that may follow a stored battle, resolved against its units.
bool ReadComputerGroups(Battle& battle, GFile& file) {
  if (file.BytesLeft() == 0) return true;
  return battle.ReadAIGroups(file) && battle.ResolveAIGroups(file);
}

}  // namespace

HeadlessBattle::HeadlessBattle()
    : host_(std::make_unique<HeadlessHost>()), orderHost_(std::make_unique<HeadlessOrderHost>(*this)) {
  InstallContext();
}

HeadlessBattle::~HeadlessBattle() {
  battle_.reset();
  EndOperation();
  context_.reset();
  orderHost_.reset();
}

void HeadlessBattle::InstallContext() {
  // The drawing stays whatever the caller installed: nothing of the battle draws through it.
  context_.emplace(UnitContext{.services = &host_->Services(), .orders = orderHost_.get(), .screen = &screen_});
}

void HeadlessBattle::SetHost(std::unique_ptr<HeadlessHost> host) {
  // The battle keeps its host: a new host takes only a battle made after it.
  battle_.reset();
  EndOperation();
  context_.reset();
  host_ = std::move(host);
  InstallContext();
}

void HeadlessBattle::New() {
  host_->InPlay().SetBattle(nullptr);
  battle_.reset();
  EndOperation();
  auto battle = std::make_unique<Battle>(*host_);
  host_->InPlay().SetBattle(battle.get());
  battle->SetUp(nullptr);
  battle_ = std::move(battle);
  Prepare();
}

bool HeadlessBattle::Load(GFile& file) {
  auto battle = std::make_unique<Battle>(*host_);
  // A refused file leaves the game as it was, its random generator included.
  const uint32_t generator = RandomState();
  // The units and the map read the battle being read as the one in play.
  host_->InPlay().ReadBattle(battle.get());
  if (!battle->SetUp(&file) || !ReadComputerGroups(*battle, file)) {
    battle.reset();
    host_->InPlay().EndRead();
    SeedRandom(generator);
    return false;
  }
  host_->InPlay().EndRead();
  host_->InPlay().SetBattle(battle.get());
  battle_ = std::move(battle);
  EndOperation();
  Prepare();
  return true;
}

void HeadlessBattle::EndOperation() {
  host_->InPlay().SetCampaign(nullptr);
  campaign_.reset();
}

void HeadlessBattle::ServeOperation(bool on) { host_->InPlay().ServeOperation(on); }

bool HeadlessBattle::AdvanceOperation(uint16_t seed) {
  if (!campaign_ || !battle_ || battle_->resultsShown == 0) return false;
  if (host_->GetHumanPlayers() == 2 && host_->GetConnectionType() == 1) SeedRandom(seed);
  campaign_->AdvanceBetweenBattles();
  return true;
}

bool HeadlessBattle::StartNextOperationBattle() {
  if (!campaign_ || battle_ || campaign_->IsOver()) return false;
  campaign_->StartNextBattle();
  if (!battle_) return false;
  Prepare();
  return true;
}

bool HeadlessBattle::SaveOperationBytes(std::string& out) {
  if (!campaign_) return false;
  GMemoryFile memory;
  campaign_->Write(memory.File());
  if (memory.File().HasError()) return false;
  out = memory.Bytes();
  return true;
}

void HeadlessBattle::MakeCurrentBattle(Battle* battle) {
  host_->InPlay().SetBattle(battle);
  battle_.reset(battle);
}

bool HeadlessBattle::LoadOperation(GFile& file) {
  auto campaign = std::make_unique<Campaign>(*host_, this);
  // A refused file leaves the game as it was: the battle and operation in play and the
  // random generator.
  const uint32_t generator = RandomState();
  std::unique_ptr<Battle> previousBattle = std::move(battle_);
  Campaign* previousOperation = host_->InPlay().GetCampaign();
  host_->InPlay().SetBattle(nullptr);
  host_->InPlay().SetCampaign(campaign.get());
  if (!campaign->SetUp(&file) || battle_ == nullptr) {
    battle_.reset();
    campaign.reset();
    battle_ = std::move(previousBattle);
    host_->InPlay().SetBattle(battle_.get());
    host_->InPlay().SetCampaign(previousOperation);
    SeedRandom(generator);
    return false;
  }
  previousBattle.reset();
  campaign_ = std::move(campaign);
  Prepare();
  return true;
}

void HeadlessBattle::AdoptOperation(Battle* battle, Campaign* operation) {
  campaign_.reset(operation);
  host_->InPlay().SetCampaign(operation);
  MakeCurrentBattle(battle);
  Prepare();
}

bool HeadlessBattle::LoadOperationBytes(const std::string& bytes) {
  GMemoryFile memory(bytes);
  return LoadOperation(memory.File());
}

bool HeadlessBattle::LoadOperationFile(const std::string& path) {
  std::unique_ptr<PFile> handle = PFile::Open(path, PFile::kRead, PFile::Disposition::kOpenExisting);
  if (!handle) return false;
  GFile file;
  file.IFile(std::move(handle), path.c_str(), GFile::kModeRead);
  return LoadOperation(file);
}

void HeadlessBattle::Prepare() {
  Battle& battle = *battle_;
  battle.ComputeVisibility();
  battle.RefreshUnitDisplays();
  battle.ComputeStrengthRatios();
  battle.PrepareForPlay();
  battle.ComputeScoreShares(true, nullptr, nullptr);
}

bool HeadlessBattle::LoadBytes(const std::string& bytes) {
  GMemoryFile memory(bytes);
  return Load(memory.File());
}

bool HeadlessBattle::LoadFile(const std::string& path) {
  std::unique_ptr<PFile> handle = PFile::Open(path, PFile::kRead, PFile::Disposition::kOpenExisting);
  if (!handle) return false;
  GFile file;
  file.IFile(std::move(handle), path.c_str(), GFile::kModeRead);
  return Load(file);
}

void HeadlessBattle::WriteBattle(const Battle& battle, GFile& file) {
  battle.Write(file);
  if (battle.HasAIGroups()) battle.WriteAIGroups(file);
}

bool HeadlessBattle::SaveBytes(std::string& out) {
  if (!battle_) return false;
  GMemoryFile memory;
  WriteBattle(*battle_, memory.File());
  if (memory.File().HasError()) return false;
  out = memory.Bytes();
  return true;
}

bool HeadlessBattle::SaveFile(const std::string& path) {
  std::string bytes;
  if (!SaveBytes(bytes)) return false;
  const std::string temporary = path + ".new";
  {
    std::unique_ptr<PFile> handle = PFile::Open(temporary, PFile::kWrite, PFile::Disposition::kCreateAlways);
    if (!handle) return false;
    if (handle->Write(bytes.data(), bytes.size()) != static_cast<int64_t>(bytes.size()) || !handle->Flush()) {
      handle.reset();
      PFileSystem::Delete(temporary);
      return false;
    }
  }
  return PFileSystem::RenameReplace(temporary, path);
}

uint32_t HeadlessBattle::Digest() {
  std::string bytes;
  const bool battle = SaveBytes(bytes);
  std::string operation;
  const bool inOperation = SaveOperationBytes(operation);
  if (!battle && !inOperation) return 0;
  uint32_t crc = 0xFFFFFFFFu;
  for (char c : bytes) crc = Crc32Update(crc, static_cast<uint8_t>(c));
  for (char c : operation) crc = Crc32Update(crc, static_cast<uint8_t>(c));
  const uint32_t state = RandomState();
  for (int32_t shift = 24; shift >= 0; shift -= 8) crc = Crc32Update(crc, static_cast<uint8_t>(state >> shift));
  return ~crc;
}

void HeadlessBattle::Go(uint16_t seed) {
  if (!battle_) return;
  Battle& battle = *battle_;
  battle.sharedSeed = seed;
  battle.computerSides = computerSides_;
  battle.planHost = host_.get();
  if (battle.IsSetupPhase()) {
    battle.SetupGo();
    return;
  }
  battle.OrdersGo();
  // The action's record to its end, with no replay to watch.
  if (!battle.IsOver()) battle.FinishRecord();
}

void HeadlessBattle::NextTurn() {
  if (battle_) battle_->NextTurn();
}

const BattleResults* HeadlessBattle::GetResults() const {
  if (!battle_ || battle_->resultsShown == 0) return nullptr;
  return &battle_->results;
}

std::string HeadlessBattle::ResultsReport() const {
  const BattleResults* results = GetResults();
  return results != nullptr ? ReportOf(*results) : std::string();
}

std::string HeadlessBattle::ReportOf(const BattleResults& results) {
  std::string out;
  char shares[64];
  std::snprintf(shares, sizeof(shares), "Shares %.4f %.4f\n", static_cast<double>(results.share[0]),
                static_cast<double>(results.share[1]));
  out += shares;
  for (int32_t side = 0; side < 2; ++side) {
    out += "Losses " + std::to_string(side);
    for (int32_t value : results.losses[side]) out += " " + std::to_string(value);
    out += "\n";
  }
  out += "Men OK " + std::to_string(results.menOk[0]) + " " + std::to_string(results.menOk[1]) + "\n";
  out += "Level " + std::to_string(results.level) + "\n";
  out += "Result " + results.resultLine + "\n";
  for (int32_t side = 0; side < 2; ++side) {
    for (const std::string& row : results.rows[side]) out += "Row " + std::to_string(side) + ": " + row + "\n";
  }
  return out;
}
