#include "app/NoticeView.h"

#include "app/WRApplication.h"

NoticeView::~NoticeView() {
  if (app_ != nullptr) app_->NoticeClosed(this);
}
