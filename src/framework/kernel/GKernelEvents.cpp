// The kernel's event loop and window procedure: one pass takes at most one message, lets the
// TCP/IP link and streamed sound work and runs the idle chain; messages become view and
// application calls.
#include "framework/core/GGroup.h"
#include "framework/core/Quorl.h"
#include "framework/kernel/ApplicationBase.h"
#include "framework/kernel/GKernel.h"
#include "framework/kernel/GKernelSound.h"
#include "framework/media/GSoundWaitHandles.h"
#include "framework/media/NetLink.h"
#include "framework/ui/GButton.h"
#include "framework/ui/GTextEntry.h"
#include "framework/ui/GView.h"
#include "platform/PClock.h"
#include "platform/PKey.h"
#include "platform/PMessage.h"
#include "platform/PWindow.h"

namespace {

// While the program is inactive the loop waits for a message, but never longer than this, so
// that the TCP/IP link's idle step keeps a connection alive under a minimised window.
constexpr uint32_t kInactiveWakeMs = 1000;

// The keypad key that types a character, or 0 for characters only the main keyboard types.
uint8_t KeypadKeyOf(uint8_t c) {
  switch (c) {
    case '*':
      return kKeyPadMultiply;
    case '+':
      return kKeyPadAdd;
    case '-':
      return kKeyPadSubtract;
    case '.':
      return kKeyPadDecimal;
    case '/':
      return kKeyPadDivide;
    default:
      if (c >= '0' && c <= '9') return static_cast<uint8_t>(kKeyPad0 + (c - '0'));
      return 0;
  }
}

}  // namespace

void GKernel::DoEvent() {
  if (quit_) return;
  NetIdle();
  if (!window_) return;

  PMessage message;
  bool got = false;
  // While active the pass looks for a message, or after a pass that did nothing waits for
  // one up to a frame time, asleep (a streamed sound's half is refilled well within that).
  const uint32_t wait = IdleWaitMs();
  lastPassIdle_ = 0;
  auto take = [this, &message, wait] {
    return wait > 0 ? window_->GetMessage(message, wait) : window_->PeekMessage(message);
  };
  if (!active_) {
    got = window_->GetMessage(message, kInactiveWakeMs);
  } else if (GetWaitHandleCount() == 0 || !sound_ || !sound_->IsEnabled() || messagePumpOnly_) {
    got = take();
  } else if (!GSoundWaitHandles::Global().Poll(0)) {
    // A set signal had its stream half refilled instead of a message being taken.
    got = take();
  }

  int32_t cursorX = 0;
  int32_t cursorY = 0;
  GetCursorPos(cursorX, cursorY);
  ReadModifierKeys();

  if (got) {
    WindowProc(message);
  } else if (tracker_ != nullptr) {
    // The tracker follows the mouse on every pass, even while it stands still.
    PMessage move;
    move.type = PMessageType::kMouseMove;
    move.x = cursorX;
    move.y = cursorY;
    WindowProc(move);
  }
  if (messagePumpOnly_) return;

  if (got && message.type == PMessageType::kChar && GetFocusView() != nullptr) {
    PMessage keyUp;
    window_->PeekKeyUp(keyUp);
    DispatchPendingKeyUps();
  }
  drawToFront_ = 0;

  if (got && skipNextIdle_) {
    skipNextIdle_ = 0;
  } else {
    TrackScreenEdge(cursorX, cursorY);
    TickViews();
    UpdateFocus();
    // Nothing to draw: no 3-D frame due and no view waiting to be drawn again.
    GGroup* const dirty = GetDirtyViews();
    const bool frameDue = is3D_ && Is3DFrameDue(got);
    const bool drawing = active_ && (frameDue || (!is3D_ && dirty != nullptr && dirty->Count() > 0));
    if (!is3D_ || frameDue) UpdateScreen();
    lastPassIdle_ = active_ && !got && tracker_ == nullptr && !drawing ? 1 : 0;
  }
  IdleSound();
}

namespace {
// 3-D frames: one every display refresh while the player acts or the picture moves, and for
// kLivelyMs after; otherwise one every kStillFrameMs.
constexpr uint32_t kDisplayFrameMs = 16;
constexpr uint32_t kLivelyMs = 1000;
constexpr uint32_t kStillFrameMs = 500;
}  // namespace

bool GKernel::Is3DFrameDue(bool tookMessage) {
  // A fake clock is the test's to move: every pass draws, as the tests expect.
  if (PClock::IsFake()) return true;
  const uint32_t now = TickCount();
  if (tookMessage || tracker_ != nullptr || cameraCounter_ > 0) lastLivelyTick_ = now;
  // While the player acts or the picture moves, frames follow at the display's rate; a
  // still battlefield is drawn again only now and then, for its slow changes (fire, weather,
  // a blinking marker, what the game changed meanwhile).
  const bool lively = now - lastLivelyTick_ < kLivelyMs;
  return now - lastFrameTick_ >= (lively ? kDisplayFrameMs : kStillFrameMs);
}

void GKernel::DispatchPendingKeyUps() {
  if (!window_) return;
  for (int i = 0; i < 5 && focusKeyTyped_; ++i) {
    focusKeyTyped_ = 0;
    PMessage down;
    PMessage up;
    if (window_->LookAhead(PMessageType::kKeyDown, down) && window_->LookAhead(PMessageType::kKeyUp, up)) {
      ReadModifierKeys();
      WindowProc(up);
    }
  }
}

void GKernel::ReadModifierKeys() {
  if (!window_) return;
  shiftDown_ = window_->IsKeyDown(kKeyShift) ? 1 : 0;
  controlDown_ = window_->IsKeyDown(kKeyControl) ? 1 : 0;
}

GKernel::WindowResult GKernel::WindowProc(const PMessage& message) {
  if (leftButtonDown_ && rightButtonDown_) FatalError(6409, "GKernel");
  const bool started = HasApplicationStarted();

  switch (message.type) {
    case PMessageType::kClose:
      // The window's close button or the session ending: the program's own quit. Before
      // the application runs there is nothing to ask, and the program quits at once.
      if (!started || application_ == nullptr) {
        Quit();
      } else {
        inHandler_ = 1;
        application_->CloseRequested();
        inHandler_ = 0;
      }
      return kHandled;

    case PMessageType::kActivate:
      if (liveGraphics_ == nullptr || rootView_ == nullptr || !graphicsStore_) return kDefaultHandling;
      if (message.param == 0) {
        active_ = 0;
      } else if (!active_) {
        active_ = 1;
        SetGamma(gamma_);
        RestoreAllSurfaces();
        if (application_ != nullptr) application_->Reactivated();
        ShowSystemCursor(true);
      }
      return kHandled;

    case PMessageType::kKeyDown: {
      uint8_t code = 0;
      switch (message.param) {
        case kKeyLeft:
          code = 1;
          break;
        case kKeyUp:
          code = 3;
          break;
        case kKeyRight:
          code = 2;
          break;
        case kKeyDown:
          code = 4;
          break;
        default:
          break;
      }
      if (active_ && started && application_ != nullptr && code != 0) {
        inHandler_ = 1;
        application_->HandleKey(code, false, false);
        inHandler_ = 0;
        messagePumpOnly_ = 0;
        return kHandled;
      }
      skipNextIdle_ = 1;
      return kDefaultHandling;
    }

    case PMessageType::kChar:
      if (!active_ || !started) return kDefaultHandling;
      CharMessage(message);
      return kHandled;

    case PMessageType::kSysChar:
      if (!active_ || !started) return kDefaultHandling;
      if (application_ != nullptr) application_->HandleKey(static_cast<uint8_t>(message.param), true, false);
      messagePumpOnly_ = 0;
      return kHandled;

    case PMessageType::kMouseMove:
      if (!active_ || rootView_ == nullptr) return kHandled;
      if (tracker_ != nullptr) {
        int32_t x = message.x;
        int32_t y = message.y;
        tracker_->GlobalToLocal(x, y);
        const bool inside = tracker_->ContainsLocalPoint(x, y);
        tracker_->Track(x, y, inside ? 1 : 0, 0);
      } else {
        GView* target = GetTopModalView();
        if (target == nullptr) target = rootView_;
        target->HandleMouseMove(message.x, message.y);
      }
      return kHandled;

    case PMessageType::kLeftDown:
    case PMessageType::kLeftDoubleClick:
      if (rootView_ != nullptr && !leftButtonDown_ && !rightButtonDown_)
        MouseDown(message, false, message.type == PMessageType::kLeftDoubleClick);
      return kHandled;

    case PMessageType::kLeftUp:
      ButtonUp(message, false);
      return kHandled;

    // A quick second right click arrives as a double click; it is a right click like any.
    case PMessageType::kRightDown:
    case PMessageType::kRightDoubleClick:
      if (rootView_ != nullptr && !leftButtonDown_ && !rightButtonDown_) MouseDown(message, true, false);
      return kHandled;

    case PMessageType::kRightUp:
      ButtonUp(message, true);
      return kHandled;

    case PMessageType::kKeyUp:
    default:
      skipNextIdle_ = 1;
      return kDefaultHandling;
  }
}

void GKernel::MouseDown(const PMessage& message, bool right, bool doubleClick) {
  messagePumpOnly_ = 0;
  inHandler_ = 1;
  uint8_t& flag = right ? rightButtonDown_ : leftButtonDown_;
  GView* modal = GetTopModalView();
  GView* target = nullptr;
  if (modal == nullptr) {
    target = rootView_;
  } else if (modal->ContainsPoint(message.x, message.y)) {
    target = modal;
  } else {
    modal->ClickOutside();
  }
  if (target != nullptr) {
    flag = 1;
    target->HandleMouseDown(message.x, message.y, doubleClick ? 1 : 0, message.shift ? 1 : 0,
                            message.control ? 1 : 0);
    if (right && tracker_ != nullptr && (modal == nullptr || tracker_ == modal))
      tracker_->RightMouseDown(message.x, message.y);
  }
  inHandler_ = 0;
}

void GKernel::ButtonUp(const PMessage& message, bool right) {
  uint8_t& flag = right ? rightButtonDown_ : leftButtonDown_;
  const uint8_t other = right ? leftButtonDown_ : rightButtonDown_;
  if (tracker_ != nullptr && flag && !other) {
    inHandler_ = 1;
    GView* tracker = tracker_;
    tracker_ = nullptr;
    tracker->MouseUp(message.x, message.y, right ? 1 : 0);
    inHandler_ = 0;
  }
  flag = 0;
}

void GKernel::CharMessage(const PMessage& message) {
  messagePumpOnly_ = 0;
  if (application_ == nullptr) return;
  const uint8_t c = static_cast<uint8_t>(message.param);
  if (c == kKeyReturn) {
    GButton* button = FindDefaultButton();
    if (button != nullptr) {
      button->Press(0);
      return;
    }
  }
  if (GetFocusView() == nullptr || c == kKeyEscape) {
    const uint8_t pad = KeypadKeyOf(c);
    const bool keypad = pad != 0 && message.keys.IsDown(pad);
    inHandler_ = 1;
    application_->HandleKey(c, false, keypad);
    inHandler_ = 0;
    return;
  }
  if (c == kKeyTab) {
    FocusNext();
    return;
  }
  if (auto* entry = dynamic_cast<GTextEntry*>(GetFocusView())) entry->KeyChar(static_cast<int8_t>(c));
  focusKeyTyped_ = 1;
}
