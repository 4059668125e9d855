#include "editor/EditorArrivalControl.h"

#include <algorithm>

#include "editor/EditorState.h"
#include "editor/EditorUnits.h"
#include "framework/core/GString255.h"
#include "framework/ui/GPopup.h"
#include "framework/ui/GStripButton.h"

namespace {

constexpr int32_t kRepeatMs = 120;
constexpr int32_t kLowestArrival = 2;
constexpr int32_t kScheduledAfterReserve = 4;

bool InOperation(const EditorState& state) { return state.AppOperation() != nullptr; }

}  // namespace

void EditorArrivalControl::Setup(GView* parent, int32_t x, int32_t y, int32_t width, int32_t height) {
  Place(parent, x, y, width, height);
  SetBackColor(Editor::DarkRedPixel());
  stepView = new GView();
  stepView->SetNoFill(1);
  stepView->Place(this, 0, 0, Width(), 30);
  static constexpr int32_t kButtons[4][4] = {{126, 0, 10050, 168}, {126, 14, 10051, 169}, {282, 0, 10050, 170}, {282, 14, 10051, 171}};
  for (const auto& b : kButtons) {
    auto* button = new GStripButton();
    button->IStripButton(stepView, b[0], b[1], b[3], static_cast<int16_t>(b[2]), 5);
    button->SetAutoRepeat(kRepeatMs);
  }
  typePopup = Editor::MakePopup(this, 45, 33, {480, 481, 482, 483}, 0, 172);
  typePopup->SetVisible(InOperation(state_) ? 1 : 0);
  SetVisible(0);
}

void EditorArrivalControl::Load(int32_t turn, int32_t percent) {
  arrival = turn;
  chance = percent;
  if (typePopup != nullptr) typePopup->SetCurrentItem(turn < 0 ? -turn : 0);
  ApplyType();
}

void EditorArrivalControl::Step(int32_t arrivalChange, int32_t chanceChange) {
  if (arrivalChange != 0) arrival = std::max(arrival + arrivalChange, kLowestArrival);
  if (chanceChange != 0) {
    const int32_t step = chance < 10 || (chance == 10 && chanceChange < 0) ? 1 : 5;
    chance = std::clamp(chance + step * chanceChange, 1, 100);
  }
  Store();
}

void EditorArrivalControl::ApplyType() {
  const int32_t type = typePopup != nullptr ? typePopup->GetCurrentItem() : 0;
  if (stepView != nullptr) stepView->SetVisible(type == 0 ? 1 : 0);
  if (type > 0) {
    arrival = -type;
  } else if (arrival < 0) {
    arrival = kScheduledAfterReserve;
  }
  Store();
}

void EditorArrivalControl::Store() {
  state_.SetSlotArrival(arrival, EditorState::PercentChance(chance));
  Invalidate();
}

std::vector<std::string> EditorArrivalControl::Captions() const {
  if (typePopup != nullptr && typePopup->GetCurrentItem() != 0) return {};
  const bool operation = InOperation(state_);
  GString255 text;
  std::vector<std::string> out;
  text.LoadResource(484);
  text.AppendNumber(arrival);
  out.emplace_back(text.CStr());
  text.LoadResource(operation ? 485 : 486);
  out.emplace_back(text.CStr());
  text.LoadResource(operation ? 487 : 488);
  text.AppendNumber(chance);
  text.AppendCString("%");
  out.emplace_back(text.CStr());
  return out;
}

void EditorArrivalControl::Draw() {
  GView::Draw();
  static constexpr int32_t kAt[3][2] = {{1, 16}, {8, 27}, {167, 16}};
  const std::vector<std::string> captions = Captions();
  GString255 text;
  for (size_t i = 0; i < captions.size() && i < 3; ++i) {
    text.Assign(captions[i].c_str());
    DrawText(&text, kAt[i][0], kAt[i][1], -1, 1, 255, 255, 255);
  }
}
