// The numbered alert and confirmation boxes, and the input mode they save and restore.
#include "app/AlertButton.h"
#include "app/AlertTable.h"
#include "app/EditorSeam.h"
#include "app/WRApplication.h"
#include "framework/core/GErrorLog.h"
#include "framework/core/GString255.h"
#include "framework/core/Quorl.h"
#include "framework/kernel/GKernel.h"
#include "framework/ui/GLabel.h"
#include "framework/ui/GView.h"
#include "framework/ui/GViewHost.h"
#include "game/battle/Battle.h"
#include "game/map/OrderState.h"
#include "platform/PKey.h"

namespace {

constexpr int32_t kBoxWidth = 560;
constexpr int32_t kBoxHeight = 130;
constexpr int32_t kBorder = 6;

uint16_t Pixel(int32_t r, int32_t g, int32_t b) {
  GViewHost* host = GViewHost::Current();
  return host != nullptr ? static_cast<uint16_t>(host->RGBToPixel(r, g, b)) : 0;
}

void AddStrip(GView* box, int32_t x, int32_t y, int32_t width, int32_t height, uint16_t colour) {
  auto* strip = new GView();
  strip->SetBackColor(colour);
  strip->Place(box, x, y, width, height);
}

}  // namespace

void WRApplication::ShowAlert(int32_t number) { ShowAlert(number, nullptr); }

void WRApplication::ShowAlert(int32_t number, const GString* secondLine) {
  const AlertTable::Row* row = AlertTable::Find(number);
  if (row == nullptr) FatalError(2948, "WRApplication");
  if (number == 16 && inPlay_.GetBattle() == nullptr) FatalError(2852, "WRApplication");
  if (number == 17 && (inPlay_.GetBattle() == nullptr || !screen_->HasMapView())) FatalError(2859, "WRApplication");
  if (HasBattleWithMap()) screen_->CloseMessageWindow();
  if (alertBox_ != nullptr) {
    if (!AlertTable::Replaces(number)) return;
    // The replaced box's buttons send nothing that matters (84).
    GView* old = alertBox_;
    alertBox_ = nullptr;
    SafeDelete(old);
  }
  const int32_t savedMode = inputMode_;
  if (number == AlertTable::kQuitQuestion && editor_ == nullptr && (inPlay_.GetBattle() == nullptr || !screen_->HasMapView())) {
    // Nothing open that the player could lose: quit without asking.
    DoCommand(kCommandQuitConfirmed);
    return;
  }
  GString255 line1;
  GString255 line2;
  if (number == AlertTable::kPlayBalance) {
    AlertTable::PlayBalanceText(screen_->PlayBalance(), line1);
  } else {
    line1.LoadResource(static_cast<uint32_t>(row->line1));
  }
  if (secondLine != nullptr)
    line2.AssignString(*secondLine);
  else if (row->line2 != 0)
    line2.LoadResource(static_cast<uint32_t>(row->line2));
  SetInputMode(InputModes::kAlert);
  BuildAlertBox(line1, line2, row->command1, row->command2, savedMode);
  GErrorLog::LogFileLine(__LINE__, "WRApplication");
}

void WRApplication::BuildAlertBox(const GString& line1, const GString& line2, int32_t command1, int32_t command2,
                                  int32_t savedMode) {
  auto* box = new GView();
  alertBox_ = box;
  box->PlaceModal(nullptr, -1, -1, kBoxWidth, kBoxHeight);
  const uint16_t red = Pixel(150, 0, 0);
  AddStrip(box, 0, 0, kBoxWidth, kBorder, red);
  AddStrip(box, 0, kBoxHeight - kBorder, kBoxWidth, kBorder, red);
  AddStrip(box, 0, kBorder, kBorder, kBoxHeight - 2 * kBorder, red);
  AddStrip(box, kBoxWidth - kBorder, kBorder, kBorder, kBoxHeight - 2 * kBorder, red);
  for (int32_t i = 0; i < 2; ++i) {
    const GString& text = i == 0 ? line1 : line2;
    if (i == 1 && text.Length() == 0) break;
    auto* label = new GLabel();
    label->InitWithText(box, 12, 12 + 20 * i, kBoxWidth - 24, text.CStr());
    label->SetAlignment(0);
  }
  const int32_t top = kBoxHeight - 50;
  if (command2 < 0) {
    auto* ok = new AlertButton();
    ok->Init(this, savedMode, AlertButton::kOk, box, 140, top, 280, 40);
    ok->SetCommand(command1);
    // Return answers a box of one button as its OK does.
    ok->MakeDefault();
  } else {
    auto* yes = new AlertButton();
    yes->Init(this, savedMode, AlertButton::kYes, box, 62, top, 186, 40);
    yes->SetCommand(command1);
    auto* no = new AlertButton();
    no->Init(this, savedMode, AlertButton::kNo, box, 311, top, 186, 40);
    no->SetCommand(command2);
  }
}

bool WRApplication::AnswerAlertByKey(uint8_t key) {
  if (alertBox_ == nullptr || gKernel == nullptr || gKernel->GetTopModalView() != alertBox_) return false;
  // Escape answers the box with its last button: OK, or NO of a question.
  if (key != kKeyEscape || alertBox_->GetChildCount() == 0) return false;
  auto* last = dynamic_cast<AlertButton*>(alertBox_->GetChild(alertBox_->GetChildCount() - 1));
  if (last == nullptr) return false;
  last->Activate();
  return true;
}

void WRApplication::SetInputMode(int32_t mode) {
  if (alertBox_ != nullptr) {
    // The box's buttons run their commands while it goes; a command may open a new box.
    GView* box = alertBox_;
    alertBox_ = nullptr;
    SafeDelete(box);
  }
  if (mode == InputModes::kReplay && inPlay_.GetBattle() == nullptr) mode = InputModes::kNoPick;
  // A box opened by the command just run keeps its mode.
  if (alertBox_ != nullptr) mode = InputModes::kAlert;
  inputMode_ = mode;
  if (inPlay_.GetBattle() != nullptr && screen_->HasMapView()) {
    screen_->SetMapViewEnabled(mode == InputModes::kNoPick || mode == InputModes::kReplay);
  }
}

void WRApplication::Idle() {
  if (inputMode_ == InputModes::kAlert && alertBox_ == nullptr)
    SetInputMode(inPlay_.GetBattle() != nullptr && screen_->IsButtonPanelVisible() ? InputModes::kReplay : InputModes::kNoPick);
  if (alertBox_ == nullptr && inPlay_.GetBattle() != nullptr && screen_->HasMapView() && screen_->IsMapViewVisible()) {
    if (showBriefingPending_ != 0) {
      showBriefingPending_ = 0;
      screen_->HandleKey('B', true, false);
      if (inPlay_.GetBattle() != nullptr && inPlay_.GetBattle()->map != nullptr) screen_->SetMapDrawState(2);
    } else if (reinforcementsPending_ != 0) {
      reinforcementsPending_ = 0;
      ShowAlert(AlertTable::kReinforcements);
    } else if (screen_->TakePlayBalanceNotice(GetCurrentSide())) {
      ShowAlert(AlertTable::kPlayBalance);
    }
  }
  // The radio lines expire in the battlefield view's tick.
  if (connectionType_ == 2) tcp_.Idle();
  if (quitAfterPasses_ > 0 && ++passes_ == quitAfterPasses_) DoCommand(kCommandQuitRequest);
}

void WRApplication::DrawOverlay() {
  if (inPlay_.GetBattle() != nullptr) inPlay_.GetBattle()->FlushSoundEvents();
}
