#pragma once
#include <functional>
#include <utility>

#include "framework/ui/GDismissView.h"

class GView;

// The notice shown before an e-mail turn is saved: any click takes it away, and its going
// tells its owner (which opens the save panel for the e-mail turn file).
class NoticeView : public GDismissView {
 public:
  explicit NoticeView(std::function<void(GView*)> closed) : closed_(std::move(closed)) {}
  ~NoticeView() override;

 private:
  std::function<void(GView*)> closed_;
};
