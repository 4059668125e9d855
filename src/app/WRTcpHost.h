#pragma once
#include <cstdint>
#include <string>

#include "app/TcpGameHost.h"

class TransferProgressView;
class WRApplication;

// The application's side of a TCP/IP game: the battle, its game files, screens, alerts and
// sounds as the game protocol asks for them.
class WRTcpHost : public TcpGameHost {
 public:
  explicit WRTcpHost(WRApplication& app) : app_(app) {}

  uint32_t TickCount() override;
  bool IsForeground() const override;
  int32_t VersionNumber() const override;
  bool HasBattle() const override;
  // The battlefield view shows what the link waits for: it is drawn again with the new state.
  void StateChanged(int32_t state) override;
  void ShowAlert(int32_t number) override;
  bool IsAlertOpen() const override;
  void PlaySound(int32_t number, int32_t priority) override;
  bool WriteWholeGame(std::string& bytes) override;
  bool WriteOrders(bool withPackets, std::string& bytes) override;
  bool OpenReceivedGame(const std::string& bytes) override;
  bool MergeReceivedTurn(const std::string& bytes, bool allSides, bool answer) override;
  void ReloadGraphicsIfFlagged() override;
  bool InSetupPhase() const override;
  bool CeaseFireEndsBattle() override;
  bool ComputesHere() const override { return computeHere_; }
  int32_t OwnSide() const override;
  int32_t OpponentSurrenderState() const override;
  void IssueGo() override;
  void EndReplay() override;
  void PlayReplay() override;
  void PrepareReceivedReplay() override;
  void Autosave() override;
  void OpenHostBattleScreen() override;
  void ShowGoPanel() override;
  void ShowReplayPanel() override;
  void ShowConnectionMade() override;
  void ResetMapInput() override;
  bool HasRadioEntry() const override;
  bool IsBattleViewVisible() const override;
  int32_t RadioTextWidth(const std::string& text) const override;
  int32_t RadioWidth() const override { return radioWidth_; }
  std::string RadioHint() const override;
  void ProgressShown(bool shown) override;
  void ProgressChanged() override;
  TransferProgressView* GetProgressView() const { return progress_; }

  void SetComputeHere(bool value) { computeHere_ = value; }
  void SetRadioWidth(int32_t width) { radioWidth_ = width; }
  // Set when the battle holds units whose graphics are not loaded: by a merged turn that
  // brought units the battle did not hold.
  void SetReloadGraphics(bool on) { reloadGraphics_ = on; }
  bool IsReloadGraphicsSet() const { return reloadGraphics_; }

 private:
  WRApplication& app_;
  bool computeHere_ = false;
  bool reloadGraphics_ = false;
  int32_t radioWidth_ = 400;
  TransferProgressView* progress_ = nullptr;  // owned by its parent view
};
