#pragma once
#include <cstdint>
#include <string>

// What a TCP/IP game asks of the program around it: the battle, its game files and screens,
// alerts, sounds and the clock. The application implements it; tests give fakes, so that
// two games can play each other in one process.
class TcpGameHost {
 public:
  virtual ~TcpGameHost() = default;

  // The kernel's tick count in milliseconds (wrapping at 2^32).
  virtual uint32_t TickCount() = 0;
  virtual bool IsForeground() const = 0;
  // The leading number of the program's version text.
  virtual int32_t VersionNumber() const = 0;
  virtual bool HasBattle() const = 0;
  // The connection state has changed; the screens that show what the link waits for read the
  // state as they draw.
  virtual void StateChanged(int32_t state) = 0;
  // The numbered alert box (0 to 5 are the connection's).
  virtual void ShowAlert(int32_t number) = 0;
  virtual bool IsAlertOpen() const = 0;
  virtual void PlaySound(int32_t number, int32_t priority) = 0;

  // ---- Files: false when the file could not be written or read ----
  // The whole game, with the fortifications' and aircraft's designations renumbered.
  virtual bool WriteWholeGame(std::string& bytes) = 0;
  // The orders block of the battle, then a byte 1 and the packet list, or a byte 0.
  virtual bool WriteOrders(bool withPackets, std::string& bytes) = 0;
  // A received game opened as the chosen game. False when refused: the host has shown the
  // game file's alert and returned to the main screen.
  virtual bool OpenReceivedGame(const std::string& bytes) = 0;
  // Merges a received turn into the battle (both sides, or the opponent's only). False when
  // the file or its units do not fit the battle, which is then left as it was.
  virtual bool MergeReceivedTurn(const std::string& bytes, bool allSides, bool answer) = 0;
  // After a merge: the battle's graphics reloaded when some were missing.
  virtual void ReloadGraphicsIfFlagged() = 0;

  // ---- The battle ----
  virtual bool InSetupPhase() const = 0;
  // The battle ended by cease-fire or surrender before the action.
  virtual bool CeaseFireEndsBattle() = 0;
  // This machine computes the action (decided when the opponent's orders were read).
  virtual bool ComputesHere() const = 0;
  // The side this machine plays.
  virtual int32_t OwnSide() const = 0;
  // The opponent's surrender state in the battle (2 surrendered).
  virtual int32_t OpponentSurrenderState() const = 0;
  // The battle's GO command (9) with the selection cleared; its replay commands 10 (end) and
  // 14 (play).
  virtual void IssueGo() = 0;
  virtual void EndReplay() = 0;
  virtual void PlayReplay() = 0;
  // The replay prepared from the received packets, nothing computed.
  virtual void PrepareReceivedReplay() = 0;
  virtual void Autosave() = 0;
  // The host's battle screen opens once the whole game is sent.
  virtual void OpenHostBattleScreen() = 0;
  virtual void ShowGoPanel() = 0;
  virtual void ShowReplayPanel() = 0;
  virtual void ShowConnectionMade() = 0;
  // The map's pending input ends.
  virtual void ResetMapInput() = 0;

  // ---- The radio and the transfer progress ----
  // A battle screen with its radio entry line is open, and whether its view shows.
  virtual bool HasRadioEntry() const = 0;
  virtual bool IsBattleViewVisible() const = 0;
  // The width of a text in the radio's font, and the width radio lines are wrapped to.
  virtual int32_t RadioTextWidth(const std::string& text) const = 0;
  virtual int32_t RadioWidth() const = 0;
  // The line that tells how to open the radio entry, added when the first orders phase begins.
  virtual std::string RadioHint() const = 0;
  // The transfer progress view appears, changes (redraw) and goes.
  virtual void ProgressShown(bool shown) = 0;
  virtual void ProgressChanged() = 0;
};
