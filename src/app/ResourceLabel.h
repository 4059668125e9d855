#pragma once
#include <cstdint>

#include "framework/core/GString255.h"
#include "framework/ui/GPictureView.h"

// A picture with one text of the string table over it: the help line of the application's
// screens. It shows its default text until another id is shown; showing id 0 shows the
// default again.
class ResourceLabel : public GPictureView {
 public:
  ResourceLabel() = default;
  ~ResourceLabel() override = default;

  void Init(GView* parent, int32_t x, int32_t y, int16_t bitmapNumber, int32_t defaultId);
  void Draw() override;
  void SetDefault(int32_t id);
  void Show(int32_t id);
  int32_t GetShownId() const { return shownId_; }
  const GString255& GetText() const { return text_; }

 private:
  int32_t defaultId_ = 0;
  int32_t shownId_ = 0;
  GString255 text_;
};
