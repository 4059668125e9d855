#pragma once
#include <cstdint>

// How a turn passes between the two players: the seed both machines share, which machine
// computes the action, the sides' password digests, the processor rating, the e-mail seed, the
// hand-over between the two players of a hotseat or e-mail turn, the GO and the replay's end in
// TCP/IP play, the turn's clocks, and the radio chat. The application implements it; a battle
// on one machine with no link uses WindowlessExchange.
class TurnExchange {
 public:
  virtual ~TurnExchange() = default;

  // ---- The orders exchange's settings ----
  // This machine draws the shared seed (the TCP/IP host).
  virtual bool IsSeedDrawing() const = 0;
  // The seed the machines share for the next action (the seed-drawing machine draws it).
  virtual void SetSharedSeed(uint16_t seed) = 0;
  // Seeds the game's generator from the shared seed in TCP/IP play; nothing otherwise.
  virtual void ApplyNetworkSeed() = 0;
  // This machine computes the action (TCP/IP play).
  virtual bool GetComputeHere() const = 0;
  virtual void SetComputeHere(bool value) = 0;
  // A side's password digest (at most 63 characters; empty for none).
  virtual const char* GetPasswordDigest(int32_t side) const = 0;
  virtual void SetPasswordDigest(int32_t side, const char* text) = 0;
  // The processor rating measured at start-up.
  virtual uint32_t GetCPURating() const = 0;
  // The check value of the e-mail block the last e-mail turn came in: the seed both machines
  // share for the arrival of reinforcements in e-mail play.
  virtual uint32_t GetEmailSeed() const = 0;

  // ---- The hand-over between a turn's two players (hotseat and e-mail) ----
  // Set once the first player of a hotseat or e-mail turn has given orders (or watched).
  virtual bool GetSecondOrders() const = 0;
  virtual void ToggleSecondOrders() = 0;
  // Hands the game to the other player: the hand-over screen on one machine, the e-mail save.
  // False when there is no hand-over here, and the game goes on at this machine.
  virtual bool ContinueAfterTurn() = 0;
  // Stores the game as "Autosave" (with reload the game goes on from what was stored).
  virtual void Autosave(bool reload) = 0;
  // A reloaded autosave: this turn takes no orders.
  virtual bool IsNoOrdersTurn() const = 0;

  // ---- The turn in TCP/IP play ----
  // Sends a message to the other machine.
  virtual void NetSend(const uint8_t* bytes, int32_t count) = 0;
  // Sends the network link's keep-alive frame when one is due (long loads call it).
  virtual void KeepNetworkLinkAlive() = 0;
  // The GO of a side: true when the battle goes on at this machine now (the set-up ends or
  // the action is computed), false while the orders are exchanged.
  virtual bool EndNetworkOrders() = 0;
  // The set-up phase ended: the first orders phase begins.
  virtual void NetworkSetupEnded() = 0;
  // The replay ended: the next orders phase. False when the connection cannot go on (it has
  // ended with its alert).
  virtual bool NetworkReplayEnded() = 0;
  // The other machine is waited for (the network panel hides meanwhile).
  virtual bool IsNetworkWaiting() const = 0;
  // The TCP/IP connection state (0 none).
  virtual int32_t GetNetworkStateForView() const = 0;
  // The battle screen has opened: the keep-alive deadline moves to now - 75 s plus the
  // keep-alive interval and the ready byte clears; then the connection goes on.
  virtual void NoteBattleScreenOpened() = 0;
  virtual void ContinueNetworkGame() = 0;
  // The transfer progress view (when one shows) is redrawn.
  virtual void RedrawTransferProgress() = 0;

  // ---- The turn's clocks ----
  // The turn's time limit in milliseconds (0 none), whether the orders clock has started,
  // the whole seconds left on it, and the turn clock stopped by the connection.
  virtual int32_t GetTurnTimeLimit() const = 0;
  virtual bool IsOrdersClockStarted() const = 0;
  virtual int32_t GetTimeRemaining() const = 0;
  virtual bool IsTurnClockStopped() const = 0;
  // This side, or the opponent, asked that the time limit be ignored this turn.
  virtual bool IsTimerOffRequested(bool opponent) const = 0;

  // ---- The radio chat ----
  // A radio line typed on this machine: shown here and sent to the opponent.
  virtual void SendChat(const char* text) = 0;
  // Radio lines older than 90 s go.
  virtual void ExpireRadioLines() = 0;
  // The radio chat's sizes the application keeps: lines shown and a line's width in pixels.
  virtual void SetChatSizes(int32_t lines, int32_t lineWidth) = 0;
  virtual int32_t GetChatLinesShown() const = 0;
  // Radio line 0 (oldest) .. 13 (newest), empty when unused, and its author code: 0 or 1 the
  // side that wrote it, 2 a system line.
  virtual const char* GetRadioLine(int32_t index, int32_t* author) const = 0;
};
