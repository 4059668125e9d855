#include "app/TcpGame.h"

#include "app/TcpGameHost.h"
#include "framework/core/GErrorLog.h"
#include "framework/media/NetLink.h"

namespace {

// The game each of the link's two records delivers to.
TcpGame* gGames[2] = {nullptr, nullptr};

void Receive0(const uint8_t* data, uint32_t length) {
  if (gGames[0] != nullptr) gGames[0]->ReceiveMessage(data, length);
}
void Receive1(const uint8_t* data, uint32_t length) {
  if (gGames[1] != nullptr) gGames[1]->ReceiveMessage(data, length);
}
void Lost0(bool closedByPeer) {
  if (gGames[0] != nullptr) gGames[0]->ReportLostConnection(closedByPeer);
}
void Lost1(bool closedByPeer) {
  if (gGames[1] != nullptr) gGames[1]->ReportLostConnection(closedByPeer);
}

constexpr int32_t kSendSeconds = 30;
constexpr int32_t kChatSeconds = 5;
constexpr int32_t kAlertCannotHost = 0;
constexpr int32_t kAlertCannotConnect = 1;
constexpr int32_t kAlertVersion = 2;
constexpr int32_t kAlertLost = 3;
constexpr int32_t kAlertTimedOut = 4;
constexpr int32_t kAlertOpponentQuit = 5;
constexpr int32_t kAlertProtocol = 6;
constexpr int32_t kSoundArrived = 128;
constexpr int32_t kSoundRadio = 190;

uint32_t ReadU32(const uint8_t* p) {
  return (uint32_t{p[0]} << 24) | (uint32_t{p[1]} << 16) | (uint32_t{p[2]} << 8) | p[3];
}

}  // namespace

TcpGame::TcpGame(TcpGameHost& host, int linkIndex) : host_app_(host), linkIndex_(linkIndex == 0 ? 0 : 1) {}

TcpGame::~TcpGame() {
  if (gGames[linkIndex_] == this) gGames[linkIndex_] = nullptr;
}

void TcpGame::Move(int32_t state) {
  state_ = state;
  host_app_.StateChanged(state);
}

void TcpGame::Select() const { NetSelectLink(linkIndex_); }

void TcpGame::Reset() {
  Move(TCPIP_STATE_NOT_CONNECTED);
  host_ = 1;
  failed_ = opponentQuit_ = timerOffOwn_ = timerOffOpponent_ = clockStopped_ = 0;
  nextBattleReady_ = gameOver_ = resultsShown_ = ordersFinished_ = hasWaiting_ = 0;
  HideProgress();
  bytesDone_ = 0;
  clockStart_ = 0;
  transfer_.DropOutgoing();
  transfer_.DropIncoming();
  waiting_.clear();
  radio_.Clear();
}

bool TcpGame::StartHosting() {
  // The link's record delivers to the game that opened it.
  gGames[linkIndex_] = this;
  Select();
  if (!NetOpenEndpoint(true, 0, port_, linkIndex_ == 0 ? Receive0 : Receive1, linkIndex_ == 0 ? Lost0 : Lost1)) {
    host_app_.ShowAlert(kAlertCannotHost);
    return false;
  }
  // Whoever connects must agree the version within the handshake's time.
  NetRequireHandshake();
  host_ = 1;
  left_ = 0;
  Move(TCPIP_STATE_NOT_CONNECTED);
  return true;
}

bool TcpGame::ConnectToHost(uint32_t address) {
  gGames[linkIndex_] = this;
  Select();
  if (!NetOpenEndpoint(false, address, port_, linkIndex_ == 0 ? Receive0 : Receive1,
                       linkIndex_ == 0 ? Lost0 : Lost1)) {
    host_app_.ShowAlert(kAlertCannotConnect);
    return false;
  }
  NetRequireHandshake();
  host_ = 0;
  left_ = 0;
  Move(TCPIP_STATE_CLIENT_DOWNLOADING_GAME);
  transfer_.DropIncoming();
  return true;
}

void TcpGame::Close() {
  Select();
  NetCloseEndpoint();
}

// ---- Receiving ----

bool TcpGame::IsWellFormed(const uint8_t* message, uint32_t length) {
  if (message == nullptr || length == 0) return false;
  switch (message[0]) {
    case TCPIP_MSG_VERSION:
    case TCPIP_MSG_ACTION_SIZE:
    case TCPIP_MSG_ACTION_PROGRESS: return length == 5;
    case TCPIP_MSG_TIMER_OFF_STATE: return length == 2;
    case TCPIP_MSG_ANSWER_DATA:
    case TCPIP_MSG_ORDERS_DATA:
    case TCPIP_MSG_ACTION_DATA: return length >= 2 && length <= 1 + TcpTransfer::kChunk;
    case TCPIP_MSG_CHAT:
      // 1 to 255 characters, then the 0 byte that ends the message.
      if (length < 3 || length > 257 || message[length - 1] != 0) return false;
      for (uint32_t i = 1; i + 1 < length; ++i) {
        if (message[i] == 0) return false;
      }
      return true;
    case TCPIP_MSG_VERSION_OK:
    case TCPIP_MSG_VERSION_MISMATCH:
    case TCPIP_MSG_ANSWER_END:
    case TCPIP_MSG_ORDERS_END:
    case TCPIP_MSG_ACTION_END:
    case TCPIP_MSG_CLIENT_READY:
    case TCPIP_MSG_ACTION_RECEIVED:
    case TCPIP_MSG_NEXT_BATTLE_READY:
    case TCPIP_MSG_TIMER_OFF_REQUEST:
    case TCPIP_MSG_GAME_OVER:
    case TCPIP_MSG_QUIT: return length == 1;
    default: return false;
  }
}

void TcpGame::ReceiveMessage(const uint8_t* message, uint32_t length) {
  if (failed_ != 0 || message == nullptr || length == 0) return;
  const uint8_t type = message[0];
  if (!IsWellFormed(message, length)) {
    BadMessage(type, length);
    return;
  }
  switch (type) {
    case TCPIP_MSG_CHAT: {
      if (!host_app_.HasRadioEntry()) return;
      std::string text;
      for (uint32_t i = 1; i + 1 < length; ++i) {
        if (message[i] >= 32) text.push_back(static_cast<char>(message[i]));
      }
      AddRadioLine(text, 1 - (host_app_.OwnSide() & 1));
      if (host_app_.IsBattleViewVisible()) host_app_.PlaySound(kSoundRadio, 5);
      return;
    }
    case TCPIP_MSG_GAME_OVER: gameOver_ = 1; return;
    case TCPIP_MSG_QUIT: opponentQuit_ = 1; return;
    case TCPIP_MSG_TIMER_OFF_REQUEST:
      timerOffOpponent_ = 1;
      SendState(TCPIP_MSG_TIMER_OFF_STATE, timerOffOwn_);
      if (timerOffOwn_ != 0) SwitchTimerOff();
      return;
    case TCPIP_MSG_NEXT_BATTLE_READY: nextBattleReady_ = 1; return;
    case TCPIP_MSG_TIMER_OFF_STATE:
      timerOffOpponent_ = message[1] != 0 ? 1 : 0;
      if (timerOffOwn_ != 0 && timerOffOpponent_ != 0) SwitchTimerOff();
      return;
    case TCPIP_MSG_ACTION_PROGRESS:
      if (hasProgress_ == 0) return;
      bytesDone_ = ReadU32(message + 1);
      clockStart_ = host_app_.TickCount();
      host_app_.ProgressChanged();
      return;
    default: break;
  }
  HandleByState(message, length);
}

void TcpGame::HandleByState(const uint8_t* message, uint32_t length) {
  const uint8_t type = message[0];
  const bool host = host_ != 0;
  // Each pass handles the message in one state; a state that passes it on to the next state
  // loops (at most three moves: 6 to 10, 7 to 11, 8 to 9 or 11, 15 to 18, 19 to 20).
  for (int moves = 0; moves < 4; ++moves) {
    switch (state_) {
      case TCPIP_STATE_SERVER_VERSION_SENT:
        if (type == TCPIP_MSG_VERSION_OK) {
          HandshakeDone();
          if (PrepareUpload(true)) Move(TCPIP_STATE_SERVER_UPLOADING_GAME);
          return;
        }
        if (type == TCPIP_MSG_VERSION_MISMATCH) {
          HandshakeDone();
          host_app_.ShowAlert(kAlertVersion);
          return;
        }
        break;
      case TCPIP_STATE_SERVER_OPERATION_WAITING_TO_UPLOAD:
        GErrorLog::LogValue("TCPIP_STATE_SERVER_OPERATION_WAITING_TO_UPLOAD header =", type);
        return;
      case TCPIP_STATE_VICTORY_SCREEN:
        GErrorLog::LogValue("TCPIP_STATE_VICTORY_SCREEN header =", type);
        return;
      case TCPIP_STATE_SERVER_WAITING_FOR_CLIENT:
        if (type == TCPIP_MSG_CLIENT_READY) {
          Move(TCPIP_STATE_ORDERS);
          host_app_.ShowGoPanel();
          AddRadioHint(host_app_.RadioHint());
          StartFirstTurnClock();
          return;
        }
        break;
      case TCPIP_STATE_CLIENT_DOWNLOADING_GAME:
        if (type == TCPIP_MSG_VERSION) {
          HandshakeDone();
          const uint32_t version = ReadU32(message + 1);
          const bool same = version == static_cast<uint32_t>(host_app_.VersionNumber());
          const uint8_t answer = same ? TCPIP_MSG_VERSION_OK : TCPIP_MSG_VERSION_MISMATCH;
          if (!SendMessage(&answer, 1, kSendSeconds)) return;
          if (!same) host_app_.ShowAlert(kAlertVersion);
          return;
        }
        if (type == TCPIP_MSG_ANSWER_DATA) {
          Append(message, length);
          return;
        }
        if (type == TCPIP_MSG_ANSWER_END) {
          const std::string game = transfer_.TakeIncoming();
          // A refused game has its own alert; the host has gone back to the main screen.
          if (!host_app_.OpenReceivedGame(game)) {
            failed_ = 1;
            return;
          }
          Move(TCPIP_STATE_ORDERS);
          return;
        }
        break;
      case TCPIP_STATE_ORDERS:
        if (type == TCPIP_MSG_ORDERS_DATA) {
          Move(TCPIP_STATE_ORDERS_DOWNLOADING);
          continue;
        }
        break;
      case TCPIP_STATE_UPLOADING_ORDERS:
        // Both ended their orders at once: the host's orders have priority.
        if (host) return;
        if (type == TCPIP_MSG_ORDERS_DATA) {
          transfer_.DropOutgoing();
          Move(TCPIP_STATE_DONE_DOWNLOADING);
          continue;
        }
        break;
      case TCPIP_STATE_WAITING_FOR_ORDERS:
        if (type == TCPIP_MSG_ORDERS_DATA) {
          if (host) return;
          Move(TCPIP_STATE_DONE_DOWNLOADING);
          continue;
        }
        if (type == TCPIP_MSG_ANSWER_DATA) {
          Move(TCPIP_STATE_DOWNLOADING_ANSWER);
          continue;
        }
        if (type == TCPIP_MSG_ORDERS_END && host) return;
        break;
      case TCPIP_STATE_DOWNLOADING_ANSWER:
        if (type == TCPIP_MSG_ANSWER_DATA) {
          Append(message, length);
          return;
        }
        if (type == TCPIP_MSG_ANSWER_END) {
          if (!Merge(transfer_.TakeIncoming(), true, false)) return;
          host_app_.ReloadGraphicsIfFlagged();
          FinishOrdersExchange();
          return;
        }
        break;
      case TCPIP_STATE_ORDERS_DOWNLOADING:
      case TCPIP_STATE_DONE_DOWNLOADING:
        if (type == TCPIP_MSG_ORDERS_DATA) {
          Append(message, length);
          return;
        }
        if (type == TCPIP_MSG_ORDERS_END) {
          host_app_.PlaySound(kSoundArrived, 25);
          Move(state_ == TCPIP_STATE_ORDERS_DOWNLOADING ? TCPIP_STATE_ORDERS_RECEIVED : TCPIP_STATE_UPLOADING_ANSWER);
          if (!Merge(transfer_.TakeIncoming(), false, false)) return;
          host_app_.ReloadGraphicsIfFlagged();
          if (state_ == TCPIP_STATE_UPLOADING_ANSWER) {
            PrepareUpload(false);
          } else if (host_app_.OpponentSurrenderState() == 2) {
            host_app_.IssueGo();
          }
          return;
        }
        break;
      case TCPIP_STATE_WAITING_FOR_ACTION:
        if (type == TCPIP_MSG_ACTION_SIZE) {
          ShowProgress(ReadU32(message + 1));
          return;
        }
        if (type == TCPIP_MSG_ACTION_DATA) {
          Move(TCPIP_STATE_DOWNLOADING_ACTION);
          continue;
        }
        break;
      case TCPIP_STATE_WAITING_FOR_RECEIPT:
        if (type == TCPIP_MSG_ACTION_RECEIVED) {
          Move(TCPIP_STATE_REPLAY);
          host_app_.PlaySound(kSoundArrived, 25);
          host_app_.ShowReplayPanel();
          host_app_.PlayReplay();
          HideProgress();
          return;
        }
        break;
      case TCPIP_STATE_DOWNLOADING_ACTION:
        if (type == TCPIP_MSG_ACTION_DATA) {
          if (!Append(message, length)) return;
          bytesDone_ += length - 1;
          host_app_.ProgressChanged();
          SendState(TCPIP_MSG_ACTION_PROGRESS, bytesDone_);
          return;
        }
        if (type == TCPIP_MSG_ACTION_END) {
          const uint8_t received = TCPIP_MSG_ACTION_RECEIVED;
          if (!SendMessage(&received, 1, kSendSeconds)) return;
          host_app_.ProgressChanged();
          HideProgress();
          Move(TCPIP_STATE_REPLAY);
          if (!Merge(transfer_.TakeIncoming(), true, false)) return;
          host_app_.PrepareReceivedReplay();
          clockStart_ = host_app_.TickCount();
          if (clockStart_ == 0) clockStart_ = 1;
          host_app_.PlayReplay();
          return;
        }
        break;
      case TCPIP_STATE_REPLAY:
        if (type == TCPIP_MSG_ORDERS_DATA) {
          Move(TCPIP_STATE_REPLAY_DOWNLOADING);
          continue;
        }
        break;
      case TCPIP_STATE_REPLAY_DOWNLOADING:
        if (type == TCPIP_MSG_ORDERS_DATA) {
          Append(message, length);
          return;
        }
        if (type == TCPIP_MSG_ORDERS_END) {
          Move(TCPIP_STATE_REPLAY_ORDERS_RECEIVED);
          waiting_ = transfer_.TakeIncoming();
          hasWaiting_ = 1;
          return;
        }
        break;
      default:
        GErrorLog::LogValue("Error: data receive in state =", state_);
        break;
    }
    BadMessage(type, length);
    return;
  }
}

void TcpGame::BadMessage(uint8_t type, uint32_t length) {
  GErrorLog::LogValue("Bad header =", type);
  if (state_ != TCPIP_STATE_UPLOADING_ORDERS) GErrorLog::LogValue("Size =", static_cast<int32_t>(length));
  Fail(kAlertProtocol);
}

void TcpGame::Fail(int32_t alert) {
  if (failed_ != 0) return;
  failed_ = 1;
  transfer_.DropOutgoing();
  transfer_.DropIncoming();
  waiting_.clear();
  hasWaiting_ = 0;
  HideProgress();
  clockStart_ = 0;
  Select();
  NetCloseAfterDrain(5);
  // Once the battle is over nothing is lost with the link: the opponent may already have left
  // the results, so a game-over message that finds no link raises no alert.
  if (!BattleOver()) host_app_.ShowAlert(alert);
}

bool TcpGame::Append(const uint8_t* message, uint32_t length) {
  if (transfer_.Append(message + 1, length - 1)) return true;
  GErrorLog::LogValue("Incoming file too large, bytes =", static_cast<int32_t>(length - 1));
  Fail(kAlertProtocol);
  return false;
}

bool TcpGame::Merge(const std::string& bytes, bool allSides, bool answer) {
  if (host_app_.MergeReceivedTurn(bytes, allSides, answer)) return true;
  GErrorLog::LogError("Received turn does not fit the battle");
  Fail(kAlertProtocol);
  return false;
}

void TcpGame::HandshakeDone() const {
  Select();
  NetHandshakeDone();
}

void TcpGame::ReportLostConnection(bool closedByPeer) {
  if (failed_ != 0 || (left_ != 0 && state_ == TCPIP_STATE_NOT_CONNECTED)) return;
  const bool quiet = BattleOver();
  // A stream that broke the link's frames is the peer's error, not a timeout; silence and the
  // handshake's and a message's deadlines are timeouts.
  const bool broken = !closedByPeer && NetLastLossCause() == NetLossCause::kBadStream;
  const int32_t alert = opponentQuit_ != 0 ? kAlertOpponentQuit
                        : closedByPeer     ? kAlertLost
                        : broken           ? kAlertProtocol
                                           : kAlertTimedOut;
  failed_ = 1;
  transfer_.DropOutgoing();
  transfer_.DropIncoming();
  HideProgress();
  clockStart_ = 0;
  if (!quiet) host_app_.ShowAlert(alert);
}

// ---- Sending ----

bool TcpGame::SendMessage(const uint8_t* data, uint32_t length, int32_t seconds) {
  if (failed_ != 0) return false;
  Select();
  if (NetSend(data, length, seconds) == kNetQueued) return true;
  GErrorLog::LogValue("Message could not be sent, type =", data[0]);
  Fail(kAlertTimedOut);
  return false;
}

void TcpGame::SendState(uint8_t type, uint32_t value) {
  uint8_t message[5] = {type, 0, 0, 0, 0};
  if (type == TCPIP_MSG_TIMER_OFF_STATE) {
    message[1] = static_cast<uint8_t>(value);
    SendMessage(message, 2, kSendSeconds);
    return;
  }
  for (int i = 0; i < 4; ++i) message[1 + i] = static_cast<uint8_t>(value >> (24 - 8 * i));
  SendMessage(message, 5, kSendSeconds);
}

bool TcpGame::PrepareUpload(bool wholeGame) {
  std::string bytes;
  const bool written = wholeGame ? host_app_.WriteWholeGame(bytes)
                                 : host_app_.WriteOrders(state_ == TCPIP_STATE_UPLOADING_ACTION, bytes);
  if (!written) {
    GErrorLog::LogError("The file for the opponent could not be written");
    Fail(kAlertLost);
    return false;
  }
  transfer_.SetOutgoing(std::move(bytes));
  return true;
}

uint8_t TcpGame::DataType() const {
  if (state_ == TCPIP_STATE_UPLOADING_ACTION) return TCPIP_MSG_ACTION_DATA;
  if (state_ == TCPIP_STATE_SERVER_UPLOADING_GAME || state_ == TCPIP_STATE_UPLOADING_ANSWER) return TCPIP_MSG_ANSWER_DATA;
  return TCPIP_MSG_ORDERS_DATA;
}

void TcpGame::Idle() {
  if (failed_ != 0) return;
  SendingStep();
  if (failed_ == 0) StateStep();
  if (failed_ == 0) ClockStep();
}

void TcpGame::SendingStep() {
  if (!transfer_.HasOutgoing()) return;
  const uint8_t data = DataType();
  const uint8_t end = static_cast<uint8_t>(data + 1);
  Select();
  const TcpTransfer::Step step =
      transfer_.Send(data, end, [](const uint8_t* bytes, uint32_t length) { return NetQueueMessage(bytes, length); });
  if (step != TcpTransfer::Step::kEndQueued) return;
  if (state_ != TCPIP_STATE_UPLOADING_ANSWER) {
    transfer_.DropOutgoing();
    return;
  }
  // The answer is complete: this machine reads it back as the turn of both sides.
  if (!Merge(transfer_.TakeOutgoing(), true, true)) return;
  FinishOrdersExchange();
}

void TcpGame::StateStep() {
  switch (state_) {
    case TCPIP_STATE_NOT_CONNECTED: {
      Select();
      if (!host_ || !NetIsConnected() || !host_app_.HasBattle()) return;
      GErrorLog::LogError(host_app_.IsForeground() ? "In foreground" : "In background");
      Move(TCPIP_STATE_SERVER_VERSION_SENT);
      SendState(TCPIP_MSG_VERSION, static_cast<uint32_t>(host_app_.VersionNumber()));
      if (failed_ == 0) host_app_.ShowConnectionMade();
      return;
    }
    case TCPIP_STATE_SERVER_UPLOADING_GAME:
      if (transfer_.HasOutgoing()) return;
      Move(TCPIP_STATE_SERVER_WAITING_FOR_CLIENT);
      host_app_.OpenHostBattleScreen();
      return;
    case TCPIP_STATE_UPLOADING_ORDERS:
      if (!transfer_.HasOutgoing()) Move(TCPIP_STATE_WAITING_FOR_ORDERS);
      return;
    case TCPIP_STATE_UPLOADING_ACTION:
      if (!transfer_.HasOutgoing()) Move(TCPIP_STATE_WAITING_FOR_RECEIPT);
      return;
    case TCPIP_STATE_SERVER_OPERATION_WAITING_TO_UPLOAD:
      if (nextBattleReady_ == 0) return;
      nextBattleReady_ = 0;
      if (PrepareUpload(true)) Move(TCPIP_STATE_SERVER_UPLOADING_GAME);
      return;
    default: return;
  }
}

void TcpGame::ClockStep() {
  if (!host_app_.HasBattle() || clockStart_ == 0 || timeLimit_ == 0 || host_app_.IsAlertOpen()) return;
  if (TimeRemaining() != 0) return;
  if (state_ == TCPIP_STATE_ORDERS || state_ == TCPIP_STATE_ORDERS_RECEIVED) {
    host_app_.IssueGo();
  } else if (state_ == TCPIP_STATE_REPLAY || state_ == TCPIP_STATE_REPLAY_ORDERS_RECEIVED) {
    host_app_.EndReplay();
  }
}

// ---- The turn ----

bool TcpGame::EndNetworkOrders() {
  switch (state_) {
    case TCPIP_STATE_COMPUTING_ACTION: return true;
    case TCPIP_STATE_ORDERS:
      Move(TCPIP_STATE_UPLOADING_ORDERS);
      PrepareUpload(false);
      return false;
    case TCPIP_STATE_ORDERS_DOWNLOADING: Move(TCPIP_STATE_DONE_DOWNLOADING); return false;
    case TCPIP_STATE_ORDERS_RECEIVED:
      Move(TCPIP_STATE_UPLOADING_ANSWER);
      PrepareUpload(false);
      return false;
    default:
      // GO while the orders are locked (the clock and a click at once): nothing to end.
      GErrorLog::LogValue("Orders ended in TCPIP state =", state_);
      return false;
  }
}

void TcpGame::FinishOrdersExchange() {
  host_app_.ResetMapInput();
  if (host_app_.CeaseFireEndsBattle()) {
    Move(TCPIP_STATE_VICTORY_SCREEN);
    return;
  }
  if (host_app_.InSetupPhase()) {
    Move(TCPIP_STATE_COMPUTING_ACTION);
    host_app_.IssueGo();
    return;
  }
  if (!host_app_.ComputesHere()) {
    Move(TCPIP_STATE_WAITING_FOR_ACTION);
    ordersFinished_ = 1;
    host_app_.Autosave();
    ordersFinished_ = 0;
    return;
  }
  Move(TCPIP_STATE_COMPUTING_ACTION);
  host_app_.IssueGo();
  if (failed_ != 0) return;
  Move(TCPIP_STATE_UPLOADING_ACTION);
  if (!PrepareUpload(false)) return;
  SendState(TCPIP_MSG_ACTION_SIZE, transfer_.Size());
  if (failed_ == 0) ShowProgress(transfer_.Size());
}

void TcpGame::SetupEnded() {
  Move(TCPIP_STATE_ORDERS);
  host_app_.ShowGoPanel();
  clockStart_ = host_app_.TickCount() - kClockBase;
  if (clockStart_ == 0) clockStart_ = 1;
}

void TcpGame::StartFirstTurnClock() {
  clockStart_ = host_app_.TickCount() - kClockBase + timeLimit_;
  if (clockStart_ == 0) clockStart_ = 1;
}

void TcpGame::BetweenBattles() {
  HideProgress();
  clockStart_ = 0;
  timerOffOwn_ = 0;
  timerOffOpponent_ = 0;
  clockStopped_ = 0;
}

bool TcpGame::ReplayEnded() {
  if (failed_ != 0) return false;
  // The next orders phase gets the limit from now on.
  if (clockStart_ != 0) {
    const uint32_t base = host_app_.TickCount() - kClockBase;
    if (static_cast<int32_t>(clockStart_ - base) > 0) clockStart_ = base == 0 ? 1 : base;
  }
  switch (state_) {
    case TCPIP_STATE_REPLAY: Move(TCPIP_STATE_ORDERS); return true;
    case TCPIP_STATE_REPLAY_DOWNLOADING: Move(TCPIP_STATE_ORDERS_DOWNLOADING); return true;
    case TCPIP_STATE_REPLAY_ORDERS_RECEIVED: {
      Move(TCPIP_STATE_ORDERS_RECEIVED);
      if (hasWaiting_ == 0) break;
      hasWaiting_ = 0;
      const std::string bytes = std::move(waiting_);
      waiting_.clear();
      if (!Merge(bytes, false, false)) return false;
      host_app_.ReloadGraphicsIfFlagged();
      return true;
    }
    default: break;
  }
  GErrorLog::LogValue("Bad TCPIP state:", state_);
  Fail(kAlertLost);
  return false;
}

bool TcpGame::IsOrdersLocked() const {
  if (ordersFinished_ != 0) return true;
  switch (state_) {
    case 7: case 8: case 9: case 11: case 13: case 14: case 15: case 16: case 17: case 18: return true;
    default: return false;
  }
}

// ---- The clock ----

int32_t TcpGame::TimeRemaining() const {
  if (clockStart_ == 0 || timeLimit_ == 0) return 0;
  // Milliseconds in signed 64 bits: a tick count below the base does not wrap the sum.
  const int64_t elapsed = static_cast<uint32_t>(host_app_.TickCount() - clockStart_);
  const int64_t total = int64_t{timeLimit_} + kClockBase;
  if (elapsed >= total) return 0;
  return static_cast<int32_t>((total - elapsed + 999) / 1000);
}

void TcpGame::SwitchTimerOff() {
  timerOffOwn_ = timerOffOpponent_ = 0;
  clockStopped_ = 0;
  clockStart_ = 0;
}

void TcpGame::RequestTimerOff(bool on) {
  timerOffOwn_ = on ? 1 : 0;
  const uint8_t request = TCPIP_MSG_TIMER_OFF_REQUEST;
  if (on) {
    if (!SendMessage(&request, 1, kSendSeconds)) return;
    if (timerOffOpponent_ != 0) SwitchTimerOff();
  } else {
    SendState(TCPIP_MSG_TIMER_OFF_STATE, 0);
  }
}

// ---- Radio and progress ----

void TcpGame::SendChat(const std::string& text) {
  std::string clean;
  for (char c : text) {
    if (static_cast<uint8_t>(c) >= 32 && clean.size() < RadioLog::kMaxText) clean.push_back(c);
  }
  if (clean.empty()) return;
  AddRadioLine(clean, host_app_.OwnSide() & 1);
  std::string message(1, static_cast<char>(TCPIP_MSG_CHAT));
  message += clean;
  message.push_back('\0');
  SendMessage(reinterpret_cast<const uint8_t*>(message.data()), static_cast<uint32_t>(message.size()), kChatSeconds);
}

void TcpGame::AddRadioLine(const std::string& text, int32_t side) {
  radio_.Add(text, side, host_app_.TickCount(), host_app_.RadioWidth(),
             [this](const std::string& s) { return host_app_.RadioTextWidth(s); });
}

void TcpGame::ExpireRadioLines() { radio_.Expire(host_app_.TickCount()); }

void TcpGame::AddRadioHint(const std::string& hint) {
  if (!hint.empty()) AddRadioLine(hint, RadioLog::kSystemSide);
}

void TcpGame::ShowProgress(uint32_t total) {
  progressTotal_ = total < 1 ? 1 : total;
  bytesDone_ = 0;
  hasProgress_ = 1;
  host_app_.ProgressShown(true);
}

void TcpGame::HideProgress() {
  if (hasProgress_ == 0) return;
  hasProgress_ = 0;
  host_app_.ProgressShown(false);
}

float TcpGame::ProgressFraction() const {
  const float fraction = static_cast<float>(bytesDone_) / static_cast<float>(progressTotal_);
  return fraction > 1.0f ? 1.0f : fraction;
}
