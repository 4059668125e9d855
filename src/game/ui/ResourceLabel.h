#pragma once
#include <cstdint>

#include "framework/core/GString255.h"
#include "framework/ui/GPictureView.h"

// A picture with a text from the resource string table drawn centred near its top in white,
// as the start and set-up screens show help texts. It shows its default text until asked to
// show another (a help button under the mouse), and reloads the text only when the shown id
// changes.
class ResourceLabel : public GPictureView {
 public:
  ResourceLabel() = default;
  ResourceLabel(GView* parent, int32_t left, int32_t top, int16_t pictureNumber, int16_t defaultStringId);

  // The default id becomes this one and is shown.
  void SetStringId(int16_t id);
  // Shows the string (0: the default); the same id as the shown one does nothing.
  void ShowStringId(int16_t id);
  void Draw() override;

  int16_t GetDefaultStringId() const { return defaultId_; }
  int16_t GetShownStringId() const { return shownId_; }
  const GString255& GetText() const { return text_; }
  // How many times a text was loaded.
  int32_t GetLoadCount() const { return loads_; }

 private:
  int16_t defaultId_ = 0;
  int16_t shownId_ = -1;
  GString255 text_;
  int32_t loads_ = 0;
};
