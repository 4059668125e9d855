#include "editor/EditorDialogParts.h"

#include <algorithm>
#include <memory>

#include "editor/EditorValueLabel.h"
#include "framework/core/GString255.h"
#include "framework/ui/GLabel.h"
#include "framework/ui/GPopup.h"
#include "framework/ui/GStripButton.h"
#include "framework/ui/GView.h"
#include "framework/ui/GViewHost.h"
#include "game/map/Map.h"

namespace EditorDialogParts {

namespace {

constexpr int16_t kUpArrow = 10024;
constexpr int16_t kDownArrow = 10025;
// The heights of one elevation level, 3 x scale metres: 2.5 m and 5 m.
constexpr float kNormalContours = 0.8333333f;
constexpr float kSteepContours = 1.6666666f;
// The date popup's first month, June 1944, counted in months from year 0.
constexpr int32_t kFirstMonth = 44 * 12 + 5;

GPopup* PopupOf(GView* parent, int32_t x, int32_t y, const std::vector<GString255>& texts, int32_t current) {
  std::vector<const GString*> items;
  for (const GString255& text : texts) items.push_back(&text);
  auto* popup = new GPopup();
  popup->Init(parent, x, y, static_cast<int32_t>(items.size()), items.data(),
              Nearest(current, static_cast<int32_t>(items.size())));
  return popup;
}

}  // namespace

GView* OpenDialog(GView* root, int32_t width, int32_t height) {
  auto* dialog = new GView();
  GViewHost* host = GViewHost::Current();
  dialog->SetBackColor(host != nullptr ? static_cast<uint16_t>(host->RGBToPixel(35, 0, 0)) : 0);
  dialog->Place(root, -1, -1, width, height);
  return dialog;
}

GLabel* Label(GView* parent, int32_t x, int32_t y, int32_t width, int16_t id) {
  auto* label = new GLabel();
  label->InitWithResource(parent, x, y, width, id);
  label->SetFill(0);
  return label;
}

GPopup* Popup(GView* parent, int32_t x, int32_t y, int16_t first, int32_t count, int32_t current) {
  std::vector<int16_t> ids;
  for (int32_t i = 0; i < count; ++i) ids.push_back(static_cast<int16_t>(first + i));
  return Popup(parent, x, y, ids, current);
}

GPopup* Popup(GView* parent, int32_t x, int32_t y, const std::vector<int16_t>& ids, int32_t current) {
  std::vector<GString255> texts(ids.size());
  for (size_t i = 0; i < ids.size(); ++i) texts[i].LoadResource(ids[i]);
  return PopupOf(parent, x, y, texts, current);
}

GPopup* Popup(GView* parent, int32_t x, int32_t y, const std::vector<std::string>& texts, int32_t current) {
  std::vector<GString255> items(texts.size());
  for (size_t i = 0; i < texts.size(); ++i) items[i].Assign(texts[i].c_str());
  return PopupOf(parent, x, y, items, current);
}

GStripButton* Button(GView* parent, int32_t x, int32_t y, int32_t command, int16_t bitmap, int32_t style,
                     int16_t sound) {
  auto* button = new GStripButton();
  button->IStripButton(parent, x, y, command, bitmap, style);
  if (sound >= 0) button->SetClickSound(sound);
  return button;
}

EditorValueLabel* NumberField(GView* parent, int32_t x, int32_t y, int32_t width, int32_t value, int16_t suffixId,
                              int32_t arrowX, int32_t arrowY, int32_t upCommand, uint16_t repeatMs) {
  auto* field = new EditorValueLabel();
  if (suffixId != 0) field->SetupWithResource(parent, x, y, width, value, suffixId);
  else field->Setup(parent, x, y, width, value, nullptr);
  Button(parent, arrowX, arrowY, upCommand, kUpArrow, 5, -1)->SetAutoRepeat(repeatMs);
  Button(parent, arrowX + 20, arrowY, upCommand + 1, kDownArrow, 5, -1)->SetAutoRepeat(repeatMs);
  return field;
}

int32_t Nearest(int32_t index, int32_t count) { return std::clamp(index, 0, std::max(count - 1, 0)); }

int32_t DateChoice(int32_t date) {
  const int32_t months = (date / 100) * 12 + (date % 100) - 1;
  return Nearest(months - kFirstMonth, 12);
}

int32_t DateOfChoice(int32_t choice) { return choice <= 6 ? 4406 + choice : 4494 + choice; }

int32_t ContoursChoice(const Map* map) { return map != nullptr && map->size.heightScale >= 1.0f ? 1 : 0; }

void SetContours(Map& map, int32_t choice) {
  const float scale = choice == 0 ? kNormalContours : kSteepContours;
  map.ScaleHeights(scale / map.size.heightScale);
  map.size.heightScale = scale;
}

}  // namespace EditorDialogParts
