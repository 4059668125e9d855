#pragma once

#include "framework/ui/GDismissView.h"

class WRApplication;

// The notice shown before an e-mail turn is saved: any click takes it away, and its going
// opens the save panel for the e-mail turn file.
class NoticeView : public GDismissView {
 public:
  explicit NoticeView(WRApplication* app) : app_(app) {}
  ~NoticeView() override;

 private:
  WRApplication* app_;
};
