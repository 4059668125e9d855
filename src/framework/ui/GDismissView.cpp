#include "framework/ui/GDismissView.h"

// Nothing may touch the view after these: the caller's routing ends with the call.
void GDismissView::MouseDown(int32_t, int32_t, uint8_t, uint8_t, uint8_t) { delete this; }

void GDismissView::ClickOutside() { delete this; }
