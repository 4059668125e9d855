#include "game/ui/ResultsView.h"

#include <algorithm>

#include "framework/media/GGraphic.h"
#include "framework/ui/GLabel.h"
#include "framework/ui/GPanelColor.h"
#include "framework/ui/GPictureView.h"
#include "framework/ui/GStripButton.h"
#include "framework/ui/GViewHost.h"
#include "game/battle/BattleResults.h"

namespace {

// Whether the bitmap can be loaded: a missing one is left out rather than ending the program.
bool BitmapExists(int32_t number) {
  GGraphic probe;
  return probe.Load(0, number, 0, true) && probe.GetStub() != nullptr;
}

}  // namespace

void ResultsView::Build(GView* parent, const BattleResults& results) {
  Place(parent, -1, -1, BattleResults::kWidth, BattleResults::kHeight);
  SetBackColor(GPanelColor::Pixel());
  if (BitmapExists(BattleResults::kPicture)) {
    auto* picture = new GPictureView;
    picture->Init(this, -1, 5, BattleResults::kPicture);
  }
  for (const BattleResults::Label& text : results.labels) {
    // A text longer than its label (the operation's result with the longer level names)
    // widens the label to the right, and leftwards only where the screen ends.
    int32_t x = text.x;
    int32_t width = text.width;
    const int32_t needed = GViewHost::Current() != nullptr ? TextWidth(text.text.c_str(), 0) + 4 : 0;
    if (needed > width) {
      width = std::min(needed, BattleResults::kWidth - 4);
      x = std::max(2, std::min(x, BattleResults::kWidth - 2 - width));
    }
    auto* label = new GLabel;
    label->InitWithText(this, x, text.y, width, text.text.c_str());
    label->SetColor(0, 0, 0);
    label->SetBackColor(GPanelColor::Pixel());
  }
  for (const BattleResults::Button& spec : results.buttons) {
    if (!BitmapExists(spec.picture)) continue;
    auto* button = new GStripButton;
    button->IStripButton(this, spec.x, spec.y, spec.command, static_cast<int16_t>(spec.picture), 0);
    button->SetClickSound(kClickSound);
  }
}
