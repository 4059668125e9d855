#pragma once
#include <cstdint>
#include <string>

#include "app/RadioLog.h"
#include "app/TcpTransfer.h"

class TcpGameHost;

// Game messages: byte 0 of every message the link carries in a TCP/IP game.
constexpr uint8_t TCPIP_MSG_VERSION = 1;
constexpr uint8_t TCPIP_MSG_VERSION_OK = 2;
constexpr uint8_t TCPIP_MSG_VERSION_MISMATCH = 3;
constexpr uint8_t TCPIP_MSG_ANSWER_DATA = 4;
constexpr uint8_t TCPIP_MSG_ANSWER_END = 5;
constexpr uint8_t TCPIP_MSG_ORDERS_DATA = 6;
constexpr uint8_t TCPIP_MSG_ORDERS_END = 7;
constexpr uint8_t TCPIP_MSG_ACTION_SIZE = 8;
constexpr uint8_t TCPIP_MSG_ACTION_DATA = 9;
constexpr uint8_t TCPIP_MSG_ACTION_END = 10;
constexpr uint8_t TCPIP_MSG_CLIENT_READY = 11;
constexpr uint8_t TCPIP_MSG_ACTION_PROGRESS = 12;
constexpr uint8_t TCPIP_MSG_ACTION_RECEIVED = 13;
constexpr uint8_t TCPIP_MSG_NEXT_BATTLE_READY = 14;
constexpr uint8_t TCPIP_MSG_TIMER_OFF_REQUEST = 15;
constexpr uint8_t TCPIP_MSG_TIMER_OFF_STATE = 16;
constexpr uint8_t TCPIP_MSG_GAME_OVER = 17;
constexpr uint8_t TCPIP_MSG_QUIT = 18;
constexpr uint8_t TCPIP_MSG_CHAT = 19;

// Connection states.
constexpr int32_t TCPIP_STATE_NOT_CONNECTED = 0;
constexpr int32_t TCPIP_STATE_SERVER_VERSION_SENT = 1;
constexpr int32_t TCPIP_STATE_SERVER_OPERATION_WAITING_TO_UPLOAD = 2;
constexpr int32_t TCPIP_STATE_SERVER_UPLOADING_GAME = 3;
constexpr int32_t TCPIP_STATE_SERVER_WAITING_FOR_CLIENT = 4;
constexpr int32_t TCPIP_STATE_CLIENT_DOWNLOADING_GAME = 5;
constexpr int32_t TCPIP_STATE_ORDERS = 6;
constexpr int32_t TCPIP_STATE_UPLOADING_ORDERS = 7;
constexpr int32_t TCPIP_STATE_WAITING_FOR_ORDERS = 8;
constexpr int32_t TCPIP_STATE_DOWNLOADING_ANSWER = 9;
constexpr int32_t TCPIP_STATE_ORDERS_DOWNLOADING = 10;
constexpr int32_t TCPIP_STATE_DONE_DOWNLOADING = 11;
constexpr int32_t TCPIP_STATE_ORDERS_RECEIVED = 12;
constexpr int32_t TCPIP_STATE_UPLOADING_ANSWER = 13;
constexpr int32_t TCPIP_STATE_COMPUTING_ACTION = 14;
constexpr int32_t TCPIP_STATE_WAITING_FOR_ACTION = 15;
constexpr int32_t TCPIP_STATE_UPLOADING_ACTION = 16;
constexpr int32_t TCPIP_STATE_WAITING_FOR_RECEIPT = 17;
constexpr int32_t TCPIP_STATE_DOWNLOADING_ACTION = 18;
constexpr int32_t TCPIP_STATE_REPLAY = 19;
constexpr int32_t TCPIP_STATE_REPLAY_DOWNLOADING = 20;
constexpr int32_t TCPIP_STATE_REPLAY_ORDERS_RECEIVED = 21;
constexpr int32_t TCPIP_STATE_RELOADING_GRAPHICS = 22;
constexpr int32_t TCPIP_STATE_VICTORY_SCREEN = 23;

// One TCP/IP game: the connection state both machines keep, the receive handler that reads
// each message of the peer by its type and the state, the idle step that sends the outgoing
// file and moves the state on, the turn clock, the timer-off requests and the radio history.
//
// Every message is checked by type, size and state before it is used; a message that does
// not fit, a file that does not read or merge, or a message the link cannot queue ends the
// connection with an alert while the program (and its autosave) goes on.
//
// The game works on one of the link's two records (NetSelectLink), so two games can play each
// other in one process. The link calls its handlers only from inside NetIdle.
class TcpGame {
 public:
  static constexpr int32_t kPort = 7023;
  // The turn clock's allowance before the limit (the orders phase of a turn).
  static constexpr uint32_t kClockBase = 75000;

  TcpGame(TcpGameHost& host, int linkIndex = 0);
  ~TcpGame();
  TcpGame(const TcpGame&) = delete;
  TcpGame& operator=(const TcpGame&) = delete;

  // The main screen's reset: state 0, host flag set, no files, flags and radio cleared.
  void Reset();
  // Listens on the game's port (alert 0 on failure).
  bool StartHosting();
  // Connects to the address (first octet in the low byte) on the game's port: state 5, host
  // flag 0 (alert 1 on failure, state 0).
  bool ConnectToHost(uint32_t address);
  // The port both machines use: kPort, unless a test running several games on one computer
  // gives each pair a port of its own.
  void SetPort(int32_t port) { port_ = port; }
  int32_t GetPort() const { return port_; }
  void Close();
  // This machine left the game and closed the link itself: a loss of that link found before the
  // close and reported after it is no news to the player (until the next hosting or joining).
  void LeftGame() { left_ = 1; }

  // One message of the peer: type byte and payload.
  void ReceiveMessage(const uint8_t* message, uint32_t length);
  // The link is gone (closedByPeer: the peer's end went away).
  void ReportLostConnection(bool closedByPeer);
  // The TCP/IP step of the idle pass: sending, the state steps and the turn clock.
  void Idle();

  // The battle's GO in the orders phase: true when the action may be computed now.
  bool EndNetworkOrders();
  // Both sides' orders are here: the set-up GO, the wait for the action, or computing it.
  void FinishOrdersExchange();
  // The outgoing file: the whole game or this side's orders (with the packets in state 16).
  bool PrepareUpload(bool wholeGame);
  // The set-up phase ended: the orders phase with the limit.
  void SetupEnded();
  // The first orders phase: the clock shows twice the limit.
  void StartFirstTurnClock();
  // Between two battles of an operation: no progress view, the clock stopped, no timer-off
  // requests.
  void BetweenBattles();
  // The replay ended (the battle's next turn): 19 to 6, 20 to 10, 21 to 12 with the
  // received orders merged. False (the connection ended, alert 3) in any other state or
  // when the waiting orders do not merge.
  bool ReplayEnded();
  // The orders of this side are locked (sent or being exchanged).
  bool IsOrdersLocked() const;

  // ---- The turn clock ----
  void SetTimeLimit(uint32_t milliseconds) { timeLimit_ = milliseconds; }
  uint32_t GetTimeLimit() const { return timeLimit_; }
  bool IsClockRunning() const { return clockStart_ != 0; }
  // Whole seconds left in the turn (0 when the clock does not run or the time is out).
  int32_t TimeRemaining() const;
  void SwitchTimerOff();
  // This side asks (or no longer asks) to ignore the time limit this turn.
  void RequestTimerOff(bool on);
  bool IsTimerOffRequested(bool opponent) const { return (opponent ? timerOffOpponent_ : timerOffOwn_) != 0; }
  bool IsClockStopped() const { return clockStopped_ != 0; }
  void StopClock() { clockStopped_ = 1; }

  // ---- Radio ----
  // Sends a chat line (1 to 255 characters; control characters are dropped) and shows it as
  // this side's line. Nothing for an empty line.
  void SendChat(const std::string& text);
  void AddRadioLine(const std::string& text, int32_t side);
  void ExpireRadioLines();
  void AddRadioHint(const std::string& hint);
  const RadioLog& Radio() const { return radio_; }

  // Sends a one-message protocol message, waiting up to the seconds; a message that cannot
  // be queued ends the connection as a lost link (alert 4). False then.
  bool SendMessage(const uint8_t* data, uint32_t length, int32_t seconds);

  // ---- State ----
  int32_t GetState() const { return state_; }
  void SetState(int32_t state) { state_ = state; }
  bool IsHost() const { return host_ != 0; }
  void SetHost(bool host) { host_ = host ? 1 : 0; }
  // The connection ended after a bad message, a file that did not read, or a lost link.
  bool HasFailed() const { return failed_ != 0; }
  bool IsGameOver() const { return gameOver_ != 0; }
  bool HasOpponentQuit() const { return opponentQuit_ != 0; }
  void SetResultsShown(bool shown) { resultsShown_ = shown ? 1 : 0; }
  // The opponent said the game is over, or this machine shows the results.
  bool BattleOver() const { return gameOver_ != 0 || resultsShown_ != 0; }
  bool AreOrdersFinished() const { return ordersFinished_ != 0; }
  void SetNextBattleReady(bool ready) { nextBattleReady_ = ready ? 1 : 0; }
  bool IsNextBattleReady() const { return nextBattleReady_ != 0; }
  // The transfer progress: whether shown, its total and the bytes done.
  bool HasProgress() const { return hasProgress_ != 0; }
  uint32_t ProgressTotal() const { return progressTotal_; }
  uint32_t BytesDone() const { return bytesDone_; }
  // Bytes done / total, at most 1.
  float ProgressFraction() const;
  TcpTransfer& Transfer() { return transfer_; }
  // A received file waiting to be merged at the end of the replay.
  bool HasWaitingTurn() const { return hasWaiting_ != 0; }

 private:
  // Checks the message's size against its type: false for a message no state accepts.
  static bool IsWellFormed(const uint8_t* message, uint32_t length);
  void HandleByState(const uint8_t* message, uint32_t length);
  // A message the state does not accept: logged, the protocol error's alert (6), the link
  // closed after draining.
  void BadMessage(uint8_t type, uint32_t length);
  // The version exchange is over: the link's handshake deadline no longer runs.
  void HandshakeDone() const;
  void Fail(int32_t alert);
  bool Append(const uint8_t* message, uint32_t length);
  bool Merge(const std::string& bytes, bool allSides, bool answer);
  void ShowProgress(uint32_t total);
  void HideProgress();
  void SendState(uint8_t type, uint32_t value);
  void Select() const;
  void Move(int32_t state);
  void SendingStep();
  void StateStep();
  void ClockStep();
  uint8_t DataType() const;

  TcpGameHost& host_app_;
  int linkIndex_ = 0;
  int32_t port_ = kPort;
  int32_t state_ = TCPIP_STATE_NOT_CONNECTED;
  uint8_t host_ = 1;
  uint8_t failed_ = 0;
  uint8_t opponentQuit_ = 0;
  uint8_t timerOffOwn_ = 0;
  uint8_t timerOffOpponent_ = 0;
  uint8_t clockStopped_ = 0;
  uint8_t nextBattleReady_ = 0;
  uint8_t gameOver_ = 0;
  uint8_t resultsShown_ = 0;
  uint8_t left_ = 0;
  uint8_t ordersFinished_ = 0;
  uint8_t hasProgress_ = 0;
  uint8_t hasWaiting_ = 0;
  uint32_t progressTotal_ = 1;
  uint32_t bytesDone_ = 0;
  uint32_t timeLimit_ = 0;
  uint32_t clockStart_ = 0;
  TcpTransfer transfer_;
  std::string waiting_;  // the opponent's orders received during the replay
  RadioLog radio_;
};
