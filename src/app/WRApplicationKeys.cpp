// The keys no view takes: the quit and gamma keys, the display options of the battle screen,
// and the keys passed on to the editor or the battle.
#include "app/EditorSeam.h"
#include "app/OptionKeys.h"
#include "app/WRApplication.h"
#include "framework/core/GString255.h"
#include "framework/kernel/GKernel.h"
#include "framework/media/GSoundStream.h"
#include "game/battle/Battle.h"
#include "game/map/Map.h"
#include "game/map/OrderState.h"
#include "platform/PKey.h"

void WRApplication::EndTitleSound() {
  delete titleSound_;
  titleSound_ = nullptr;
}

void WRApplication::HandleKey(uint8_t key, bool alt, bool keypad) {
  // Every key press ends the title sound.
  EndTitleSound();
  const bool battleWithMap = HasBattleWithMap();
  const bool menuOpen = battleWithMap && screen_->HasMapMenuOpen();
  if (AnswerAlertByKey(key)) return;
  // A dialog is up: keys only beep, unless one of the map's menus takes them.
  if (gKernel != nullptr && gKernel->GetTopModalView() != nullptr && !menuOpen) {
    Beep();
    return;
  }
  if (battleWithMap && !alt && (key == '`' || key == '0') && screen_->ShowRadioEntry()) return;
  if (alt && (key == 'q' || key == 'Q') && (inputMode_ == InputModes::kNoPick || inputMode_ == InputModes::kReplay)) {
    DoCommand(kCommandQuitRequest);
    return;
  }
  if (alt && (key == 'g' || key == 'G')) {
    SetOption(GameSettings::kGamma, static_cast<int8_t>((GetOption(GameSettings::kGamma) + 1) % 5));
    ApplyOption(GameSettings::kGamma);
    if (battleWithMap) {
      GString255 text;
      OptionKeys::GammaText(GetOption(GameSettings::kGamma), text);
      screen_->ShowViewMessage(text);
    }
    return;
  }
  if (key == kKeyEscape) {
    if (gKernel != nullptr) gKernel->MinimizeWindow();
    return;
  }
  if (editor_ != nullptr && !editor_->IsBattleViewOpen()) {
    editor_->HandleElevationKey(key, alt);
    return;
  }
  if (!battleWithMap) return;
  // With a menu open its letters go to the battle, which hands them to the menu.
  if (alt || menuOpen) {
    screen_->HandleKey(key, alt, keypad);
    return;
  }
  OptionKeys::Result result;
  if (!OptionKeys::Apply(key, settings_, result)) {
    screen_->HandleKey(key, false, keypad);
    return;
  }
  if (result.applyIndex >= 0) ApplyOption(result.applyIndex);
  if (result.redraw) inPlay_.GetBattle()->map->Invalidate();
  screen_->ShowViewMessage(result.text);
}
