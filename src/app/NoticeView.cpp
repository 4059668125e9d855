#include "app/NoticeView.h"

NoticeView::~NoticeView() {
  if (closed_) closed_(this);
}
